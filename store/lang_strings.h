#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Language files: "./modules/i18n/" + code + ".ini" relative to the working directory, read as
// UTF-8 and never written. One group per section of the scene, each with "total" and the
// strings 0 … total − 1, and the group "language" saying what the file is:
//   name=   the language's own name in its own script ("Deutsch", "日本語")
//   locale= the desktop locale it serves ("en", "zh_CN"); without it, the file's code
// A file is a shipped language when it names itself; the files are the list.
namespace LangStrings {

// The folder of the language files, relative to the working directory.
constexpr char kFolder[] = "./modules/i18n";

// Strings read from one section at most.
constexpr int kMaxStrings = 1000;

// The value of "common/language" that follows the desktop's language (an empty or missing
// value does the same).
inline const QString kDesktopChoice = QStringLiteral("desktop");
// The language every other one falls back to.
inline const QString kFallbackCode = QStringLiteral("English");

struct Language
{
    QString code;  // the file's name without ".ini"
    QString name;
    QString locale;
};

// The languages in ./modules/i18n, ordered by their names.
QList<Language> shippedLanguages();

// The languages ordered by their names as a reader of the language with this code sorts them
// (its locale's collation: "Čeština" before "Deutsch"); an unknown code sorts as English.
QList<Language> sortedForReader(QList<Language> languages, const QString &readerCode);

// The code of the shipped language that serves the desktop's UI languages (most wanted first,
// as QLocale::uiLanguages() gives them): for the first of them any shipped language serves,
// the one of the same language and territory, else of the same script, else of the same
// language ("pt-PT" takes "pt_BR", "zh-HK" takes "zh_TW" before "zh_CN"); failing all,
// English, else the first shipped language.
QString desktopLanguage(const QStringList &uiLanguages, const QList<Language> &shipped);

// The code whose file gives the texts for a stored choice: the desktop's language for
// kDesktopChoice or an empty choice, else the choice itself. A choice that names no shipped
// language gives the desktop's language, and the reason in note.
QString resolveChoice(const QString &choice, QString *note = nullptr);

// The fonts that draw a language's script best, most wanted first (empty: the scene's own).
QStringList preferredFonts(const QString &locale);

// Whether the locale's script has capitals and letters that stand apart (Latin, Cyrillic,
// Greek, Armenian), so that a title may be set in spaced capitals.
bool writesCapitals(const QString &locale);

// The locale a shipped language serves (its "locale" entry, else its code).
QString localeOf(const QString &langCode);

QString languageFilePath(const QString &langCode);

// The strings of one section in key order; an absent key gives an empty string, a missing file
// or section an empty list, and a code that is not a plain file name (empty, a path separator,
// "..", a control character) an empty list with a diagnostic line.
QStringList getLangStrings(const QString &typeStr, const QString &langCode);

}  // namespace LangStrings
