// Device discovery and the host window against the simulated device: which device is
// accepted, what a connection does, and when device changes lead to a new check.

#include "diagnostics.h"
#include "lang_strings.h"
#include "myqquickview.h"
#include "notification_texts.h"
#include "runtime_dir.h"
#include "sim_support.h"
#include "widget.h"

#include <QMenu>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace simtest;

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keyboardEntryWins();
    void eventInterfaceAloneIsNotEnough();
    void commandInterfaceAloneIsAccepted();
    void noDeviceHidesTheWindow();
    void pluggedLaterIsFoundAfterOneCheck();
    void checkOfABurstIsNotRepeated();
    void noCheckWhileTheMonitorRuns();
    void removalAndReplug();
    void profileReadsOf560_data();
    void profileReadsOf560();
    void restoreOnlyWhileConnected();
    void countBeyondTheFileIsBounded();
    void trayMenuQuits();
    void notificationTextsFromTheLanguage();

private:
    Widget &window();

    std::unique_ptr<RuntimeDir> dir;
    std::unique_ptr<Widget> widget;
    std::unique_ptr<DiagnosticCapture> diagnostics;
};

void TestDiscovery::init()
{
    sim::reset();
    dir = std::make_unique<RuntimeDir>();
    diagnostics = std::make_unique<DiagnosticCapture>();
}

void TestDiscovery::cleanup()
{
    widget.reset();
    diagnostics.reset();
    dir.reset();
    sim::reset();
}

// Built on first use, so a test can change the configuration before the view caches it.
Widget &TestDiscovery::window()
{
    if (!widget) {
        widget = std::make_unique<Widget>();
        widget->showNormal();
    }
    return *widget;
}

void TestDiscovery::keyboardEntryWins()
{
    const sim::DeviceId keyboard = sim::plug(sim::referenceKeyboard(sim::Family::F553));
    const sim::DeviceId mouse = sim::plug(sim::referenceMouse(sim::Family::F553));
    QSignalSpy balloons(&window(), &Widget::balloonShown);
    window().checkDevice();

    QCOMPARE(window().hid().currentDevice(), 0);
    QVERIFY(window().isDeviceConnected());
    QCOMPARE(diagnostics->count("Device Connect"), 1);
    QCOMPARE(balloons.size(), 1);
    QCOMPARE(balloons.at(0).at(1).toString(), QStringLiteral("Detect Device"));
    QVERIFY(window().view()->isEnabled());
    QCOMPARE(window().hid().devices().size(), 2);
    QVERIFY(!window().hid().devices().at(1).path.isEmpty());  // found, but not the one in use

    // The start-up exchange went to the keyboard: the option read and its write-back.
    QCOMPARE(sim::state(keyboard).options[3] & 0x40, 0x40);
    QTRY_VERIFY(window().view()->rootObject()->isVisible());  // initUI ran
    QCOMPARE(sim::openCount(mouse, sim::Interface::Command), 0);
    QCOMPARE(sim::openCount(mouse, sim::Interface::Event), 0);
}

void TestDiscovery::eventInterfaceAloneIsNotEnough()
{
    sim::DeviceSpec model = sim::referenceMouse(sim::Family::F553);
    model.command.present = false;
    sim::plug(model);
    window().checkDevice();
    QCOMPARE(diagnostics->count("Device DisConnect"), 1);
    QVERIFY(!window().isDeviceConnected());
    QVERIFY(!window().isVisible());
    QVERIFY(!window().hid().devices().at(1).path2.isEmpty());
}

void TestDiscovery::commandInterfaceAloneIsAccepted()
{
    sim::DeviceSpec model = sim::referenceMouse(sim::Family::F553);
    model.event.present = false;
    sim::plug(model);
    window().checkDevice();
    QCOMPARE(window().hid().currentDevice(), 1);
    QVERIFY(window().isDeviceConnected());
    QVERIFY(window().isVisible());
    // Nothing to watch: the monitor ends at once and device changes start checks again.
    QTRY_VERIFY(!window().hid().isMonitorRunning());
}

