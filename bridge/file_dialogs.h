#pragma once

#include "file_chooser.h"

#include <QString>

class QFileDialog;
class QWidget;

// The file dialogs of import and export. The program uses the desktop's own dialog where the
// desktop offers one (through its platform theme, the XDG desktop portal on GNOME and KDE),
// and otherwise Qt's dialog drawn in the program's palette. The questions themselves
// (FileDialogs, fileDialogs(), setFileDialogs(), the dialog folder) are the store's, in
// file_chooser.h.

// Makes Qt's dialogs the system's dialogs the store asks (see setSystemFileDialogs); the view
// does so when it is made.
void installSystemFileDialogs();

// The dialog the system's dialogs show, not yet shown. It is a window of its own, modal for
// the program and placed over parent's window: as a child it would take on the host window's
// style sheet, which draws every widget transparent.
QFileDialog *makeFileDialog(QWidget *parent, const QString &caption, const QString &dir,
    const QString &filter, bool save);

// Before the application object exists: on GNOME and KDE, where the XDG desktop portal offers
// the desktop's file chooser, Qt is asked to use it (unless a platform theme is already set).
void preferDesktopFileDialogs();
