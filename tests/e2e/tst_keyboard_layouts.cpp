// Keys named and shortcuts sent for the keyboard layout of the X server, switched with
// setxkbmap as a user's desktop switches it: US, German (QWERTZ), French (AZERTY) and Russian
// (no Latin letters). The real scene over a simulated mouse; entries checked in the profile
// file on disk.

#include "scene_rig.h"

#include <QProcess>
#include <QtTest>

using namespace simtest;

namespace {

using Entry = QList<int>;

bool setLayout(const QString &layout)
{
    return QProcess::execute(QStringLiteral("setxkbmap"), {layout}) == 0;
}

}  // namespace

class TestKeyboardLayouts : public QObject
{
    Q_OBJECT

private slots:
    void init() { rig = std::make_unique<SceneRig>(); }
    void cleanup() { rig.reset(); }
    void cleanupTestCase() { setLayout(QStringLiteral("us")); }
    void keysAndShortcutsFollowTheLayout_data();
    void keysAndShortcutsFollowTheLayout();

private:
    SceneDriver &scene() { return *rig->scene; }
    Entry pageEntry()
    {
        Entry entry;
        for (const char *name : {"keyCode0", "keyCode1", "keyCode2", "keyCode3"})
            entry.append(scene().property(QStringLiteral("keyAssignment"), name).toInt());
        return entry;
    }
    Entry storedEntry(int position)
    {
        Entry entry;
        for (const QString &v :
            rig->profileValue(0, QStringLiteral("mouseKeyMatrix/%1").arg(position)).toStringList())
            entry.append(v.toInt());
        return entry;
    }
    bool openButton(int position)
    {
        return scene().click(QStringLiteral("keyMatrixRow%1").arg(position))
            && SceneDriver::waitFor([this] { return scene().isShown("keyAssignment"); });
    }

    std::unique_ptr<SceneRig> rig;
};

void TestKeyboardLayouts::keysAndShortcutsFollowTheLayout_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("name");
    // The keys at the US positions of Y, Z and semicolon as the layout prints them.
    QTest::addColumn<QString>("combination");
    QTest::addColumn<QString>("fireKey");
    // The key sent with Ctrl for Select all (A) and Undo (Z).
    QTest::addColumn<int>("selectAll");
    QTest::addColumn<int>("undo");

    QTest::newRow("us") << "us"
                        << "English (US)"
                        << "LCtrl + Z + ;"
                        << "Y" << 0x04 << 0x1D;
    QTest::newRow("de") << "de"
                        << "German"
                        << "LCtrl + Y + Ö"
                        << "Z" << 0x04 << 0x1C;
    QTest::newRow("fr") << "fr"
                        << "French"
                        << "LCtrl + W + M"
                        << "Y" << 0x14 << 0x1A;
    // No Latin letter on the layout: the US keys, which desktops read as the Latin shortcut.
    QTest::newRow("ru") << "ru"
                        << "Russian"
                        << "LCtrl + Я + Ж"
                        << "Н" << 0x04 << 0x1D;
}

void TestKeyboardLayouts::keysAndShortcutsFollowTheLayout()
{
    QFETCH(QString, layout);
    QFETCH(QString, name);
    QFETCH(QString, combination);
    QFETCH(QString, fireKey);
    QFETCH(int, selectAll);
    QFETCH(int, undo);
    QVERIFY(setLayout(layout));
    QVERIFY(rig->start());

    // A combination captured by key position, named as printed.
    QVERIFY(openButton(1));
    QVERIFY(scene().click("assignSection2"));
    QVERIFY(scene().click("comboField"));
    for (int code : {0xE0, 0x1D, 0x33})
        scene().hookKey(code, true);
    QCOMPARE(scene().text("comboField"), combination);
    QVERIFY(scene().click("comboConfirm"));
    QCOMPARE(pageEntry(), Entry({2, 0x01, 0x1D, 0x33}));
    QCOMPARE(scene().property("keyAssignment", "title").toString(),
        QStringLiteral("Key 2: ") + combination);

    // A fire key.
    QVERIFY(scene().click("assignSection1"));
    QVERIFY(scene().click("fireKeyField"));
    scene().hookKey(0x1C, true);
    QCOMPARE(scene().text("fireKeyField"), fireKey);
    QCOMPARE(pageEntry(), Entry({1, 0x1C, 10, 0}));
    QVERIFY(scene().click("keyAssignmentClose"));
    QCOMPARE(scene().text("keyMatrixText1"), fireKey);

    // Shortcuts: the key that gives the letter here, and the page names the layout.
    QVERIFY(openButton(3));
    QVERIFY(scene().click("assignSection7"));
    QVERIFY(scene().text("assignLayoutLine").endsWith(name));
    QVERIFY(scene().click("assignChoice51"));
    QCOMPARE(pageEntry(), Entry({7, 0, 0xE0, selectAll}));
    QVERIFY(scene().property("assignChoice51", "checked").toBool());
    QVERIFY(scene().click("keyAssignmentClose"));
    QCOMPARE(scene().text("keyMatrixText3"), QStringLiteral("Select All"));
    QVERIFY(openButton(4));
    QVERIFY(scene().click("assignSection7"));
    QVERIFY(scene().click("assignChoice50"));
    QCOMPARE(pageEntry(), Entry({7, 0, 0xE0, undo}));
    QVERIFY(scene().click("keyAssignmentClose"));
    QCOMPARE(scene().text("keyMatrixText4"), QStringLiteral("Undo"));

    // Stored as key codes, the same in every layout.
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(storedEntry(3), Entry({7, 0, 0xE0, selectAll}));
    QCOMPARE(storedEntry(4), Entry({7, 0, 0xE0, undo}));
    QCOMPARE(storedEntry(1), Entry({1, 0x1C, 10, 0}));
}

QTEST_MAIN(TestKeyboardLayouts)
#include "tst_keyboard_layouts.moc"