void TestDiscovery::noDeviceHidesTheWindow()
{
    QSignalSpy balloons(&window(), &Widget::balloonShown);
    window().checkDevice();
    QCOMPARE(diagnostics->lines().filter("Device").size(), 1);
    QCOMPARE(diagnostics->count("Device DisConnect"), 1);
    QVERIFY(!window().isVisible());
    QVERIFY(!window().isDeviceConnected());
    QCOMPARE(balloons.size(), 0);
    QVERIFY(window().hid().devices().size() == 2);
}

// A burst of device changes gives one check, 2048 ms after the last of them.
void TestDiscovery::pluggedLaterIsFoundAfterOneCheck()
{
    window().checkDevice();
    QVERIFY(!window().isVisible());
    sim::plug(sim::referenceMouse(sim::Family::F553));

    QElapsedTimer clock;
    clock.start();
    window().deviceChanged();
    QTest::qWait(500);
    window().deviceChanged();
    QTest::qWait(500);
    const qint64 lastChange = clock.elapsed();
    window().deviceChanged();
    QVERIFY(window().isPollPending());

    QTRY_VERIFY_WITH_TIMEOUT(window().isDeviceConnected(), 4000);
    QVERIFY2(clock.elapsed() - lastChange >= 2040, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(diagnostics->count("Device Connect"), 1);
    QCOMPARE(diagnostics->count("Device DisConnect"), 1);  // only the first check
    QVERIFY(!window().isVisible());  // a device found while hidden does not show the window
}

// The check that ends a burst is the last one until the next device change, also when it
// finds nothing.
void TestDiscovery::checkOfABurstIsNotRepeated()
{
    window().deviceChanged();
    QTest::qWait(100);
    window().deviceChanged();
    QTRY_COMPARE_WITH_TIMEOUT(diagnostics->count("Device DisConnect"), 1, 4000);
    QVERIFY(!window().isPollPending());
    QTest::qWait(Widget::kPollInterval + 500);
    QCOMPARE(diagnostics->count("Device DisConnect"), 1);
    QVERIFY(!window().isPollPending());
}

void TestDiscovery::noCheckWhileTheMonitorRuns()
{
    sim::plug(sim::referenceMouse(sim::Family::F553));
    window().checkDevice();
    QVERIFY(window().hid().isMonitorRunning());
    window().deviceChanged();
    QVERIFY(!window().isPollPending());
}

void TestDiscovery::removalAndReplug()
{
    const sim::DeviceId mouse = sim::plug(sim::referenceMouse(sim::Family::F553));
    window().checkDevice();
    sim::unplug(mouse);
    QTRY_VERIFY_WITH_TIMEOUT(!window().hid().isMonitorRunning(), 2000);
    QTRY_VERIFY(!window().view()->isEnabled());
    QCOMPARE(diagnostics->count("Device removed"), 1);

    window().deviceChanged();  // unplugged: the check reports the disconnection
    QTRY_COMPARE_WITH_TIMEOUT(diagnostics->count("Device DisConnect"), 1, 4000);
    QVERIFY(!window().isDeviceConnected());

    sim::plug(sim::referenceMouse(sim::Family::F553));
    window().deviceChanged();  // plugged again: found anew
    QTRY_COMPARE_WITH_TIMEOUT(diagnostics->count("Device Connect"), 2, 4000);
    QTRY_VERIFY_WITH_TIMEOUT(window().view()->isEnabled(), 3000);  // after the busy lock
    QVERIFY(window().hid().isMonitorRunning());
}

void TestDiscovery::profileReadsOf560_data()
{
    QTest::addColumn<bool>("gun");
    QTest::addColumn<QStringList>("reads");
    QTest::newRow("no gun buttons") << false << QStringList {"00 8C 00", "00 8C 01"};
    QTest::newRow("gun buttons") << true
                                 << QStringList {
                                        "00 8C 00", "00 8C 01", "00 8C 02", "00 8C 03", "00 8C 04"};
}

// A 560 device's profiles are read into the images on every connection.
void TestDiscovery::profileReadsOf560()
{
    QFETCH(bool, gun);
    QFETCH(QStringList, reads);
    dir->setGlobal("mouse/icType", "560");
    dir->setGlobal("mouse/isGun", gun);
    const sim::DeviceId mouse = sim::plug(sim::referenceMouse(sim::Family::F560));
    sim::modifyState(mouse, [](sim::DeviceState &s) { s.profiles[1].fill(0x11); });
    window().checkDevice();

    const QStringList profileReads = sentReports().filter(QRegularExpression("^00 8C"));
    QStringList prefixes;
    for (const QString &r : profileReads)
        prefixes << r.left(8);
    QCOMPARE(prefixes, reads);
    QCOMPARE(int(window().view()->profileImages()[1][0]), 0x11);
    // The option read and write-back of the 560 family went first.
    QVERIFY(sentReports().first().startsWith("00 81"));
}

// A double click restores, and on Linux a plain activation too: trays of the D-Bus protocol
// report nothing else. Only while a device is connected; the menu request never restores.
void TestDiscovery::restoreOnlyWhileConnected()
{
    window().checkDevice();
    window().trayIconActivated(QSystemTrayIcon::DoubleClick);
    window().trayIconActivated(QSystemTrayIcon::Trigger);
    window().receiveMessage(QString());
    QTest::qWait(50);
    QVERIFY(!window().isVisible());

    sim::plug(sim::referenceMouse(sim::Family::F553));
    window().checkDevice();
    window().setVisible(false);
    window().trayIconActivated(QSystemTrayIcon::Context);
    window().trayIconActivated(QSystemTrayIcon::MiddleClick);
    QTest::qWait(50);
    QVERIFY(!window().isVisible());
    window().receiveMessage(QString());
    QTRY_VERIFY(window().isVisible());
    for (const auto reason : {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger}) {
        window().setVisible(false);
        window().trayIconActivated(reason);
        QTRY_VERIFY(window().isVisible());
    }
}

void TestDiscovery::countBeyondTheFileIsBounded()
{
    dir->setGlobal("common/deviceCount", 2000000000);
    window().checkDevice();
    QCOMPARE(window().hid().devices().size(), 64);
    QVERIFY(diagnostics->contains("common/deviceCount 2000000000 is too large, reading 64"));
    QCOMPARE(diagnostics->count("Device DisConnect"), 1);
}

// The tray menu's last entry ends the event loop with code 0 and stops the monitor first.
void TestDiscovery::trayMenuQuits()
{
    sim::plug(sim::referenceMouse(sim::Family::F553));
    window().checkDevice();
    QSystemTrayIcon *tray = window().tray();
    QCOMPARE(tray->toolTip(), QStringLiteral("KORVANE STRYLA MOUSE Z7"));
    QVERIFY(!tray->icon().isNull());
    QMenu *menu = tray->contextMenu();
    QVERIFY(menu);
    QCOMPARE(menu->actions().last()->text(), QStringLiteral("Quit (&Q)"));
    QVERIFY(menu->styleSheet().startsWith("QMenu { border: 1px solid rgb(100, 100, 100); "
                                          "background: rgb(68, 69, 73); } "));
    QVERIFY(menu->styleSheet().endsWith("QMenu::icon { padding-left: 2px; padding-right: 2px; } "));

    QVERIFY(window().hid().isMonitorRunning());
    QTimer::singleShot(0, menu->actions().last(), &QAction::trigger);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window().hid().isMonitorRunning());
}

// The scene reads the configured language at its first start; a DPI switch on the device then
// shows the language's notification text.
void TestDiscovery::notificationTextsFromTheLanguage()
{
    NotificationTexts::reset();
    dir->setGlobal("common/language", "ChineseSimplified");
    const sim::DeviceId mouse = sim::plug(sim::referenceMouse(sim::Family::F553));
    window().checkDevice();
    const QStringList other = LangStrings::getLangStrings("other", "ChineseSimplified");
    QVERIFY(other.size() >= 8);
    QTRY_COMPARE(NotificationTexts::forStage(1), other.at(0));

    QSignalSpy balloons(&window(), &Widget::balloonShown);
    sim::queueEvent(mouse, {0x06, 0x07, 0x00, 0x03});
    QTRY_COMPARE_WITH_TIMEOUT(balloons.size(), 1, 2000);
    QCOMPARE(balloons.at(0).at(0).toString(), QStringLiteral("Info"));
    QCOMPARE(balloons.at(0).at(1).toString(), other.at(2) + QLatin1Char(' '));
    QObject *root = window().view()->rootObject();
    QTRY_COMPARE(root->property("currentStage").toInt(), 2);
}

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
