#include "lang_strings.h"

#include "notification_texts.h"

#include <QDebug>
#include <QSettings>

namespace LangStrings {

namespace {

const QString kNotificationSection = QStringLiteral("other");

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

}  // namespace

QString languageFilePath(const QString &langCode)
{
    return QStringLiteral("./modules/i18n/") + langCode + QStringLiteral(".ini");
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
    if (typeStr == kNotificationSection)
        NotificationTexts::replace(strings);
    return strings;
}

}  // namespace LangStrings
