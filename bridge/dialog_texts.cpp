#include "dialog_texts.h"

#include "lang_strings.h"
#include "notification_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QStringList>
#include <QTranslator>

#include <iterator>

namespace {

// Texts of the native side that the language file gives: the captions and filters of the
// import and export dialogs, the tray menu's entry that ends the program, and the notice of a
// mouse the system does not let the program open.
struct NativeText
{
    const char *context;
    const char *source;
    const char *section;
    int index;
};

constexpr NativeText kTexts[] = {
    {"myQQuickView", "Open File", "notices", 19},
    {"myQQuickView", "Save File", "notices", 20},
    {"myQQuickView", "Profile(*.pf)", "notices", 21},
    {"myQQuickView", "Macro(*.mc)", "notices", 22},
    {"TrayMenu", "Quit (&Q)", "other", 8},
    {"DeviceWatch",
        "The mouse was found but cannot be opened: the udev rule from the README is not "
        "installed.",
        "notices", 27},
};

// The section whose first eight strings are the texts of the DPI-switch notices.
const QString kNoticeSection = QStringLiteral("other");

class LanguageFileTranslator : public QTranslator
{
public:
    LanguageFileTranslator(const QString &language, QObject *owner)
        : QTranslator(owner)
    {
        for (const NativeText &text : kTexts) {
            const QString section = QString::fromLatin1(text.section);
            if (!m_sections.contains(section))
                m_sections.insert(section, LangStrings::getLangStrings(section, language));
        }
    }

    bool isEmpty() const override { return false; }

    QStringList section(const QString &name) const { return m_sections.value(name); }

    QString translate(const char *context, const char *source, const char *, int) const override
    {
        for (const NativeText &text : kTexts) {
            if (qstrcmp(context, text.context) == 0 && qstrcmp(source, text.source) == 0)
                return m_sections.value(QString::fromLatin1(text.section)).value(text.index);
        }
        return QString();
    }

private:
    QHash<QString, QStringList> m_sections;
};

// The translators installed for the language in use, replaced when it changes.
QList<QPointer<QTranslator>> &installed()
{
    static QList<QPointer<QTranslator>> translators;
    return translators;
}

// The locale a language file serves; empty for English, Qt's own language.
QLocale qtLocale(const QString &language)
{
    const QSettings file(LangStrings::languageFilePath(language), QSettings::IniFormat);
    return QLocale(file.value(QStringLiteral("language/locale"), language).toString());
}

void install(QTranslator *translator)
{
    QCoreApplication::installTranslator(translator);
    installed().append(translator);
}

}  // namespace

void installDialogTexts(QObject *owner, const QString &language)
{
    for (const QPointer<QTranslator> &translator : installed()) {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    installed().clear();
    const QLocale locale = qtLocale(language);
    if (locale.language() != QLocale::English && locale.language() != QLocale::C) {
        auto *qt = new QTranslator(owner);
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            install(qt);
        else
            delete qt;
    }
    auto *texts = new LanguageFileTranslator(language, owner);
    install(texts);
    NotificationTexts::replace(texts->section(kNoticeSection));
}

QStringList sceneLangStrings(const QString &section, const QString &language)
{
    const QStringList strings = LangStrings::getLangStrings(section, language);
    if (section == kNoticeSection)
        NotificationTexts::replace(strings);
    return strings;
}
