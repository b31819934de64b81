#pragma once

class QObject;
class QString;

// The native side in the window's language: Qt's own words (file dialogs) from Qt's
// translations, the captions and filters the program gives the dialogs from the language
// file's "notices" section, and the tray menu's Quit entry from its "other" section. Installing
// a language replaces the translators of the one before; widgets get a LanguageChange event.
// The translators belong to owner and leave with it.
void installDialogTexts(QObject *owner, const QString &language);
