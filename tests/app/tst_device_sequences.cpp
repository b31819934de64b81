// Long sequences of device commands through the window, against the simulated 560 gun mouse:
// the window keeps running while the transport waits, the wire stays exactly as the commands
// make it, and a device check that comes due meanwhile waits until the sequence is over.

#include "diagnostics.h"
#include "save_reports.h"
#include "scene_rig.h"

#include <QQuickWindow>
#include <QtTest>

#include <chrono>
#include <memory>

using namespace simtest;
using Clock = std::chrono::steady_clock;

namespace {

const char kCheckWaits[] = "A device check waits for the command in progress";

QStringList hostReports(const std::vector<Exchange> &sequence)
{
    QStringList out;
    for (const Exchange &e : sequence) {
        out << QString::fromLatin1(hex(e.command.bytes));
        for (const sim::WireRecord &r : e.data)
            out << QString::fromLatin1(hex(r.bytes));
    }
    return out;
}

}  // namespace

class TestDeviceSequences : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void quietSave();
    void saveKeepsTheWindowRunning();
    void checkDuringStartUpProfileSwitch();
    void unplugDuringSave();

private:
    // Runs the Save's bridge calls through the scene; returns when the last one has returned.
    Clock::time_point save();

    std::vector<Exchange> reference;  // a Save with nothing else going on
    Clock::time_point referenceEnd;
    std::unique_ptr<SceneRig> rig;
    std::unique_ptr<DiagnosticCapture> diagnostics;
};

Clock::time_point TestDeviceSequences::save()
{
    rig->scene->evaluate(saveScript(gunButtonSave()));
    return Clock::now();
}

void TestDeviceSequences::initTestCase()
{
    SceneRig quiet;
    quiet.configure(sim::Family::F560, true);
    QVERIFY(quiet.start());
    quiet.window->hid().stopMonitor();
    quiet.window->hid().waitForMonitor();
    sim::clearWireLog();
    const Clock::time_point start = Clock::now();
    quiet.scene->evaluate(saveScript(gunButtonSave()));
    referenceEnd = Clock::now();
    reference = exchanges(sim::wireLog());
    qInfo("A Save on the 560 gun mouse: %zu exchanges in %.0f ms", reference.size(),
        msBetween(start, referenceEnd));
    QVERIFY(!reference.empty());
    const sim::DeviceState state = sim::state(quiet.device);
    QCOMPARE(state.currentProfile, uint8_t(1));
    for (size_t n = 0; n < state.profiles.size(); ++n)
        QVERIFY(state.profiles[n] == quiet.window->view()->profileImages()[n]);
}

void TestDeviceSequences::init()
{
    diagnostics = std::make_unique<DiagnosticCapture>();
    rig = std::make_unique<SceneRig>();
    rig->configure(sim::Family::F560, true);
}

void TestDeviceSequences::cleanup()
{
    rig.reset();
    diagnostics.reset();
}

// What a Save puts on the wire when nothing else happens: image 0 with the gun count, the four
// key matrices, the switch to profile 1, the DPI stages and the effect into images 1 … 4, the
// colours into image 0, the lift-off; each block whole, every pause kept.
void TestDeviceSequences::quietSave()
{
    const QStringList heads {"00 0C 00 80", "00 0D 01 80", "00 0D 02 80", "00 0D 03 80",
        "00 0D 04 80", "00 02 01 00", "00 0C 01 80", "00 0C 02 80", "00 0C 03 80", "00 0C 04 80",
        "00 0C 01 80", "00 0C 02 80", "00 0C 03 80", "00 0C 04 80", "00 0C 00 80", "00 07 00 6B"};
    QStringList sentHeads;
    QList<int> dataReports;
    for (const Exchange &e : reference) {
        sentHeads << e.head(4);
        dataReports << int(e.data.size());
    }
    QCOMPARE(sentHeads, heads);
    QList<int> expectedData(heads.size(), 4);
    expectedData[5] = 0;
    expectedData[15] = 0;
    QCOMPARE(dataReports, expectedData);
    QCOMPARE(gapViolations(reference, sim::Family::F560, referenceEnd), QStringList());
    // Block 0 carries the gun button's three-gun mask in byte 2 of image 0.
    QCOMPARE(int(reference[0].data[0].bytes[1 + 2]), 0x1F);
}

