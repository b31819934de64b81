// The system settings page as a user meets it: pointer speed, double-click speed and wheel
// lines reach the desktop's settings when they change, a profile switch or reset applies all
// three, and a setting the desktop does not take is said so on the page.
//
// The desktop here keeps its settings in a GSettings key file of a temporary folder (GNOME)
// or in kdeglobals (KDE Plasma, which is also told on a private session bus).

#include "test_desktop.h"

#include "scene_rig.h"

#include <QtTest>

using namespace simtest;

class TestSystemPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pointerSpeedAppliesOnlyItself_data();
    void pointerSpeedAppliesOnlyItself();
    void doubleClickSpeedAppliesOnlyItself_data();
    void doubleClickSpeedAppliesOnlyItself();
    void oneScreenOnPlasma();
    void pointerSpeedOnPlasmaWithoutKWin();
    void settingTheDesktopDidNotTake();
    void resetAndRestoreApplyEverything();

private:
    SceneDriver &scene() { return *rig->scene; }
    double speed() const { return g_settings_get_double(m_mouse, "speed"); }
    int doubleClick() const { return g_settings_get_int(m_mouse, "double-click"); }
    bool openPage()
    {
        return scene().click("systemSettingEntry") && scene().waitUsable("pointerSpeedSlider");
    }
    bool noteShown(const char *note) { return scene().property(note, "shown").toBool(); }
    QByteArray kdeglobals() const { return rig->fileBytes(rig->dir.path("config/kdeglobals")); }

    TestDesktop m_desktop;
    GSettings *m_mouse = nullptr;
    std::unique_ptr<SceneRig> rig;
};

void TestSystemPage::initTestCase()
{
    const QString missing = m_desktop.start();
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
    m_mouse = m_desktop.mouse();
}

void TestSystemPage::init()
{
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    g_settings_set_double(m_mouse, "speed", 0.3);
    g_settings_set_int(m_mouse, "double-click", 555);
    g_settings_sync();
    rig = std::make_unique<SceneRig>();
}

void TestSystemPage::cleanup()
{
    rig.reset();
}

void TestSystemPage::pointerSpeedAppliesOnlyItself_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<double>("desktopSpeed");
    // Step 0 is the slowest pointer speed of the desktop, step 5 its default, step 10 its
    // fastest.
    QTest::newRow("3: step 0") << 3 << -1.0;
    QTest::newRow("37: step 2") << 37 << -0.6;
    QTest::newRow("171: step 5") << 171 << 0.0;
    QTest::newRow("337: step 10") << 337 << 1.0;
}

void TestSystemPage::pointerSpeedAppliesOnlyItself()
{
    QFETCH(int, position);
    QFETCH(double, desktopSpeed);
    QVERIFY(rig->startAt("systemSettingEntry", "pointerSpeedSlider"));
    QCOMPARE(scene().property("systemSettings", "width").toInt(), 416);
    QCOMPARE(scene().property("systemSettings", "height").toInt(), 312);
    QCOMPARE(scene().property("pointerSpeedSlider", "value").toInt(), 150);

    QVERIFY(scene().setSlider("pointerSpeedSlider", position));
    QTRY_COMPARE(rig->profileValue(0, "mouse/mouseRate").toInt(), position);
    QCOMPARE(speed(), desktopSpeed);
    // Only the pointer speed was applied: the double-click time is as it was, and the wheel
    // lines, which this desktop would refuse, were not tried.
    QCOMPARE(doubleClick(), 555);
    QVERIFY(!noteShown("scrollLinesNote"));
    QVERIFY(!noteShown("pointerSpeedSliderNote"));
    QCOMPARE(rig->profileValue(0, "mouse/doubleRate").toInt(), 150);
    QCOMPARE(rig->profileValue(0, "mouse/scrollRate").toInt(), 3);
    QVERIFY(sim::wireLog().empty());
}

void TestSystemPage::doubleClickSpeedAppliesOnlyItself_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("ms");
    QTest::newRow("3: step 0") << 3 << 900;
    QTest::newRow("104: step 4") << 104 << 620;
    QTest::newRow("337: step 10") << 337 << 200;
}

void TestSystemPage::doubleClickSpeedAppliesOnlyItself()
{
    QFETCH(int, position);
    QFETCH(int, ms);
    QVERIFY(rig->startAt("systemSettingEntry", "pointerSpeedSlider"));
    QVERIFY(scene().setSlider("doubleClickSlider", position));
    QTRY_COMPARE(rig->profileValue(0, "mouse/doubleRate").toInt(), position);
    QCOMPARE(doubleClick(), ms);
    QCOMPARE(speed(), 0.3);
    QVERIFY(!noteShown("scrollLinesNote"));
    QCOMPARE(scene().text("doubleClickSlider"),
        QString::number(position == 3 ? 0
                : position == 104     ? 4
                                      : 10));
}

