#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// The file dialogs of import and export. The program uses the desktop's own dialog where the
// desktop offers one (through its platform theme, the XDG desktop portal on GNOME and KDE),
// and otherwise Qt's dialog drawn in the program's palette; tests put in their own answers
// through setFileDialogs().
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

// The folder a dialog starts in: that of the last file chosen in one during this run, else
// the user's home folder.
QString dialogFolder();
void rememberDialogFolder(const QString &chosenFile);

// The dialog the system's dialogs show, not yet shown. It is a window of its own, modal for
// the program and placed over parent's window: as a child it would take on the host window's
// style sheet, which draws every widget transparent.
QFileDialog *makeFileDialog(QWidget *parent, const QString &caption, const QString &dir,
    const QString &filter, bool save);

// Before the application object exists: on GNOME and KDE, where the XDG desktop portal offers
// the desktop's file chooser, Qt is asked to use it (unless a platform theme is already set).
void preferDesktopFileDialogs();
