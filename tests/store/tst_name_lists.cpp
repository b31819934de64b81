#include "name_lists.h"
#include "store_fixture.h"

#include <QtTest>

namespace {

constexpr char kNameFile[] = "modules/setting/name.bin";

}  // namespace

class TestNameLists : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void emptyListRemovesOnlyItsKey();
    void missingFileReadsEmpty();
    void macroNames_data();
    void macroNames();
};

void TestNameLists::roundTrip_data()
{
    QTest::addColumn<QVariant>("type");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVariantList>("stored");
    QTest::addColumn<QByteArray>("text");  // what the name file holds afterwards

    QTest::newRow("one macro") << QVariant(0) << QStringList {"Macro_1"}
                               << QVariantList {"Macro_1", "loaderpivlan"}
                               << QByteArray("[macro]\nmacroName=Macro_1, loaderpivlan\n");
    QTest::newRow("three guns") << QVariant(1) << QStringList {"AK", "M4", "P90"}
                                << QVariantList {"AK", "M4", "P90"}
                                << QByteArray("[gun]\ngunName=AK, M4, P90\n");
    QTest::newRow("one profile entry")
        << QVariant(2) << QStringList {"profile_03"} << QVariantList {"profile_03", "loaderpivlan"}
        << QByteArray("[profile]\nprofileName=profile_03, loaderpivlan\n");
    QTest::newRow("type given as text")
        << QVariant("3") << QStringList {"a", "b"} << QVariantList {"a", "b"}
        << QByteArray("[gun]\nselectGun=a, b\n");
    QTest::newRow("names with separator and marker")
        << QVariant(0) << QStringList {"a, b", "@c"} << QVariantList {"a, b", "@c"}
        << QByteArray("[macro]\nmacroName=\"a, b\", @@c\n");
    QTest::newRow("unknown type") << QVariant(7) << QStringList {"x"} << QVariantList()
                                  << QByteArray();
    QTest::newRow("type that is no number")
        << QVariant("gun") << QStringList {"x"} << QVariantList() << QByteArray();
}

void TestNameLists::roundTrip()
{
    QFETCH(QVariant, type);
    QFETCH(QStringList, names);
    QFETCH(QVariantList, stored);
    QFETCH(QByteArray, text);
    StoreDir dir;
    const NameLists lists;
    QCOMPARE(lists.updataNameList(type, names), QVariant(true));
    QCOMPARE(lists.getNameList(type), stored);
    QCOMPARE(readFile(kNameFile), text);
}

void TestNameLists::emptyListRemovesOnlyItsKey()
{
    StoreDir dir;
    const NameLists lists;
    lists.updataNameList(0, {"Macro_1", "Macro_2"});
    lists.updataNameList(2, {"Standard0", "profile_11"});
    lists.updataNameList(0, {});
    QCOMPARE(lists.getNameList(0), QVariantList());
    QCOMPARE(lists.getNameList(2), QVariantList({"Standard0", "profile_11"}));
    QCOMPARE(readFile(kNameFile), QByteArray("[profile]\nprofileName=Standard0, profile_11\n"));
}

// Reading creates no file; a list the file holds as a single plain name reads as empty.
void TestNameLists::missingFileReadsEmpty()
{
    StoreDir dir;
    const NameLists lists;
    for (int type = 0; type < 4; ++type)
        QCOMPARE(lists.getNameList(type), QVariantList());
    QVERIFY(!QFile::exists(kNameFile));
    writeFile(kNameFile, "[macro]\nmacroName=Macro_1\n");
    QCOMPARE(lists.getNameList(0), QVariantList());
}

// The rule the macro editor asks before a rename (the macro files' rule and the sentinel).
void TestNameLists::macroNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    QTest::newRow("plain") << "Macro_1" << true;
    QTest::newRow("blanks, dots and Chinese inside") << "录制 v1.2" << true;
    QTest::newRow("64 characters") << QString(64, QLatin1Char('m')) << true;
    QTest::newRow("65 characters") << QString(65, QLatin1Char('m')) << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("parent folder") << ".." << false;
    QTest::newRow("hidden file") << ".fire" << false;
    QTest::newRow("tab") << "a\tb" << false;
    QTest::newRow("DEL") << "a\u007fb" << false;
    QTest::newRow("C1 control") << "a\u0085b" << false;
    QTest::newRow("the sentinel") << "loaderpivlan" << false;
}

void TestNameLists::macroNames()
{
    QFETCH(QString, name);
    QFETCH(bool, usable);
    QCOMPARE(NameLists::takesMacroName(name), usable);
}

QTEST_MAIN(TestNameLists)
#include "tst_name_lists.moc"
