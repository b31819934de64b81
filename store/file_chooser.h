#pragma once

#include <QString>

class QWidget;

// How the store asks the user for a file to import from or export to. The store shows no
// window: the layer that owns the windows installs its dialogs as the system's
// (bridge/file_dialogs.h), and until it does every question counts as cancelled. Tests put in
// their own answers through setFileDialogs().
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // Each returns the chosen path, or an empty string when the user cancelled. dir is the
    // folder to start in, or a path whose file name is offered as the name to save under.
    virtual QString openFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) = 0;
    virtual QString saveFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) = 0;
};

// The dialogs in use (the system's unless replaced).
FileDialogs &fileDialogs();
// Replaces them; null restores the system's. The caller keeps ownership.
void setFileDialogs(FileDialogs *dialogs);
// The system's dialogs, which live as long as the program; null leaves none.
void setSystemFileDialogs(FileDialogs *dialogs);

// The folder a dialog starts in: that of the last file chosen in one during this run, else
// the user's home folder.
QString dialogFolder();
void rememberDialogFolder(const QString &chosenFile);
