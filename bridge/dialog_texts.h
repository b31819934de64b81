#pragma once

#include <QStringList>

class QObject;

// The native side in the window's language: Qt's own words (file dialogs) from Qt's
// translations, the captions and filters the program gives the dialogs from the language
// file's "notices" section, the tray menu's Quit entry from its "other" section, and the texts
// of the device's DPI-switch notices from that section's first eight strings. Installing a
// language replaces the translators of the one before; widgets get a LanguageChange event.
// The translators belong to owner and leave with it.
void installDialogTexts(QObject *owner, const QString &language);

// The strings of one section of the language file, for the scene. The scene reads the section
// "other" when it applies a language; its first eight strings then become the texts of the
// DPI-switch notices, so that these follow the scene's language (texts beyond those the
// section holds keep their value).
QStringList sceneLangStrings(const QString &section, const QString &language);
