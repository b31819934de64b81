#pragma once

#include <QString>

class QWidget;

// The file dialogs of import and export. The program uses the system's dialogs; tests put in
// their own answers through setFileDialogs().
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // Each returns the chosen path, or an empty string when the user cancelled.
    virtual QString openFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString saveFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) = 0;
};

// The dialogs in use (the system's unless replaced).
FileDialogs &fileDialogs();
// Replaces them; null restores the system's. The caller keeps ownership.
void setFileDialogs(FileDialogs *dialogs);
