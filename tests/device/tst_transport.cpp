// The transport against the simulated device, in real time: exact reports, the pauses
// between them, the interlock, and what failures leave behind.

#include "device_rig.h"
#include "diagnostics.h"
#include "save_reports.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <cstring>

using namespace simtest;

Q_DECLARE_METATYPE(sim::Family)

class TestTransport : public QObject, public DeviceRig
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setCommandReportAndState();
    void dataBlockTiming();
    void dataBlockToKeyboardInTwoReports();
    void unsettledCommandHasOnlyItsPause();
    void queryReadsReply();
    void queryWithoutReplyKeepsOutputs();
    void nestedCommandGivesUp();
    void commandDuringAPauseIsRefused_data();
    void commandDuringAPauseIsRefused();
    void interlockFreeOncePerCommand();
    void busyInterlockUntilCleared();
    void failedOpenEmptiesPath();
    void silentInterruptReadIsBounded();
    void unplugDuringTransferEndsCleanly();
    void refusedDataReportEndsExchange_data();
    void refusedDataReportEndsExchange();
};

void TestTransport::init()
{
    renew();
    attach(sim::referenceMouse(sim::Family::F553));
}

void TestTransport::cleanup()
{
    release();
}

void TestTransport::setCommandReportAndState()
{
    hid->hid553_01H_SetReportRate(1);
    hid->hid553_0BH_SetCurrentDPI(3);
    QCOMPARE(
        sentReports(), QStringList({"00 01 01 00 00 00 00 00 FD", "00 0B 03 00 00 00 00 00 F1"}));
    QCOMPARE(int(sim::state(device).currentDpi), 3);
    QCOMPARE(int(sim::state(device).reportRate), 1);
    QCOMPARE(sim::state(device).checksumErrors, 0);
    QVERIFY(hid->isIdle());
    QCOMPARE(sim::openHandles(device, sim::Interface::Command), 0);
}

// A settled 64-byte block to the mouse: command report, 128 ms, two 33-byte reports 120 ms
// apart, 120 ms after the last one and another 128 ms before the slot returns.
void TestTransport::dataBlockTiming()
{
    uchar matrix[64];
    for (int i = 0; i < 64; ++i)
        matrix[i] = uchar(i + 1);
    QElapsedTimer clock;
    clock.start();
    hid->hid553_12H_SetKeyMatrix(matrix, 2);
    const qint64 elapsed = clock.elapsed();

    const auto feature = records(sim::Direction::FeatureOut);
    const auto data = records(sim::Direction::InterruptOut);
    QCOMPARE(int(feature.size()), 1);
    QCOMPARE(hex(feature[0].bytes), QByteArray("00 12 02 40 08 00 00 00 A3"));
    QCOMPARE(int(data.size()), 2);
    QCOMPARE(int(data[0].bytes.size()), 33);
    QCOMPARE(data[0].bytes[0], uint8_t(0));
    QCOMPARE(data[0].bytes[1], uint8_t(1));
    QCOMPARE(data[1].bytes[32], uint8_t(64));
    QVERIFY2(msBetween(feature[0], data[0]) >= 127.5, "settle before the data");
    QVERIFY2(msBetween(data[0], data[1]) >= 119.5, "120 ms after each report");
    QVERIFY2(elapsed >= 128 + 2 * 120 + 128, qPrintable(QString::number(elapsed)));

    const sim::Bytes stored = sim::state(device).keyMatrices.at(2);
    QCOMPARE(bytes(stored), QByteArray(reinterpret_cast<char *>(matrix), 64));
}

void TestTransport::dataBlockToKeyboardInTwoReports()
{
    sim::reset();
    attach(sim::referenceKeyboard(sim::Family::F553));
    uchar record[128];
    for (int i = 0; i < 128; ++i)
        record[i] = uchar(0xFF - i);
    hid->hid553_13H_SetMacroKey(5, record);
    const auto data = records(sim::Direction::InterruptOut);
    QCOMPARE(int(data.size()), 2);
    QCOMPARE(int(data[0].bytes.size()), 65);
    QVERIFY(msBetween(data[0], data[1]) >= 119.5);
    QCOMPARE(
        bytes(sim::state(device).macros.at(5)), QByteArray(reinterpret_cast<char *>(record), 128));
}

