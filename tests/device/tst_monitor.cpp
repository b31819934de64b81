// The monitor job against the simulated device: the keyboard-option start, DPI-switch
// reports, removal, and stopping while the job waits in a read.

#include "device_rig.h"
#include "diagnostics.h"
#include "notification_texts.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace simtest;

class TestMonitor : public QObject, public DeviceRig
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startMarksKeyboardOptions_data();
    void startMarksKeyboardOptions();
    void startWithoutOptionReplyWritesNothing();
    void dpiSwitchReachesSceneAndTray_data();
    void dpiSwitchReachesSceneAndTray();
    void otherReportsDoNothing_data();
    void otherReportsDoNothing();
    void unplugIsNoticed();
    void stopWhileReading();
    void withoutEventInterfaceTheJobEnds();

private:
    // The reference mouse of family, with or without its event interface.
    void attach(sim::Family family, bool withEvent = true);
};

void TestMonitor::init()
{
    renew();
    NotificationTexts::reset();
}

void TestMonitor::cleanup()
{
    release();
}

void TestMonitor::attach(sim::Family family, bool withEvent)
{
    sim::DeviceSpec model = sim::referenceMouse(family);
    model.event.present = withEvent;
    DeviceRig::attach(model);
}

void TestMonitor::startMarksKeyboardOptions_data()
{
    QTest::addColumn<bool>("is560");
    QTest::addColumn<QStringList>("reports");
    QTest::newRow("553: bit 0x40 of byte 4")
        << false << QStringList {"00 83 00 00 00 00 00 00 7C", "00 03 01 02 03 44 00 00 B2"};
    QTest::newRow("560: bit 0x08 of byte 1")
        << true << QStringList {"00 81 00 00 00 00 00 00 7E", "00 01 09 02 00 00 00 00 F3"};
}

void TestMonitor::startMarksKeyboardOptions()
{
    QFETCH(bool, is560);
    QFETCH(QStringList, reports);
    attach(is560 ? sim::Family::F560 : sim::Family::F553);
    sim::modifyState(device, [](sim::DeviceState &s) { s.options = {1, 2, 3, 4}; });

    hid->startMonitor(0);
    QVERIFY(hid->isMonitorRunning());
    QCOMPARE(sentReports(), reports);
    QCOMPARE(int(sim::state(device).options[is560 ? 0 : 3]), is560 ? 0x09 : 0x44);
    hid->stopMonitor();
}

void TestMonitor::startWithoutOptionReplyWritesNothing()
{
    attach(sim::Family::F553);
    sim::setFeatureReadsFail(device, true);
    hid->startMonitor(0);
    QCOMPARE(sentReports(), QStringList({"00 83 00 00 00 00 00 00 7C"}));
    QVERIFY(hid->isMonitorRunning());  // the job starts in any case
    hid->stopMonitor();
}

void TestMonitor::dpiSwitchReachesSceneAndTray_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("text");
    QTest::newRow("stage 3 → text 2") << QByteArray::fromHex("06070003") << 3 << "text2 ";
    QTest::newRow("stage 1 → text 0") << QByteArray::fromHex("06070001") << 1 << "text0 ";
    QTest::newRow("stage 7 → text 6") << QByteArray::fromHex("06070007") << 7 << "text6 ";
    QTest::newRow("stage 0 → text 7") << QByteArray::fromHex("06070000") << 0 << "text7 ";
    QTest::newRow("stage 9 → text 7") << QByteArray::fromHex("06070009") << 9 << "text7 ";
    // Event interfaces that pad their reports: the first four bytes count.
    QTest::newRow("one byte more") << QByteArray::fromHex("0607000400") << 4 << "text3 ";
    QTest::newRow("padded to 64") << QByteArray::fromHex("060700050102").leftJustified(64, '\xFF')
                                  << 5 << "text4 ";
    QTest::newRow("longer than the buffer")
        << QByteArray::fromHex("06070002").leftJustified(200, '\x07') << 2 << "text1 ";
}

void TestMonitor::dpiSwitchReachesSceneAndTray()
{
    QFETCH(QByteArray, report);
    QFETCH(int, stage);
    QFETCH(QString, text);
    NotificationTexts::replace(
        {"text0", "text1", "text2", "text3", "text4", "text5", "text6", "text7"});
    attach(sim::Family::F553);
    hid->startMonitor(0);
    sim::queueEvent(device, sim::Bytes(report.begin(), report.end()));

    QTRY_COMPARE_WITH_TIMEOUT(owner.actions.size(), 2, 2000);
    QCOMPARE(owner.actions,
        QStringList(
            {QStringLiteral("dpi %1").arg(stage), QStringLiteral("balloon Info|%1").arg(text)}));
    QVERIFY(owner.viewEnabled);
    hid->stopMonitor();
}

void TestMonitor::otherReportsDoNothing_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::newRow("06 08") << QByteArray::fromHex("06080003");
    QTest::newRow("short") << QByteArray::fromHex("060700");
    QTest::newRow("long 06 08") << QByteArray::fromHex("0608000300");
    QTest::newRow("05 07") << QByteArray::fromHex("05070003");
}

void TestMonitor::otherReportsDoNothing()
{
    QFETCH(QByteArray, report);
    attach(sim::Family::F560);
    hid->startMonitor(0);
    sim::queueEvent(device, sim::Bytes(report.begin(), report.end()));
    QTRY_COMPARE_WITH_TIMEOUT(sim::pendingEvents(device), 0, 2000);
    QTest::qWait(100);
    QVERIFY(owner.actions.isEmpty());
    hid->stopMonitor();
}

void TestMonitor::unplugIsNoticed()
{
    DiagnosticCapture diagnostics;
    attach(sim::Family::F553);
    hid->startMonitor(0);
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    sim::unplug(device);
    QTRY_VERIFY_WITH_TIMEOUT(!hid->isMonitorRunning(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!owner.viewEnabled, 1000);
    QVERIFY2(clock.elapsed() < 700, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(diagnostics.count("Device removed"), 1);
    QVERIFY(hid->devices().at(0).path2.isEmpty());
    QVERIFY(!hid->devices().at(0).path.isEmpty());  // the command path stays
    QCOMPARE(owner.actions, QStringList({"enabled 0"}));
}

void TestMonitor::stopWhileReading()
{
    attach(sim::Family::F553);
    hid->startMonitor(0);
    QTest::qWait(120);  // the job is inside its 500 ms read
    QElapsedTimer clock;
    clock.start();
    hid->stopMonitor();
    hid->waitForMonitor();
    QVERIFY2(clock.elapsed() <= 600, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(sim::openHandles(device, sim::Interface::Event), 0);
    hid.reset();  // nothing left running that could touch it
    QVERIFY(owner.actions.isEmpty());
}

// With no event interface the job returns at once and gives device-change notifications back.
void TestMonitor::withoutEventInterfaceTheJobEnds()
{
    attach(sim::Family::F553, false);
    hid->startMonitor(0);
    QTRY_VERIFY_WITH_TIMEOUT(!hid->isMonitorRunning(), 1000);
    QVERIFY(owner.actions.isEmpty());
}

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