// On Plasma the wheel lines apply: a stored rate above 100 shows "Scroll one Screen" and is
// applied as 1000 lines with the profile; lines typed or the box cleared apply at once.
void TestSystemPage::oneScreenOnPlasma()
{
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    {
        QSettings names(rig->file("modules/setting/name.bin"), QSettings::IniFormat);
        names.setValue("profile/profileName", QStringList {"Standard0", "Reading1"});
    }
    rig->setProfileValue(1, "mouse/scrollRate", 250);
    QVERIFY(rig->start());
    QVERIFY(scene().choose("profileDropDown", 1));
    QTRY_COMPARE(rig->globalValue("mouse/profileNo").toInt(), 1);
    QTRY_VERIFY(kdeglobals().contains("WheelScrollLines=1000"));
    QVERIFY(kdeglobals().contains("[KDE]"));
    QCOMPARE(rig->profileValue(1, "mouse/scrollRate").toInt(), 1000);

    QVERIFY(openPage());
    QVERIFY(scene().property("scrollOneScreen", "checked").toBool());
    QVERIFY(!scene().property("scrollLinesField", "enabled").toBool());
    QVERIFY(!noteShown("scrollLinesNote"));

    QVERIFY(scene().click("scrollOneScreen"));
    QTRY_VERIFY(kdeglobals().contains("WheelScrollLines=3\n"));
    QCOMPARE(rig->profileValue(1, "mouse/scrollRate").toInt(), 3);
    QVERIFY(scene().typeInto("scrollLinesField", "12"));
    QTRY_VERIFY(kdeglobals().contains("WheelScrollLines=12\n"));
    QCOMPARE(rig->profileValue(1, "mouse/scrollRate").toInt(), 12);
    // Beyond 100 lines the keystroke is refused: the 10 typed before it is the number.
    QVERIFY(scene().typeInto("scrollLinesField", "101"));
    QCOMPARE(scene().property("scrollLinesField", "value").toInt(), 10);
    QTRY_VERIFY(kdeglobals().contains("WheelScrollLines=10\n"));
    QCOMPARE(rig->profileValue(1, "mouse/scrollRate").toInt(), 10);
    QVERIFY(!noteShown("scrollLinesNote"));
    QCOMPARE(rig->profileValue(0, "mouse/scrollRate").toInt(), 3);
}

// Plasma on X11 (no KWin input devices on the bus) lets no program set the pointer speed:
// the page says so under the slider from the start, and the choice stays in the profile.
void TestSystemPage::pointerSpeedOnPlasmaWithoutKWin()
{
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    QVERIFY(rig->startAt("systemSettingEntry", "pointerSpeedSlider"));
    QVERIFY(noteShown("pointerSpeedSliderNote"));
    QCOMPARE(scene().property("pointerSpeedSliderNote", "text").toString(),
        QStringLiteral("This desktop does not let programs change it"));
    QVERIFY(!noteShown("doubleClickSliderNote"));
    QVERIFY(scene().setSlider("pointerSpeedSlider", 337));
    QTRY_COMPARE(rig->profileValue(0, "mouse/mouseRate").toInt(), 337);
    QVERIFY(noteShown("pointerSpeedSliderNote"));
    QCOMPARE(speed(), 0.3);
}

// Outside Plasma the wheel lines cannot be set: the page says so under its row, keeps the
// choice in the profile, and says nothing under the settings that were taken.
void TestSystemPage::settingTheDesktopDidNotTake()
{
    QVERIFY(rig->startAt("systemSettingEntry", "pointerSpeedSlider"));
    QVERIFY(!noteShown("scrollLinesNote"));
    QVERIFY(scene().click("scrollOneScreen"));
    QTRY_VERIFY(noteShown("scrollLinesNote"));
    QCOMPARE(rig->profileValue(0, "mouse/scrollRate").toInt(), 1000);
    QVERIFY(!noteShown("pointerSpeedSliderNote"));
    QVERIFY(!noteShown("doubleClickSliderNote"));
    QVERIFY(kdeglobals().isEmpty());

    // A setting that is taken clears only its own note.
    QVERIFY(scene().setSlider("pointerSpeedSlider", 337));
    QCOMPARE(speed(), 1.0);
    QVERIFY(noteShown("scrollLinesNote"));
}

// The factory reset and the page's own restore icon apply all three settings.
void TestSystemPage::resetAndRestoreApplyEverything()
{
    rig->setProfileValue(0, "mouse/mouseRate", 320);
    rig->setProfileValue(0, "mouse/doubleRate", 10);
    QVERIFY(rig->start());
    QVERIFY(scene().click("resetButton"));
    QVERIFY(scene().click("resetBoxOk"));
    // The factory positions (150 both) are step 5: the default speed, 550 ms.
    QTRY_COMPARE(speed(), 0.0);
    QCOMPARE(doubleClick(), 550);
    QVERIFY(openPage());
    QVERIFY(noteShown("scrollLinesNote"));
    QCOMPARE(scene().property("pointerSpeedSlider", "value").toInt(), 150);

    QVERIFY(scene().setSlider("pointerSpeedSlider", 3));
    QVERIFY(scene().setSlider("doubleClickSlider", 337));
    QVERIFY(scene().click("scrollOneScreen"));
    QCOMPARE(speed(), -1.0);
    QCOMPARE(doubleClick(), 200);
    QVERIFY(scene().click("systemSettingsBack"));
    QTRY_COMPARE(speed(), 0.0);
    QCOMPARE(doubleClick(), 550);
    QCOMPARE(rig->profileValue(0, "mouse/mouseRate").toInt(), 150);
    QCOMPARE(rig->profileValue(0, "mouse/doubleRate").toInt(), 150);
    QCOMPARE(rig->profileValue(0, "mouse/scrollRate").toInt(), 3);
    QVERIFY(!scene().property("scrollOneScreen", "checked").toBool());
    QCOMPARE(scene().property("doubleClickSlider", "value").toInt(), 150);
    QVERIFY(scene().click("systemSettingsOk"));
    QVERIFY(!scene().isShown("systemSettings"));
}

QTEST_MAIN(TestSystemPage)
#include "tst_system_page.moc"