void TestTransport::unsettledCommandHasOnlyItsPause()
{
    QElapsedTimer clock;
    clock.start();
    hid->hid553_03H_SetKeyboardoption(1, 2, 3, 4);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 8 && elapsed < 100, qPrintable(QString::number(elapsed)));
    QCOMPARE(sentReports(), QStringList({"00 03 01 02 03 04 00 00 F2"}));
    const std::array<uint8_t, 4> expected {1, 2, 3, 4};
    QCOMPARE(sim::state(device).options, expected);
}

void TestTransport::queryReadsReply()
{
    sim::modifyState(device, [](sim::DeviceState &s) { s.options = {0x11, 0x22, 0x33, 0x44}; });
    uchar b1 = 0, b2 = 0, b3 = 0, b4 = 0;
    hid->hid553_83H_GetKeyboardoption(b1, b2, b3, b4);
    QCOMPARE(QList<int>({b1, b2, b3, b4}), QList<int>({0x11, 0x22, 0x33, 0x44}));
    QCOMPARE(sentReports(), QStringList({"00 83 00 00 00 00 00 00 7C"}));
    QCOMPARE(int(records(sim::Direction::FeatureIn).size()), 1);
    QVERIFY(hid->isIdle());
    QCOMPARE(sim::openHandles(device, sim::Interface::Command), 0);
}

void TestTransport::queryWithoutReplyKeepsOutputs()
{
    sim::setFeatureReadsFail(device, true);
    uchar b1 = 0xA1, b2 = 0xA2, b3 = 0xA3, b4 = 0xA4;
    hid->hid553_83H_GetKeyboardoption(b1, b2, b3, b4);
    QCOMPARE(QList<int>({b1, b2, b3, b4}), QList<int>({0xA1, 0xA2, 0xA3, 0xA4}));
    uchar stage = 7;
    hid->hid553_8BH_GetCurrentDPI(stage);
    QCOMPARE(int(stage), 7);
    QVERIFY(hid->isIdle());
    QCOMPARE(sim::openHandles(device, sim::Interface::Command), 0);
}

// A command issued from the event processing of another gives up after about two seconds
// with its failure text and sends nothing; the outer command completes.
void TestTransport::nestedCommandGivesUp()
{
    DiagnosticCapture diagnostics;
    QElapsedTimer nestedClock;
    qint64 nestedTime = -1;
    QTimer::singleShot(0, this, [&] {
        nestedClock.start();
        hid->hid553_0BH_SetCurrentDPI(5);
        nestedTime = nestedClock.elapsed();
    });
    uchar matrix[64] {};
    matrix[0] = 0x42;
    hid->hid553_12H_SetKeyMatrix(matrix, 1);

    QVERIFY2(nestedTime >= 2000 && nestedTime < 4000, qPrintable(QString::number(nestedTime)));
    QCOMPARE(diagnostics.count("cmd Failed 0B"), 1);
    QCOMPARE(sim::state(device).keyMatrices.at(1).at(0), uint8_t(0x42));
    QCOMPARE(int(sim::state(device).currentDpi), 2);  // untouched
    const QStringList sent = sentReports();
    QCOMPARE(sent.size(), 3);  // the outer command report and its two data reports
    QVERIFY(sent.first().startsWith("00 12 01"));
    QVERIFY(hid->isIdle());
}

void TestTransport::commandDuringAPauseIsRefused_data()
{
    QTest::addColumn<bool>("keyMatrix");  // else the keyboard options, with their closing pause
    QTest::addColumn<int>("direction");   // the report after which the nested command comes
    QTest::newRow("settle after the command report") << true << int(sim::Direction::FeatureOut);
    QTest::newRow("gap after a data report") << true << int(sim::Direction::InterruptOut);
    QTest::newRow("closing pause") << false << int(sim::Direction::FeatureOut);
}

// A command issued from a timer while another one waits in one of its pauses, the interlock
// flag already free again in the closing pause, waits, gives up with its failure text and sends
// nothing; the first command's reports and pauses are untouched.
void TestTransport::commandDuringAPauseIsRefused()
{
    QFETCH(bool, keyMatrix);
    QFETCH(int, direction);
    DiagnosticCapture diagnostics;
    QElapsedTimer nestedClock;
    qint64 nestedTime = -1;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (nestedTime >= 0 || records(sim::Direction(direction)).empty())
            return;
        nestedClock.start();
        nestedTime = 0;
        hid->hid553_0BH_SetCurrentDPI(5);
        nestedTime = nestedClock.elapsed();
    });
    poll.start(1);
    uchar matrix[64] {};
    matrix[0] = 0x42;
    if (keyMatrix)
        hid->hid553_12H_SetKeyMatrix(matrix, 1);
    else
        hid->hid553_03H_SetKeyboardoption(1, 2, 3, 4);
    const auto end = std::chrono::steady_clock::now();
    poll.stop();

    QVERIFY2(nestedTime >= 2000 && nestedTime < 4000, qPrintable(QString::number(nestedTime)));
    QCOMPARE(diagnostics.count("cmd Failed 0B"), 1);
    QCOMPARE(int(sim::state(device).currentDpi), 2);
    const std::vector<Exchange> sent = exchanges(sim::wireLog());
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(int(sent[0].code()), keyMatrix ? 0x12 : 0x03);
    QCOMPARE(int(sent[0].data.size()), keyMatrix ? 2 : 0);
    QCOMPARE(gapViolations(sent, sim::Family::F553, end), QStringList());
    QVERIFY(hid->isIdle());
    QVERIFY(!hid->isCommandInProgress());
}

