#include "lang_strings.h"
#include "store_fixture.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <memory>

using namespace LangStrings;

namespace {

void writeLanguage(const QString &code, const QByteArray &content)
{
    QFile file(QStringLiteral("modules/i18n/") + code + QStringLiteral(".ini"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QString shippedLanguage(const QString &code)
{
    return StoreDir::sourceData(QStringLiteral("i18n/") + code + QStringLiteral(".ini"));
}

// The key-name table of the scene, in key-code order.
QStringList keyNames()
{
    QStringList names;
    for (char c = 'A'; c <= 'Z'; ++c)
        names << QString(QLatin1Char(c));
    names << "1"
          << "2"
          << "3"
          << "4"
          << "5"
          << "6"
          << "7"
          << "8"
          << "9"
          << "0";
    names << "Enter"
          << "Esc"
          << "Back"
          << "Tab"
          << "Space"
          << "-"
          << "="
          << "["
          << "]"
          << "\\"
          << "\\"
          << ";"
          << "'"
          << "`"
          << ","
          << "."
          << "/"
          << "Caps";
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("F%1").arg(i);
    names << "Prt"
          << "Scr"
          << "Pau"
          << "Ins"
          << "Hom"
          << "Pgu"
          << "Del"
          << "End"
          << "PgD"
          << "►"
          << "◄"
          << "▼"
          << "▲"
          << "Num"
          << "KP/"
          << "KP*"
          << "KP-"
          << "KP+"
          << "KPEnter";
    for (int i = 1; i <= 9; ++i)
        names << QStringLiteral("KP%1").arg(i);
    names << "KP0"
          << "KP."
          << "Eur2"
          << "App"
          << "Power"
          << "KP=";
    for (int i = 13; i <= 24; ++i)
        names << QStringLiteral("F%1").arg(i);
    names << "Keypad"
          << "Intl1"
          << "Intl2"
          << "Intl3"
          << "Intl4"
          << "Intl5"
          << "Lang1"
          << "Lang2"
          << "LCtrl"
          << "LShift"
          << "LAlt"
          << "LWin"
          << "RCtrl"
          << "RShift"
          << "RAlt"
          << "RWin"
          << "MS-L"
          << "MS-R"
          << "MS-M"
          << "MS-B4"
          << "MS-B5";
    return names;
}

// The codes of the language files of the source tree.
QStringList shippedCodes()
{
    QStringList codes;
    const QDir folder(StoreDir::sourceData(QStringLiteral("i18n")));
    for (const QFileInfo &info : folder.entryInfoList({QStringLiteral("*.ini")}, QDir::Files))
        codes << info.completeBaseName();
    return codes;
}

// A text as the program reads it (an unquoted comma splits it into a list).
QString text(const QSettings &file, const QString &key)
{
    const QVariant value = file.value(key);
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1String(", "))
                                                    : value.toString();
}

// The placeholders a text fills in (%1 …) and the file patterns it must keep ("(*.pf)").
QStringList placeholders(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("%\\d|\\(\\*\\.\\w+\\)"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

}  // namespace

class TestLangStrings : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoreDir> m_dir;

private slots:
    void init() { m_dir = std::make_unique<StoreDir>(QStringList {"i18n"}); }
    void cleanup() { m_dir.reset(); }

    void readsSection_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("key order")
            << QByteArray("[s]\n2=c\n0=a\ntotal=3\n1=b\n") << QStringList {"a", "b", "c"};
        QTest::newRow("missing key")
            << QByteArray("[s]\ntotal=3\n0=a\n2=c\n") << QStringList {"a", "", "c"};
        QTest::newRow("beyond total ignored")
            << QByteArray("[s]\ntotal=1\n0=a\n1=b\n") << QStringList {"a"};
        QTest::newRow("no total") << QByteArray("[s]\n0=a\n") << QStringList {};
        QTest::newRow("other section") << QByteArray("[t]\ntotal=1\n0=a\n") << QStringList {};
        QTest::newRow("UTF-8") << QByteArray("[s]\ntotal=2\n0=宏编辑器\n1=\"Ünïcødé ►\"\n")
                               << QStringList {"宏编辑器", "Ünïcødé ►"};
        QTest::newRow("quoted blank and comma")
            << QByteArray("[s]\ntotal=2\n0=\"Key \"\n1=\"a,b\"\n") << QStringList {"Key ", "a,b"};
        QTest::newRow("unquoted comma")
            << QByteArray("[s]\ntotal=1\n0=Reset, then save\n") << QStringList {"Reset, then save"};
    }
    void readsSection()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        writeLanguage(QStringLiteral("xx"), content);
        QCOMPARE(getLangStrings(QStringLiteral("s"), QStringLiteral("xx")), expected);
    }

    void missingFileIsEmptyAndStaysMissing()
    {
        QVERIFY(getLangStrings(QStringLiteral("main"), QStringLiteral("Klingon")).isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("modules/i18n/Klingon.ini")));
    }

