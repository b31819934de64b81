// Every command of both families against the simulated device: the exact command report,
// the data reports, and the pauses around them.

#include "device_rig.h"
#include "diagnostics.h"
#include "real_time.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <vector>

using namespace simtest;
using Call = std::function<void(Hid_Thread &)>;

namespace {

uchar *u(QByteArray &b)
{
    return reinterpret_cast<uchar *>(b.data());
}

QByteArray block64 = pattern(64, 3);
QByteArray block128 = pattern(128, 11);
QByteArray colours24 = pattern(24, 40);
QByteArray table8 = QByteArray::fromHex("0307090B0D808080");
QByteArray rgb3 = QByteArray::fromHex("FF8000");

struct SetRow
{
    const char *name;
    sim::Family family;
    Call call;
    QStringList commands;  // command reports, in order
    QByteArray data;       // the data block that follows (empty: none)
    bool settle;
    bool pause;
};

const std::vector<SetRow> &setRows()
{
    using F = sim::Family;
    static const std::vector<SetRow> rows {
        {"553 01 rate 1", F::F553, [](Hid_Thread &h) { h.hid553_01H_SetReportRate(1); },
            {"00 01 01 00 00 00 00 00 FD"}, {}, true, false},
        {"553 02 matrix", F::F553, [](Hid_Thread &h) { h.hid553_02H_SetCurrentKeyMatrix(1); },
            {"00 02 01 00 00 00 00 00 FC"}, {}, true, false},
        {"553 03 options", F::F553,
            [](Hid_Thread &h) { h.hid553_03H_SetKeyboardoption(0x10, 0x20, 0x30, 0x40); },
            {"00 03 10 20 30 40 00 00 5C"}, {}, false, true},
        {"553 04 gun", F::F553, [](Hid_Thread &h) { h.hid553_04H_SetGunData(5, 3, 0xF8, 2); },
            {"00 04 00 05 03 F8 02 00 F9"}, {}, false, true},
        {"553 07 lod 100", F::F553, [](Hid_Thread &h) { h.hid553_07H_Lod(100); },
            {"00 07 00 64 7D 00 00 00 17"}, {}, true, false},
        {"553 0B dpi", F::F553, [](Hid_Thread &h) { h.hid553_0BH_SetCurrentDPI(8); },
            {"00 0B 08 00 00 00 00 00 EC"}, {}, true, false},
        {"553 0C colour", F::F553, [](Hid_Thread &h) { h.hid553_0CH_SetFixLEDColor(u(rgb3)); },
            {"00 0C FF 80 00 00 00 00 74"}, {}, true, false},
        {"553 0D effect", F::F553, [](Hid_Thread &h) { h.hid553_0DH_SetRGBLedEffect(8, 192, 15); },
            {"00 0D 08 C0 0F 00 00 00 1B"}, {}, true, false},
        {"553 10 type 0", F::F553,
            [](Hid_Thread &h) { h.hid553_10H_SetLED8StageColor(0, u(colours24)); },
            {"00 10 00 18 00 00 00 00 D7"}, colours24, true, false},
        {"553 10 type 1", F::F553,
            [](Hid_Thread &h) { h.hid553_10H_SetLED8StageColor(1, u(colours24)); },
            {"00 10 01 18 00 00 00 00 D6"}, colours24, true, false},
        {"553 10 type 2", F::F553,
            [](Hid_Thread &h) { h.hid553_10H_SetLED8StageColor(2, u(colours24)); },
            {"00 10 02 04 00 00 00 00 E9"}, colours24.left(4), true, false},
        {"553 11 three stages", F::F553,
            [](Hid_Thread &h) { h.hid553_11H_SetDPISet(3, u(table8)); },
            {"00 11 03 08 00 00 00 00 E3"}, table8, true, false},
        {"553 12 matrix 1", F::F553,
            [](Hid_Thread &h) { h.hid553_12H_SetKeyMatrix(u(block64), 1); },
            {"00 12 01 40 08 00 00 00 A4"}, block64, true, false},
        {"553 12 matrix 4", F::F553,
            [](Hid_Thread &h) { h.hid553_12H_SetKeyMatrix(u(block64), 4); },
            {"00 12 04 40 08 00 00 00 A1"}, block64, true, false},
        {"553 13 macro", F::F553, [](Hid_Thread &h) { h.hid553_13H_SetMacroKey(12, u(block128)); },
            {"00 13 0C 80 00 00 00 00 60"}, block128, true, false},
        {"560 01 options", F::F560,
            [](Hid_Thread &h) { h.hid560_01H_SetKeyboardoption(0x09, 0x02); },
            {"00 01 09 02 00 00 00 00 F3"}, {}, false, true},
        {"560 02 profile", F::F560, [](Hid_Thread &h) { h.hid560_02H_SetCurrentProfile(1); },
            {"00 02 01 00 00 00 00 00 FC"}, {}, false, true},
        {"560 03 rate", F::F560, [](Hid_Thread &h) { h.hid560_03H_SetReportRate(2); },
            {"00 03 01 02 00 00 00 00 F9", "00 03 02 02 00 00 00 00 F8",
                "00 03 03 02 00 00 00 00 F7", "00 03 04 02 00 00 00 00 F6"},
            {}, true, false},
        {"560 04 dpi", F::F560, [](Hid_Thread &h) { h.hid560_04H_SetCurrentDPI(3); },
            {"00 04 01 03 00 00 00 00 F7", "00 04 02 03 00 00 00 00 F6",
                "00 04 03 03 00 00 00 00 F5", "00 04 04 03 00 00 00 00 F4"},
            {}, true, false},
        {"560 0C profile", F::F560, [](Hid_Thread &h) { h.hid560_0CH_setProfile(u(block128), 2); },
            {"00 0C 02 80 00 00 00 00 71"}, block128, true, false},
        {"560 0D matrix", F::F560, [](Hid_Thread &h) { h.hid560_0DH_SetKeyMatrix(u(block64), 3); },
            {"00 0D 03 80 00 00 00 00 6F"}, block64 + QByteArray(64, '\0'), true, false},
        {"560 0F macro", F::F560, [](Hid_Thread &h) { h.hid560_0FH_SetMacroKey(1, u(block128)); },
            {"00 0F 01 80 00 00 00 00 6F"}, block128, true, false},
    };
    return rows;
}

}  // namespace