// The link says once per command when its interlock is free again: after the closing pause,
// after the last send of a per-profile sequence, not for a refused command.
void TestTransport::interlockFreeOncePerCommand()
{
    QList<bool> freeWhenSaid;
    QList<double> msAfterLastReport;
    connect(hid.get(), &Hid_Thread::interlockFree, this, [&] {
        freeWhenSaid << (hid->isIdle() && !hid->isCommandInProgress());
        const std::vector<sim::WireRecord> log = sim::wireLog();
        msAfterLastReport << (log.empty()
                ? -1
                : msBetween(log.back().time, std::chrono::steady_clock::now()));
    });
    hid->hid553_03H_SetKeyboardoption(1, 2, 3, 4);
    QCOMPARE(freeWhenSaid, QList<bool>({true}));
    QVERIFY2(msAfterLastReport[0] >= 8, qPrintable(QString::number(msAfterLastReport[0])));

    uchar stage = 0;
    hid->hid553_8BH_GetCurrentDPI(stage);
    QCOMPARE(freeWhenSaid.size(), 2);

    hid->setIdle(false);
    DiagnosticCapture diagnostics;
    hid->hid553_0BH_SetCurrentDPI(3);
    QCOMPARE(freeWhenSaid.size(), 2);  // refused: it never held the interlock
    hid->setIdle(true);

    sim::reset();
    attach(sim::referenceMouse(sim::Family::F560));
    freeWhenSaid.clear();
    hid->hid560_03H_SetReportRate(90);
    QCOMPARE(int(records(sim::Direction::FeatureOut).size()), 4);
    QCOMPARE(freeWhenSaid, QList<bool>({true}));
}

// A device link left busy refuses commands until its interlock is released again.
void TestTransport::busyInterlockUntilCleared()
{
    DiagnosticCapture diagnostics;
    hid->setIdle(false);
    hid->hid553_07H_Lod(100);
    QCOMPARE(diagnostics.count("hid553_07H_Lod"), 1);
    QVERIFY(sentReports().isEmpty());
    QVERIFY(!hid->isIdle());  // a failed wait leaves the flag as it found it

    hid->setIdle(true);
    hid->hid553_07H_Lod(100);
    QCOMPARE(sentReports(), QStringList({"00 07 00 64 7D 00 00 00 17"}));
    QCOMPARE(int(sim::state(device).liftOff), 100);
}

void TestTransport::failedOpenEmptiesPath()
{
    sim::setOpenFails(device, sim::Interface::Command, true);
    hid->hid553_0BH_SetCurrentDPI(4);
    QVERIFY(hid->devices().at(0).path.isEmpty());
    QVERIFY(hid->isIdle());
    const int opensBefore = sim::openCount(device, sim::Interface::Command);

    sim::setOpenFails(device, sim::Interface::Command, false);
    uchar stage = 9;
    hid->hid553_8BH_GetCurrentDPI(stage);
    hid->hid553_0BH_SetCurrentDPI(4);
    QCOMPARE(int(stage), 9);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(sim::openCount(device, sim::Interface::Command), opensBefore);
    QVERIFY(hid->isIdle());

    // Discovery fills the path again; commands reach the device once more.
    attach(sim::referenceMouse(sim::Family::F553));
    hid->hid553_0BH_SetCurrentDPI(4);
    QCOMPARE(int(sim::state(device).currentDpi), 4);
}