// During a Save started by a click in the scene, locked behind the blinking busy indicator as
// the scene's own Save is, the window's timers keep running and the scene keeps animating; a
// device change in the middle starts the poll timer, whose check waits until the Save's last
// exchange is over. The Save's reports are those of the quiet Save, byte for byte, with every
// pause kept.
void TestDeviceSequences::saveKeepsTheWindowRunning()
{
    QVERIFY(rig->start());
    rig->window->hid().stopMonitor();  // device changes start checks only while no monitor runs
    rig->window->hid().waitForMonitor();
    sim::clearWireLog();
    diagnostics->clear();

    int frames = 0;
    connect(
        rig->window->view()->quickWindow(), &QQuickWindow::afterAnimating, this, [&] { ++frames; });
    const QString button = QStringLiteral(
        "Qt.createQmlObject(\"import QtQuick; MouseArea { anchors.fill: parent; z: 1000; "
        "onClicked: { setProtectUI(60000); %1 setProtectUI(0) } }\", root)");
    QVERIFY(rig->scene->evaluate(button.arg(saveScript(gunButtonSave()))).isValid());

    std::vector<Clock::time_point> beats;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    connect(&heartbeat, &QTimer::timeout, this, [&] { beats.push_back(Clock::now()); });
    heartbeat.start(25);
    bool changed = false;
    QTimer::singleShot(1000, this, [&] {
        rig->window->deviceChanged();
        changed = rig->window->isPollPending();
    });

    const Clock::time_point start = Clock::now();
    const int framesBefore = frames;
    QTest::mouseClick(rig->window->view(), Qt::LeftButton, {}, QPoint(512, 320));
    const Clock::time_point end = Clock::now();
    heartbeat.stop();
    const int framesDuring = frames - framesBefore;
    QVERIFY(changed);
    QCOMPARE(diagnostics->count(kCheckWaits), 1);       // the poll timer fired during the Save …
    QCOMPARE(diagnostics->count("Device Connect"), 0);  // … and its check has not run yet

    // At least ten beats a second, all through.
    const double longest = longestGap(start, beats, end);
    QVERIFY2(longest <= 100, qPrintable(QStringLiteral("%1 ms without a beat").arg(longest)));
    const double seconds = msBetween(start, end) / 1000;
    QVERIFY2(frames > 0 && framesDuring >= 10 * seconds,
        qPrintable(QStringLiteral("%1 frames in %2 s").arg(framesDuring).arg(seconds)));

    QTRY_COMPARE_WITH_TIMEOUT(diagnostics->count("Device Connect"), 1, 3000);
    QVERIFY(rig->waitForQuietWire());

    const std::vector<Exchange> all = exchanges(sim::wireLog());
    QVERIFY(all.size() > reference.size());
    const std::vector<Exchange> saved(all.begin(), all.begin() + int(reference.size()));
    QCOMPARE(hostReports(saved), hostReports(reference));
    QCOMPARE(gapViolations(saved, sim::Family::F560, end), QStringList());
    // The check starts with the option read of the monitor's start, after the Save's end.
    const Exchange &firstOfCheck = all[reference.size()];
    QCOMPARE(firstOfCheck.head(2), QStringLiteral("00 81"));
    QVERIFY(firstOfCheck.command.time >= end);
    QCOMPARE(gapViolations(all, sim::Family::F560), QStringList());
    const sim::DeviceState state = sim::state(rig->device);
    QCOMPARE(state.abortedTransfers, 0);
    QCOMPARE(state.strayReports, 0);
    QCOMPARE(state.checksumErrors, 0);
    QVERIFY(rig->window->hid().isMonitorRunning());
}