class TestCommandSet : public QObject, public DeviceRig
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setCommands_data();
    void setCommands();
    void queries();
    void queriesWithoutAnswerKeepOutputs();
    void profileRead();
    void perProfileOnGunModel();
    void perProfileGoesOnAfterAFailedSend();
    void failureTexts_data();
    void failureTexts();
};

void TestCommandSet::init()
{
    renew();
}

void TestCommandSet::cleanup()
{
    release();
}

void TestCommandSet::setCommands_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(setRows().size()); ++i)
        QTest::newRow(setRows()[size_t(i)].name) << i;
}

void TestCommandSet::setCommands()
{
    const RealTime realTime;  // the pauses between the reports are measured
    QFETCH(int, row);
    const SetRow &r = setRows()[size_t(row)];
    attach(r.family);

    QElapsedTimer clock;
    clock.start();
    r.call(*hid);
    const qint64 elapsed = clock.elapsed();

    const auto commands = records(sim::Direction::FeatureOut);
    QStringList sent;
    for (const auto &c : commands)
        sent << QString::fromLatin1(hex(c.bytes));
    QCOMPARE(sent, r.commands);

    const auto data = records(sim::Direction::InterruptOut);
    QByteArray carried;
    for (const auto &d : data) {
        QCOMPARE(int(d.bytes.size()), 33);
        QCOMPARE(d.bytes[0], uint8_t(0));
        carried += bytes(d.bytes).mid(1);
    }
    const int reports = (r.data.size() + 31) / 32;
    QCOMPARE(int(data.size()), reports);
    QCOMPARE(carried.left(r.data.size()), r.data);
    QCOMPARE(carried.mid(r.data.size()), QByteArray(carried.size() - r.data.size(), '\0'));
    QCOMPARE(sim::state(device).checksumErrors, 0);

    // Pauses: the settle after each command report and after the data, 120 ms after every
    // data report, the 8 ms pause; and nothing where none is asked for.
    for (size_t i = 1; i < data.size(); ++i)
        QVERIFY(msBetween(data[i - 1], data[i]) >= 119.5);
    if (!data.empty())
        QVERIFY(msBetween(commands.back(), data.front()) >= (r.settle ? 127.5 : 0));
    const int settles = r.settle ? int(commands.size()) + (data.empty() ? 0 : 1) : 0;
    const int minimum = settles * 128 + int(data.size()) * 120 + (r.pause ? 8 : 0);
    QVERIFY2(elapsed >= minimum, qPrintable(QStringLiteral("%1 < %2").arg(elapsed).arg(minimum)));
    QVERIFY2(elapsed < minimum + 150, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    QVERIFY(hid->isIdle());
}

void TestCommandSet::queries()
{
    attach(sim::Family::F553);
    sim::modifyState(device, [](sim::DeviceState &s) {
        s.options = {1, 2, 3, 4};
        s.currentDpi = 6;
    });
    uchar b1 = 0, b2 = 0, b3 = 0, b4 = 0, stage = 0;
    hid->hid553_83H_GetKeyboardoption(b1, b2, b3, b4);
    hid->hid553_8BH_GetCurrentDPI(stage);
    QCOMPARE(QList<int>({b1, b2, b3, b4, stage}), QList<int>({1, 2, 3, 4, 6}));
    QCOMPARE(
        sentReports(), QStringList({"00 83 00 00 00 00 00 00 7C", "00 8B 00 00 00 00 00 00 74"}));

    sim::reset();
    attach(sim::Family::F560);
    sim::modifyState(device, [](sim::DeviceState &s) {
        s.options = {0x21, 0x42, 0, 0};
        s.currentProfile = 3;
        s.profileCurrentDpi = {1, 5, 1, 1, 1};
    });
    uchar o1 = 0, o2 = 0, profile = 0, asked = 1, dpi = 0;
    hid->hid560_81H_GetKeyboardoption(o1, o2);
    hid->hid560_82H_GetCurrentProfile(profile);
    hid->hid560_84H_GetCurrentDPI(asked, dpi);
    QCOMPARE(QList<int>({o1, o2, profile, asked, dpi}), QList<int>({0x21, 0x42, 3, 1, 5}));
    QCOMPARE(sentReports(),
        QStringList({"00 81 00 00 00 00 00 00 7E", "00 82 00 00 00 00 00 00 7D",
            "00 84 01 00 00 00 00 00 7A"}));
}

void TestCommandSet::queriesWithoutAnswerKeepOutputs()
{
    attach(sim::Family::F560);
    sim::setFeatureReadsFail(device, true);
    uchar o1 = 0x11, o2 = 0x22, profile = 0x33, asked = 1, dpi = 0x44;
    hid->hid560_81H_GetKeyboardoption(o1, o2);
    hid->hid560_82H_GetCurrentProfile(profile);
    hid->hid560_84H_GetCurrentDPI(asked, dpi);
    QCOMPARE(QList<int>({o1, o2, profile, asked, dpi}), QList<int>({0x11, 0x22, 0x33, 1, 0x44}));

    QByteArray image = pattern(128, 99);
    const QByteArray before = image;
    hid->hid560_8CH_readProfile(u(image), 1);
    QCOMPARE(image, before);
    QVERIFY(hid->isIdle());
}

void TestCommandSet::profileRead()
{
    attach(sim::Family::F560);
    const QByteArray stored = pattern(128, 5);
    sim::modifyState(device, [&](sim::DeviceState &s) {
        std::copy(stored.begin(), stored.end(), s.profiles[3].begin());
    });
    QByteArray image(128, '\0');
    hid->hid560_8CH_readProfile(u(image), 3);
    QCOMPARE(image, stored);
    QCOMPARE(sentReports(), QStringList({"00 8C 03 00 00 00 00 00 70"}));
    QCOMPARE(int(records(sim::Direction::InterruptIn).size()), 4);
}

// Gun models keep the report rate and the DPI stage in profile 1 only.
void TestCommandSet::perProfileOnGunModel()
{
    attach(sim::Family::F560, true);
    hid->hid560_04H_SetCurrentDPI(3);
    hid->hid560_03H_SetReportRate(4);
    QCOMPARE(
        sentReports(), QStringList({"00 04 01 03 00 00 00 00 F7", "00 03 01 04 00 00 00 00 F7"}));
    const std::array<uint8_t, 5> dpi {1, 3, 1, 1, 1};
    QCOMPARE(sim::state(device).profileCurrentDpi, dpi);
}

// The second of the four sends is refused by the device; the third and fourth still go out,
// and nothing else could have reached the device in between.
void TestCommandSet::perProfileGoesOnAfterAFailedSend()
{
    attach(sim::Family::F560);
    hid->hid560_02H_SetCurrentProfile(1);  // a send that works, to set the stage
    sim::clearWireLog();
    bool interleaved = false;
    QTimer::singleShot(0, this, [&] {
        hid->hid560_02H_SetCurrentProfile(3);  // nested while the sequence runs: refused
        interleaved = true;
    });
    sim::modifyState(device, [](sim::DeviceState &s) { s.profileCurrentDpi = {1, 1, 1, 1, 1}; });
    // The first send fails at the device; the loop must still send profiles 2, 3 and 4.
    sim::failFeatureWrites(device, 1);
    DiagnosticCapture diagnostics;
    hid->hid560_04H_SetCurrentDPI(5);
    QVERIFY(interleaved);
    QCOMPARE(diagnostics.count("cmd Failed 02"), 1);
    QCOMPARE(sentReports(),
        QStringList({"00 04 02 05 00 00 00 00 F4", "00 04 03 05 00 00 00 00 F3",
            "00 04 04 05 00 00 00 00 F2"}));
    const std::array<uint8_t, 5> dpi {1, 1, 5, 5, 5};
    QCOMPARE(sim::state(device).profileCurrentDpi, dpi);
    QCOMPARE(int(sim::state(device).currentProfile), 1);
    QVERIFY(hid->isIdle());
}

void TestCommandSet::failureTexts_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("text");
    QTest::newRow("8B") << 0 << "cmd Failed 8BH";
    QTest::newRow("07") << 1 << "hid553_07H_Lod";
    QTest::newRow("10") << 2 << "cmd Failed 10";
    QTest::newRow("8C") << 3 << "cmd Failed 8c";
    QTest::newRow("560 04") << 4 << "cmd Failed 04";
    QTest::newRow("560 84") << 5 << "cmd Failed 84";
}