void TestTransport::silentInterruptReadIsBounded()
{
    sim::reset();
    attach(sim::referenceMouse(sim::Family::F560));
    sim::setInterruptReadsSilent(device, true);
    uchar image[128];
    for (int i = 0; i < 128; ++i)
        image[i] = uchar(i ^ 0x5A);
    const QByteArray before(reinterpret_cast<char *>(image), 128);

    QElapsedTimer clock;
    clock.start();
    hid->hid560_8CH_readProfile(image, 2);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 990 && elapsed < 2500, qPrintable(QString::number(elapsed)));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(image), 128), before);
    QVERIFY(hid->isIdle());
    QCOMPARE(sim::openHandles(device, sim::Interface::Command), 0);
    QCOMPARE(sentReports(), QStringList({"00 8C 02 00 00 00 00 00 71"}));
}

void TestTransport::unplugDuringTransferEndsCleanly()
{
    sim::reset();
    attach(sim::referenceMouse(sim::Family::F560));
    sim::unplugAfterInterruptWrites(device, 2);
    uchar image[128] {};
    QElapsedTimer clock;
    clock.start();
    hid->hid560_0CH_setProfile(image, 1);
    QVERIFY(clock.elapsed() < 1500);
    QCOMPARE(int(records(sim::Direction::InterruptOut).size()), 2);
    QVERIFY(hid->isIdle());
    QVERIFY(hid->devices().at(0).path.isEmpty());  // the reopen for report 3 failed
    QCOMPARE(sim::openHandles(device, sim::Interface::Command), 0);

    // The next command fails at once, without waiting on the interlock.
    clock.restart();
    hid->hid560_02H_SetCurrentProfile(1);
    QVERIFY(clock.elapsed() < 100);
    QVERIFY(hid->isIdle());
}

void TestTransport::refusedDataReportEndsExchange_data()
{
    QTest::addColumn<sim::Family>("family");
    QTest::addColumn<int>("passed");  // data reports the device takes before it refuses one
    QTest::newRow("553 key matrix, first of two") << sim::Family::F553 << 0;
    QTest::newRow("560 profile, second of four") << sim::Family::F560 << 1;
    QTest::newRow("560 profile, last of four") << sim::Family::F560 << 3;
}

// A data report refused on an open handle ends the exchange there: the reports after it are
// not sent, the device keeps the block it had, no handle stays open, the interlock is free
// and the device stays in use, so the next command reaches it.
void TestTransport::refusedDataReportEndsExchange()
{
    QFETCH(sim::Family, family);
    QFETCH(int, passed);
    sim::reset();
    attach(sim::referenceMouse(family));
    const bool is553 = family == sim::Family::F553;
    const QByteArray block = pattern(is553 ? 64 : 128, 0x21);
    const sim::DeviceState before = sim::state(device);
    sim::failInterruptWriteAfter(device, passed);
    DiagnosticCapture diagnostics;

    uchar data[128] {};
    std::memcpy(data, block.constData(), size_t(block.size()));
    if (is553)
        hid->hid553_12H_SetKeyMatrix(data, 1);
    else
        hid->hid560_0CH_setProfile(data, 2);

    QStringList expected {is553 ? "00 12 01 40 08 00 00 00 A4" : "00 0C 02 80 00 00 00 00 71"};
    for (int report = 0; report < passed; ++report)
        expected << QString::fromLatin1(
            (QByteArray(1, '\0') + block.mid(report * 32, 32)).toHex(' ').toUpper());
    QCOMPARE(sentReports(), expected);
    QVERIFY(diagnostics.lines().isEmpty());
    QVERIFY(hid->isIdle());
    QCOMPARE(sim::openHandles(device, sim::Interface::Command), 0);
    QVERIFY(!hid->devices().at(0).path.isEmpty());
    const sim::DeviceState after = sim::state(device);
    QCOMPARE(after.keyMatrices, before.keyMatrices);
    QCOMPARE(after.profiles, before.profiles);

    // The next command goes through and cuts the unfinished block short on the device.
    sim::clearWireLog();
    if (is553) {
        hid->hid553_0BH_SetCurrentDPI(4);
        QCOMPARE(sentReports(), QStringList({"00 0B 04 00 00 00 00 00 F0"}));
        QCOMPARE(int(sim::state(device).currentDpi), 4);
    } else {
        hid->hid560_02H_SetCurrentProfile(3);
        QCOMPARE(sentReports(), QStringList({"00 02 03 00 00 00 00 00 FA"}));
        QCOMPARE(int(sim::state(device).currentProfile), 3);
    }
    QCOMPARE(sim::state(device).abortedTransfers, 1);
    QCOMPARE(sim::state(device).strayReports, 0);
    QVERIFY(hid->isIdle());
    QCOMPARE(sim::openHandles(device, sim::Interface::Command), 0);
}

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