// A 560 gun mouse that sits on profile 2: the scene's start-up reads the profile and switches
// the device to profile 1. The poll timer's check arriving while the switch is in its exchange
// waits; the switch reaches the wire, no stale report goes out again, the device ends on
// profile 1, and the check runs afterwards.
void TestDeviceSequences::checkDuringStartUpProfileSwitch()
{
    rig->plug();
    sim::modifyState(rig->device, [](sim::DeviceState &s) { s.currentProfile = 2; });
    rig->window = std::make_unique<Widget>();
    rig->window->showNormal();
    rig->window->checkDevice();  // the scene's start-up follows its first frame
    // The next check comes due as the start-up's profile read ends.
    connect(&rig->window->hid(), &Hid_Thread::exchangesDoneChanged, rig->window.get(),
        &Widget::checkDevice, Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    QVERIFY(rig->waitForQuietWire());

    QCOMPARE(diagnostics->count(kCheckWaits), 1);
    QCOMPARE(diagnostics->count("Device Connect"), 2);
    const sim::DeviceState state = sim::state(rig->device);
    QCOMPARE(state.currentProfile, uint8_t(1));
    QCOMPARE(state.abortedTransfers, 0);

    const std::vector<Exchange> all = exchanges(sim::wireLog());
    QStringList heads;
    for (const Exchange &e : all)
        heads << e.head(3);
    const int read = int(heads.indexOf("00 82 00"));
    QVERIFY(read > 0);
    QCOMPARE(heads.value(read + 1), QStringLiteral("00 02 01"));
    QVERIFY(heads.indexOf("00 81 00") < read);          // the first check, before the start-up …
    QVERIFY(heads.lastIndexOf("00 81 00") > read + 1);  // … and the second, after the switch
    QCOMPARE(int(heads.filter(QRegularExpression("^00 8C")).size()), 10);  // five per check
    for (const Exchange &e : all) {
        if (e.code() == 0x8C)
            QCOMPARE(int(e.answers.size()), 1 + 4);  // reply and the four image reports
    }
}

// The mouse is unplugged in the middle of a Save's second block: the rest of the Save fails
// quickly without reaching the wire, every handle is closed, the monitor notices the removal,
// and plugging the mouse in again brings it back with the next check.
void TestDeviceSequences::unplugDuringSave()
{
    QVERIFY(rig->start());
    QVERIFY(rig->window->hid().isMonitorRunning());
    sim::clearWireLog();
    sim::unplugAfterInterruptWrites(rig->device, 6);

    const Clock::time_point start = Clock::now();
    const Clock::time_point end = save();
    QVERIFY2(msBetween(start, end) < 3000, qPrintable(QString::number(msBetween(start, end))));
    QCOMPARE(sentReports(), hostReports(reference).mid(0, 1 + 4 + 1 + 2));
    QVERIFY(!rig->window->hid().isCommandInProgress());
    QVERIFY(rig->window->hid().isIdle());
    QTRY_VERIFY_WITH_TIMEOUT(!rig->window->hid().isMonitorRunning(), 2000);
    QCOMPARE(diagnostics->count("Device removed"), 1);
    QTRY_VERIFY(!rig->window->view()->isEnabled());
    QCOMPARE(sim::openHandles(rig->device, sim::Interface::Command), 0);
    QCOMPARE(sim::openHandles(rig->device, sim::Interface::Event), 0);

    const sim::DeviceId again = sim::plug(sim::referenceMouse(sim::Family::F560));
    rig->window->deviceChanged();
    QTRY_COMPARE_WITH_TIMEOUT(diagnostics->count("Device Connect"), 2, 5000);
    QVERIFY(rig->waitForQuietWire());
    QVERIFY(rig->window->hid().isMonitorRunning());
    QCOMPARE(int(sim::state(again).options[0] & 0x08), 0x08);  // the check's start-up write
    QTRY_VERIFY_WITH_TIMEOUT(rig->window->view()->isEnabled(), 3000);
}

QTEST_MAIN(TestDeviceSequences)
#include "tst_device_sequences.moc"
