#pragma once

class QObject;
class QString;

// The file dialogs in the window's language: Qt's own words from Qt's translations, and the
// captions and filters the program gives them from the language file's "notices" section.
// The translators belong to owner and leave with it.
void installDialogTexts(QObject *owner, const QString &language);