    void absurdTotalIsBounded_data()
    {
        QTest::addColumn<QByteArray>("total");
        QTest::addColumn<int>("count");
        QTest::newRow("huge") << QByteArray("2000000000") << kMaxStrings;
        QTest::newRow("negative") << QByteArray("-3") << 0;
    }
    void absurdTotalIsBounded()
    {
        QFETCH(QByteArray, total);
        QFETCH(int, count);
        writeLanguage(QStringLiteral("xx"), "[s]\ntotal=" + total + "\n0=a\n");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("\\[s\\] total .* read as"));
        QCOMPARE(getLangStrings(QStringLiteral("s"), QStringLiteral("xx")).size(), count);
    }

    void unsafeCodesAreRefused_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("empty") << QString();
        QTest::newRow("parent") << "../i18n/English";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("slash") << "a/b";
        QTest::newRow("backslash") << "a\\b";
        QTest::newRow("newline") << "English\n";
    }
    void unsafeCodesAreRefused()
    {
        QFETCH(QString, code);
        writeLanguage(QStringLiteral("English"), "[other]\ntotal=1\n0=x\n");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("is not a file name"));
        QVERIFY(getLangStrings(QStringLiteral("other"), code).isEmpty());
    }

    // Every shipped language holds every section and text of the English file, with the same
    // count and the same placeholders, and names itself.
    void shippedFilesMatchEnglish_data()
    {
        QTest::addColumn<QString>("code");
        for (const QString &code : shippedCodes())
            QTest::newRow(qPrintable(code)) << code;
    }
    void shippedFilesMatchEnglish()
    {
        QFETCH(QString, code);
        const QSettings english(shippedLanguage("English"), QSettings::IniFormat);
        const QSettings file(shippedLanguage(code), QSettings::IniFormat);
        QCOMPARE(file.status(), QSettings::NoError);
        QVERIFY(!file.value("language/name").toString().trimmed().isEmpty());
        for (const QString &section : english.childGroups()) {
            if (section == QLatin1String("language"))
                continue;
            const QString total = section + QStringLiteral("/total");
            QVERIFY2(file.contains(total), qPrintable(total));
            QCOMPARE(file.value(total).toInt(), english.value(total).toInt());
            for (int i = 0; i < english.value(total).toInt(); ++i) {
                const QString key = QStringLiteral("%1/%2").arg(section).arg(i);
                QVERIFY2(file.contains(key), qPrintable(key));
                const QString en = text(english, key);
                const QString translated = text(file, key);
                QVERIFY2(placeholders(en) == placeholders(translated),
                    qPrintable(key + ": " + translated));
                QVERIFY2(en.isEmpty() == translated.isEmpty(), qPrintable(key + ": " + translated));
            }
        }
        QVERIFY(text(file, "other/8").contains(QLatin1Char('&')));
    }

    // Macro steps keep the key names of the language they were recorded in and are read back in
    // any other: a name names one key, in one file and across all of them (0x31 and 0x32 share
    // theirs), and so does a name a file gave a key in earlier versions (keyCodeFormer).
    void keyNamesNameOneKeyEverywhere()
    {
        QHash<QString, QPair<int, QString>> owner;
        for (const QString &code : shippedCodes()) {
            const QSettings file(shippedLanguage(code), QSettings::IniFormat);
            QCOMPARE(file.value("keyCode/total").toInt(), 133);
            for (const QString section : {"keyCode", "keyCodeFormer"}) {
                for (int i = 0; i < 133; ++i) {
                    const QString where =
                        QStringLiteral("%1/%2 in %3").arg(section).arg(i).arg(code);
                    const QString name =
                        text(file, section + QLatin1Char('/') + QString::number(i));
                    if (section == QLatin1String("keyCodeFormer") && name.isEmpty())
                        continue;
                    QVERIFY2(!name.isEmpty(), qPrintable(where));
                    const int key = i == 0x32 - 4 ? 0x31 - 4 : i;
                    const auto seen = owner.constFind(name);
                    if (seen != owner.constEnd() && seen->first != key)
                        QFAIL(qPrintable(QStringLiteral("\"%1\": %2, key %3 in %4")
                                             .arg(name, where)
                                             .arg(seen->first)
                                             .arg(seen->second)));
                    owner.insert(name, {key, code});
                }
            }
        }
    }

    void languagesAreTheFilesThatNameThemselves()
    {
        writeLanguage("zz", "[language]\nname=Zulu test\nlocale=zu\n");
        writeLanguage("de", "[language]\nname=Deutsch\n[main]\ntotal=0\n");
        writeLanguage("English", "[language]\nname=English\nlocale=en\n");
        writeLanguage("notes", "[main]\ntotal=1\n0=no name, not a language\n");
        const QList<Language> found = shippedLanguages();
        QStringList codes, locales;
        for (const Language &l : found) {
            codes << l.code;
            locales << l.locale;
        }
        QCOMPARE(codes, (QStringList {"de", "English", "zz"}));
        QCOMPARE(locales, (QStringList {"de", "en", "zu"}));
    }

    void desktopLanguageIsFollowed_data()
    {
        QTest::addColumn<QStringList>("desktop");
        QTest::addColumn<QStringList>("shipped");
        QTest::addColumn<QString>("expected");
        const QStringList all {"English:en", "ChineseSimplified:zh_CN", "de", "pt_BR", "zh_TW"};
        const QStringList few {"English:en", "ChineseSimplified:zh_CN", "de"};
        QTest::newRow("German") << QStringList {"de-DE", "de-Latn-DE", "de"} << all << "de";
        QTest::newRow("Austrian German") << QStringList {"de-AT"} << all << "de";
        QTest::newRow("British English") << QStringList {"en-GB"} << all << "English";
        QTest::newRow("Portugal takes Brazil")
            << QStringList {"pt-PT", "pt-Latn-PT"} << all << "pt_BR";
        QTest::newRow("Portugal, none") << QStringList {"pt-PT"} << few << "English";
        QTest::newRow("Hong Kong takes Traditional")
            << QStringList {"zh-HK", "zh-Hant-HK", "en"} << all << "zh_TW";
        QTest::newRow("Taiwan without Traditional")
            << QStringList {"zh-TW"} << few << "ChineseSimplified";
        QTest::newRow("China") << QStringList {"zh-CN"} << all << "ChineseSimplified";
        QTest::newRow("first wanted that is shipped") << QStringList {"fr-FR", "de"} << all << "de";
        QTest::newRow("language before a later exact one")
            << QStringList {"pt-PT", "de-DE"} << all << "pt_BR";
        QTest::newRow("C locale") << QStringList {"C"} << all << "English";
        QTest::newRow("nothing") << QStringList {} << all << "English";
        QTest::newRow("no English shipped")
            << QStringList {"ja"} << QStringList {"de", "pt_BR"} << "de";
    }
    void desktopLanguageIsFollowed()
    {
        QFETCH(QStringList, desktop);
        QFETCH(QStringList, shipped);
        QFETCH(QString, expected);
        QList<Language> languages;
        for (const QString &entry : shipped) {
            const QString code = entry.section(QLatin1Char(':'), 0, 0);
            const QString locale =
                entry.contains(QLatin1Char(':')) ? entry.section(QLatin1Char(':'), 1) : code;
            languages.append({code, code, locale});
        }
        QCOMPARE(desktopLanguage(desktop, languages), expected);
    }

    // The test runs with LANGUAGE=en: the desktop's language is English.
    void storedChoiceIsResolved()
    {
        writeLanguage("English", "[language]\nname=English\nlocale=en\n");
        writeLanguage("de", "[language]\nname=Deutsch\n");
        QString note;
        QCOMPARE(resolveChoice("de", &note), QStringLiteral("de"));
        QCOMPARE(resolveChoice("desktop", &note), QStringLiteral("English"));
        QCOMPARE(resolveChoice("", &note), QStringLiteral("English"));
        QVERIFY(note.isEmpty());
        QCOMPARE(resolveChoice("Klingon", &note), QStringLiteral("English"));
        QVERIFY(note.contains("Klingon"));
    }

    void englishTextsAreTheBuiltInOnes()
    {
        QVERIFY(QFile::copy(shippedLanguage("English"), "modules/i18n/English.ini"));
        QCOMPARE(getLangStrings("keyCode", "English"), keyNames());
        const QStringList assignment = getLangStrings("keyAssigment", "English");
        QCOMPARE(assignment.at(0), QStringLiteral("Key "));
        QCOMPARE(assignment.mid(27, 8),
            (QStringList {
                "Player", "Next", "Privous", "Stop", "Mute", "Play/Pause", "Volumn+", "Volumn-"}));
        QCOMPARE(assignment.at(56), QStringLiteral("Sniper Key"));
        QCOMPARE(getLangStrings("main", "English").at(6), QStringLiteral("Reset factory setting"));
        QCOMPARE(getLangStrings("lightControl", "English").at(15), QStringLiteral("Breath Loop"));
        QCOMPARE(
            getLangStrings("macroEditor", "English").at(17), QStringLiteral("Insert Right Key"));
        QCOMPARE(getLangStrings("profile", "English").at(5), QStringLiteral("Standard"));
    }
};

QTEST_GUILESS_MAIN(TestLangStrings)
#include "tst_lang_strings.moc"
