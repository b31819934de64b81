#include "lang_strings.h"
#include "notification_texts.h"
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

}  // namespace

class TestLangStrings : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoreDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<StoreDir>(QStringList {"i18n"});
        NotificationTexts::reset();
    }
    void cleanup()
    {
        m_dir.reset();
        NotificationTexts::reset();
    }

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

    void otherReplacesNotificationTexts_data()
    {
        QTest::addColumn<int>("strings");
        QTest::newRow("ten") << 10;
        QTest::newRow("eight") << 8;
        QTest::newRow("three") << 3;
        QTest::newRow("none") << 0;
    }
    void otherReplacesNotificationTexts()
    {
        QFETCH(int, strings);
        QByteArray content = "[other]\ntotal=" + QByteArray::number(strings) + "\n";
        for (int i = 0; i < strings; ++i)
            content += QByteArray::number(i) + "=Stufe " + QByteArray::number(i + 1) + "\n";
        writeLanguage(QStringLiteral("de"), content);
        QCOMPARE(getLangStrings(QStringLiteral("other"), QStringLiteral("de")).size(), strings);
        for (int stage = 1; stage <= 8; ++stage) {
            const QString expected = stage <= strings ? QStringLiteral("Stufe %1").arg(stage)
                                                      : QStringLiteral("DPI Switch to");
            QCOMPARE(NotificationTexts::forStage(stage), expected);
        }
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
        QCOMPARE(NotificationTexts::forStage(1), QStringLiteral("DPI Switch to"));
    }

    void shippedFilesAreComplete_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << "English";
        QTest::newRow("ChineseSimplified") << "ChineseSimplified";
    }
    void shippedFilesAreComplete()
    {
        QFETCH(QString, code);
        const QSettings file(shippedLanguage(code), QSettings::IniFormat);
        QCOMPARE(file.status(), QSettings::NoError);
        QVERIFY(QFile::copy(shippedLanguage(code), "modules/i18n/" + code + ".ini"));
        // Section and the number of texts the scene's page holds (at least).
        const QList<QPair<QString, int>> sections {{"main", 15}, {"keyMatrix", 8},
            {"keyAssigment", 60}, {"dpiSetting", 8}, {"lightControl", 20}, {"macroEditor", 20},
            {"systemSetting", 10}, {"gunControl", 16}, {"profile", 9}, {"keyCode", 133},
            {"other", 8}};
        for (const auto &[section, count] : sections) {
            const QStringList texts = getLangStrings(section, code);
            QVERIFY2(texts.size() >= count, qPrintable(section));
            for (int i = 0; i < texts.size(); ++i)
                QVERIFY2(file.contains(QStringLiteral("%1/%2").arg(section).arg(i)),
                    qPrintable(QStringLiteral("%1/%2").arg(section).arg(i)));
        }
        QStringList names = getLangStrings(QStringLiteral("keyCode"), code);
        QCOMPARE(names.size(), 133);
        QCOMPARE(names.at(0x31 - 4), names.at(0x32 - 4));
        names.removeAt(0x32 - 4);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        QVERIFY(!names.contains(QString()));
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