// With the interlock taken, a slot gives up after its 255 checks with its own text, sends
// nothing and leaves its outputs alone.
void TestCommandSet::failureTexts()
{
    QFETCH(int, which);
    QFETCH(QString, text);
    attach(sim::Family::F553);
    hid->setIdle(false);

    QByteArray buffer = pattern(128, 1);
    const QByteArray before = buffer;
    uchar a = 0x55, b = 0x66;
    const std::vector<Call> calls {
        [&](Hid_Thread &h) { h.hid553_8BH_GetCurrentDPI(a); },
        [&](Hid_Thread &h) { h.hid553_07H_Lod(90); },
        [&](Hid_Thread &h) { h.hid553_10H_SetLED8StageColor(0, u(buffer)); },
        [&](Hid_Thread &h) { h.hid560_8CH_readProfile(u(buffer), 1); },
        [&](Hid_Thread &h) { h.hid560_04H_SetCurrentDPI(2); },
        [&](Hid_Thread &h) { h.hid560_84H_GetCurrentDPI(a, b); },
    };
    DiagnosticCapture diagnostics;
    calls[size_t(which)](*hid);

    QCOMPARE(diagnostics.lines(), QStringList({text}));
    QVERIFY(sentReports().isEmpty());
    QCOMPARE(int(a), 0x55);
    QCOMPARE(int(b), 0x66);
    QCOMPARE(buffer, before);
}

QTEST_GUILESS_MAIN(TestCommandSet)
#include "tst_command_set.moc"
