#include "lang_strings.h"

#include <QCollator>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>

#include <algorithm>

namespace LangStrings {

namespace {

bool isPlainFileName(const QString &code)
{
    if (code.isEmpty() || code.contains(QLatin1String("..")))
        return false;
    for (const QChar ch : code) {
        if (ch == QLatin1Char('/') || ch == QLatin1Char('\\')
            || ch.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

// The code as one diagnostic line can show it.
QString printable(QString text)
{
    for (QChar &ch : text) {
        if (ch.category() == QChar::Other_Control)
            ch = QChar::ReplacementCharacter;
    }
    return text;
}

// A translator's unquoted text with commas comes back from the INI reader as a list.
QString storedText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

int boundedCount(const QVariant &total, const QString &section, const QString &fileName)
{
    const int n = total.toInt();
    if (n >= 0 && n <= kMaxStrings)
        return n;
    const int bounded = n < 0 ? 0 : kMaxStrings;
    qDebug().noquote() << QStringLiteral("%1: [%2] total %3 read as %4")
                              .arg(fileName, section)
                              .arg(n)
                              .arg(bounded);
    return bounded;
}

// How well a shipped language serves one language the desktop asks for: 0 not at all, 1 the
// same language, 2 also the same script, 3 also the same territory.
int matchScore(const QLocale &wanted, const QLocale &offered)
{
    if (wanted.language() == QLocale::C || wanted.language() != offered.language())
        return 0;
    if (wanted.script() != offered.script())
        return 1;
    return wanted.territory() == offered.territory() ? 3 : 2;
}

// Fonts by the script a locale writes in: Latin, Greek and Cyrillic in a Latin face (whose
// quotes and ellipsis are proportional, where a CJK face draws them full-width; Liberation Sans
// first, as narrow as the scene's layouts need, DejaVu Sans runs wider), the CJK fonts
// each with their language's own glyph forms. Simplified Chinese takes the scene's own fonts.
struct ScriptFonts
{
    QLocale::Script script;
    const char *fonts[3];
};

constexpr ScriptFonts kScriptFonts[] = {
    {QLocale::LatinScript, {"Liberation Sans", "DejaVu Sans", "Segoe UI"}},
    {QLocale::CyrillicScript, {"Liberation Sans", "DejaVu Sans", "Segoe UI"}},
    {QLocale::GreekScript, {"Liberation Sans", "DejaVu Sans", "Segoe UI"}},
    {QLocale::JapaneseScript, {"Noto Sans CJK JP", "IPAexGothic", "IPAGothic"}},
    {QLocale::KoreanScript, {"Noto Sans CJK KR", "NanumGothic", "UnDotum"}},
    {QLocale::TraditionalHanScript, {"Noto Sans CJK TC", "AR PL UMing TW", "Microsoft JhengHei"}},
};

// Languages whose letters the script's first font lacks: Liberation Sans has none of the
// stacked marks of Vietnamese (ạ, ệ, ữ …).
struct LanguageFonts
{
    QLocale::Language language;
    const char *fonts[3];
};

constexpr LanguageFonts kLanguageFonts[] = {
    {QLocale::Vietnamese, {"DejaVu Sans", "Noto Sans", "Segoe UI"}},
};

template <typename Row>
QStringList fontsOf(const Row &row)
{
    QStringList fonts;
    for (const char *font : row.fonts) {
        if (font)
            fonts.append(QString::fromLatin1(font));
    }
    return fonts;
}

// Scripts written in capitals and small letters, each letter standing on its own: titles may
// be set in capitals and spaced out. (CJK scripts have no case, and spacing pulls apart the
// letters of scripts that join them.)
constexpr QLocale::Script kCasedScripts[] = {
    QLocale::LatinScript, QLocale::CyrillicScript, QLocale::GreekScript, QLocale::ArmenianScript};

}  // namespace

QList<Language> shippedLanguages()
{
    const QDir folder(QString::fromLatin1(kFolder));
    QList<Language> languages;
    for (const QFileInfo &info :
        folder.entryInfoList({QStringLiteral("*.ini")}, QDir::Files | QDir::Readable)) {
        const QString code = info.completeBaseName();
        if (!isPlainFileName(code))
            continue;
        const QSettings file(info.filePath(), QSettings::IniFormat);
        const QString name = storedText(file.value(QStringLiteral("language/name"))).trimmed();
        if (name.isEmpty())
            continue;
        const QString locale = file.value(QStringLiteral("language/locale"), code).toString();
        languages.append({code, name, locale});
    }
    std::sort(languages.begin(), languages.end(), [](const Language &a, const Language &b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.code < b.code;
    });
    return languages;
}

QList<Language> sortedForReader(QList<Language> languages, const QString &readerCode)
{
    QLocale reader(QLocale::English);
    for (const Language &language : languages) {
        if (language.code == readerCode)
            reader = QLocale(language.locale);
    }
    QCollator collator(reader);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        languages.begin(), languages.end(), [&collator](const Language &a, const Language &b) {
            return collator.compare(a.name, b.name) < 0;
        });
    return languages;
}

QString desktopLanguage(const QStringList &uiLanguages, const QList<Language> &shipped)
{
    for (const QString &wanted : uiLanguages) {
        const QLocale asked(wanted);
        int best = 0;
        QString code;
        for (const Language &language : shipped) {
            const int score = matchScore(asked, QLocale(language.locale));
            if (score > best) {
                best = score;
                code = language.code;
            }
        }
        if (best > 0)
            return code;
    }
    const bool english = std::any_of(
        shipped.begin(), shipped.end(), [](const Language &l) { return l.code == kFallbackCode; });
    return english || shipped.isEmpty() ? kFallbackCode : shipped.first().code;
}

QString resolveChoice(const QString &choice, QString *note)
{
    const QList<Language> shipped = shippedLanguages();
    const QString wanted = choice.trimmed();
    if (!wanted.isEmpty() && wanted != kDesktopChoice) {
        for (const Language &language : shipped) {
            if (language.code == wanted)
                return wanted;
        }
    }
    const QString desktop = desktopLanguage(QLocale::system().uiLanguages(), shipped);
    if (note && !wanted.isEmpty() && wanted != kDesktopChoice)
        *note = QStringLiteral("Language \"%1\" is not installed (no %2 naming it); the desktop's "
                               "language %3 is used")
                    .arg(printable(wanted), languageFilePath(printable(wanted)), desktop);
    return desktop;
}

QStringList preferredFonts(const QString &locale)
{
    const QLocale asked(locale);
    for (const LanguageFonts &row : kLanguageFonts) {
        if (row.language == asked.language())
            return fontsOf(row);
    }
    for (const ScriptFonts &row : kScriptFonts) {
        if (row.script == asked.script())
            return fontsOf(row);
    }
    return {};
}

bool writesCapitals(const QString &locale)
{
    const QLocale::Script script = QLocale(locale).script();
    return std::find(std::begin(kCasedScripts), std::end(kCasedScripts), script)
        != std::end(kCasedScripts);
}

QString localeOf(const QString &langCode)
{
    for (const Language &language : shippedLanguages())
        if (language.code == langCode)
            return language.locale;
    return langCode;
}

QString languageFilePath(const QString &langCode)
{
    return QString::fromLatin1(kFolder) + QLatin1Char('/') + langCode + QStringLiteral(".ini");
}

QStringList getLangStrings(const QString &typeStr, const QString &langCode)
{
    if (!isPlainFileName(langCode)) {
        qDebug().noquote() << QStringLiteral("Language code \"%1\" is not a file name; no texts")
                                  .arg(printable(langCode));
        return {};
    }
    // Qt 6 reads INI files as UTF-8.
    const QSettings file(languageFilePath(langCode), QSettings::IniFormat);
    const int total =
        boundedCount(file.value(typeStr + QStringLiteral("/total"), 0), typeStr, file.fileName());
    QStringList strings;
    strings.reserve(total);
    for (int i = 0; i < total; ++i)
        strings.append(storedText(file.value(typeStr + QLatin1Char('/') + QString::number(i))));
    return strings;
}

}  // namespace LangStrings
