#include "dialog_texts.h"

#include "lang_strings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

namespace {

// The captions and filters of the import and export dialogs, in the order of their texts in
// "notices" from kFirstText on.
constexpr const char *kContext = "myQQuickView";
constexpr const char *kSources[] = {"Open File", "Save File", "Profile(*.pf)", "Macro(*.mc)"};
constexpr int kFirstText = 19;

class DialogTranslator : public QTranslator
{
public:
    DialogTranslator(const QStringList &texts, QObject *owner)
        : QTranslator(owner)
        , m_texts(texts)
    { }

    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, kContext) != 0)
            return QString();
        for (int i = 0; i < int(std::size(kSources)); ++i)
            if (qstrcmp(source, kSources[i]) == 0)
                return m_texts.value(kFirstText + i);
        return QString();
    }

private:
    QStringList m_texts;
};

// Qt's name of a language file's language; empty for English, Qt's own.
QString qtLocale(const QString &language)
{
    if (language == QLatin1String("ChineseSimplified"))
        return QStringLiteral("zh_CN");
    return QString();
}

}  // namespace

void installDialogTexts(QObject *owner, const QString &language)
{
    const QString locale = qtLocale(language);
    if (!locale.isEmpty()) {
        auto *qt = new QTranslator(owner);
        if (qt->load(QStringLiteral("qtbase_") + locale,
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
    }
    const QStringList texts = LangStrings::getLangStrings(QStringLiteral("notices"), language);
    if (texts.size() > kFirstText)
        QCoreApplication::installTranslator(new DialogTranslator(texts, owner));
}
