// The simulated device where its model of the firmware can be wrong in ways the transport
// tests would not notice: what it accepts, where data blocks land, what it reads back,
// and how it behaves when a device goes away.

#include "sim_device.h"

#include <hidapi.h>

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

namespace {

using sim::Bytes;
using sim::Family;
using sim::Interface;

enum class Target { KeyMatrix, Macro, DpiTable, Profile };

Bytes bytesOf(const QByteArray &hex)
{
    const QByteArray raw = QByteArray::fromHex(hex);
    return Bytes(raw.begin(), raw.end());
}

// A command report with its checksum: 0xFF minus the 8-bit sum of bytes 1 … 7.
Bytes command(uint8_t code, std::initializer_list<uint8_t> params)
{
    Bytes report(9, 0x00);
    report[1] = code;
    std::copy(params.begin(), params.end(), report.begin() + 2);
    unsigned sum = 0;
    for (int i = 1; i < 8; ++i)
        sum += report[i];
    report[8] = uint8_t(0xFF - sum % 256);
    return report;
}

Bytes pattern(size_t length, int seed)
{
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = uint8_t(seed + 7 * int(i) + 1);
    return bytes;
}

// The interrupt OUT reports that carry block: report id 0x00, then reportLength bytes.
std::vector<Bytes> dataReports(const Bytes &block, int reportLength)
{
    std::vector<Bytes> reports;
    for (size_t offset = 0; offset < block.size(); offset += size_t(reportLength)) {
        Bytes report(size_t(reportLength) + 1, 0x00);
        const size_t n = std::min(block.size() - offset, size_t(reportLength));
        std::copy_n(block.begin() + long(offset), n, report.begin() + 1);
        reports.push_back(report);
    }
    return reports;
}

sim::DeviceId plugMouse(Family family, int reportLength = 32)
{
    sim::DeviceSpec model = sim::referenceMouse(family);
    model.reportLength = reportLength;
    return sim::plug(model);
}

class Handle
{
public:
    explicit Handle(const std::string &path)
        : m_dev(hid_open_path(path.c_str()))
    { }
    ~Handle()
    {
        if (m_dev)
            hid_close(m_dev);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    hid_device *get() const { return m_dev; }

    int send(const Bytes &report) const
    {
        return hid_send_feature_report(m_dev, report.data(), report.size());
    }
    int write(const Bytes &report) const { return hid_write(m_dev, report.data(), report.size()); }

private:
    hid_device *m_dev;
};

Bytes stored(const sim::DeviceState &s, Target target, int slot)
{
    switch (target) {
    case Target::KeyMatrix:
        return s.keyMatrices.count(slot) ? s.keyMatrices.at(slot) : Bytes();
    case Target::Macro:
        return s.macros.count(slot) ? s.macros.at(slot) : Bytes();
    case Target::DpiTable:
        return Bytes(s.dpiTable.begin(), s.dpiTable.end());
    case Target::Profile:
        return Bytes(s.profiles[size_t(slot)].begin(), s.profiles[size_t(slot)].end());
    }
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(Family)
Q_DECLARE_METATYPE(Interface)
Q_DECLARE_METATYPE(Target)

class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void init() { sim::reset(); }

    void checksumChecked_data()
    {
        QTest::addColumn<Family>("family");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("553 0B stage 3") << Family::F553 << QByteArray("000B030000000000F1") << true;
        QTest::newRow("553 0B off by one")
            << Family::F553 << QByteArray("000B030000000000F2") << false;
        QTest::newRow("553 0B plain sum")
            << Family::F553 << QByteArray("000B0300000000000E") << false;
        QTest::newRow("553 03 sum 0x100")
            << Family::F553 << QByteArray("0003807D00000000FF") << true;
        QTest::newRow("560 02 profile 3")
            << Family::F560 << QByteArray("0002030000000000FA") << true;
        QTest::newRow("560 02 zero checksum")
            << Family::F560 << QByteArray("000203000000000000") << false;
    }

    void checksumChecked()
    {
        QFETCH(Family, family);
        QFETCH(QByteArray, report);
        QFETCH(bool, accepted);
        const Bytes bytes = bytesOf(report);
        QCOMPARE(bytes.size(), size_t(9));

        const sim::DeviceId id = plugMouse(family);
        const sim::DeviceState before = sim::state(id);
        Handle h(sim::path(id, Interface::Command));
        QVERIFY(h.get());

        QCOMPARE(h.send(bytes), 9);
        const sim::DeviceState after = sim::state(id);
        QCOMPARE(after.commandsReceived, accepted ? 1 : 0);
        QCOMPARE(after.checksumErrors, accepted ? 0 : 1);
        const bool changed = after.currentDpi != before.currentDpi
            || after.currentProfile != before.currentProfile || after.options != before.options;
        QCOMPARE(changed, accepted);
        // The dropped frame is still on the wire, exactly as sent.
        const auto log = sim::wireLog();
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].direction, sim::Direction::FeatureOut);
        QVERIFY(log[0].bytes == bytes);
    }

    void dataBlockStored_data()
    {
        QTest::addColumn<Family>("family");
        QTest::addColumn<int>("reportLength");
        QTest::addColumn<uint8_t>("code");
        QTest::addColumn<uint8_t>("slot");
        QTest::addColumn<int>("blockLength");
        QTest::addColumn<Target>("target");
        QTest::addColumn<int>("reports");

        for (const int length : {32, 64}) {
            const QByteArray l = "/" + QByteArray::number(length);
            QTest::newRow("553 12 key matrix 2" + l)
                << Family::F553 << length << uint8_t(0x12) << uint8_t(2) << 64 << Target::KeyMatrix
                << 64 / length;
            QTest::newRow("553 11 DPI table" + l) << Family::F553 << length << uint8_t(0x11)
                                                  << uint8_t(3) << 8 << Target::DpiTable << 1;
            QTest::newRow("553 13 macro 12" + l)
                << Family::F553 << length << uint8_t(0x13) << uint8_t(12) << 128 << Target::Macro
                << 128 / length;
            QTest::newRow("560 0C profile 4" + l)
                << Family::F560 << length << uint8_t(0x0C) << uint8_t(4) << 128 << Target::Profile
                << 128 / length;
            QTest::newRow("560 0D key matrix 3" + l)
                << Family::F560 << length << uint8_t(0x0D) << uint8_t(3) << 128 << Target::KeyMatrix
                << 128 / length;
        }
    }

    void dataBlockStored()
    {
        QFETCH(Family, family);
        QFETCH(int, reportLength);
        QFETCH(uint8_t, code);
        QFETCH(uint8_t, slot);
        QFETCH(int, blockLength);
        QFETCH(Target, target);
        QFETCH(int, reports);

        const sim::DeviceId id = plugMouse(family, reportLength);
        Handle h(sim::path(id, Interface::Command));
        const Bytes block = pattern(size_t(blockLength), slot);
        const Bytes before = stored(sim::state(id), target, slot);

        QCOMPARE(h.send(command(code, {slot, uint8_t(blockLength), 0x08})), 9);
        const auto pieces = dataReports(block, reportLength);
        QCOMPARE(int(pieces.size()), reports);
        for (size_t i = 0; i < pieces.size(); ++i) {
            // Nothing lands before the whole block is there.
            QVERIFY(stored(sim::state(id), target, slot) == before);
            QCOMPARE(h.write(pieces[i]), reportLength + 1);
        }

        const sim::DeviceState s = sim::state(id);
        QVERIFY(stored(s, target, slot) == block);
        if (target == Target::DpiTable)
            QCOMPARE(s.dpiStageCount, slot);
        QCOMPARE(s.commandsReceived, 1);
        QCOMPARE(s.strayReports + s.abortedTransfers + s.unknownCommands, 0);
    }

    void profileReadOut_data()
    {
        QTest::addColumn<int>("reportLength");
        QTest::addColumn<uint8_t>("profile");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("reports");

        QTest::newRow("profile 3 in 32-byte reports")
            << 32 << uint8_t(3) << QByteArray("008C03000000000070") << 4;
        QTest::newRow("profile 0 in 64-byte reports")
            << 64 << uint8_t(0) << QByteArray("008C00000000000073") << 2;
        QTest::newRow("profile 5 does not exist")
            << 32 << uint8_t(5) << QByteArray("008C0500000000006E") << 0;
    }

    void profileReadOut()
    {
        QFETCH(int, reportLength);
        QFETCH(uint8_t, profile);
        QFETCH(QByteArray, reply);
        QFETCH(int, reports);

        const sim::DeviceId id = plugMouse(Family::F560, reportLength);
        const Bytes image = pattern(128, 40);
        sim::modifyState(id, [&](sim::DeviceState &s) {
            if (profile < 5)
                std::copy(image.begin(), image.end(), s.profiles[profile].begin());
        });
        Handle h(sim::path(id, Interface::Command));
        QCOMPARE(h.send(command(0x8C, {profile})), 9);

        Bytes answer(9, 0xEE);
        answer[0] = 0x00;
        QCOMPARE(hid_get_feature_report(h.get(), answer.data(), answer.size()), 9);
        QVERIFY(answer == bytesOf(reply));

        Bytes received;
        Bytes buffer(size_t(reportLength) + 1);
        for (int i = 0; i < reports; ++i) {
            QCOMPARE(hid_read_timeout(h.get(), buffer.data(), buffer.size(), 200), reportLength);
            received.insert(received.end(), buffer.begin(), buffer.begin() + reportLength);
        }
        QCOMPARE(hid_read_timeout(h.get(), buffer.data(), buffer.size(), 20), 0);
        QVERIFY(received == (reports ? image : Bytes()));
        QCOMPARE(sim::state(id).rejectedCommands, reports ? 0 : 1);
    }

    void newCommandAbortsBlock_data()
    {
        QTest::addColumn<QByteArray>("interruption");
        QTest::addColumn<bool>("aborts");

        QTest::newRow("query 82") << QByteArray("00820000000000007D") << true;
        QTest::newRow("set 02") << QByteArray("0002010000000000FC") << true;
        QTest::newRow("frame with a bad checksum") << QByteArray("00820000000000007C") << false;
    }

    void newCommandAbortsBlock()
    {
        QFETCH(QByteArray, interruption);
        QFETCH(bool, aborts);

        const sim::DeviceId id = plugMouse(Family::F560);
        const Bytes old = pattern(128, 1);
        const Bytes fresh = pattern(128, 2);
        sim::modifyState(id,
            [&](sim::DeviceState &s) { std::copy(old.begin(), old.end(), s.profiles[2].begin()); });
        Handle h(sim::path(id, Interface::Command));
        const auto pieces = dataReports(fresh, 32);

        h.send(command(0x0C, {2, 0x80}));
        h.write(pieces[0]);
        h.write(pieces[1]);
        h.send(bytesOf(interruption));
        h.write(pieces[2]);
        h.write(pieces[3]);

        sim::DeviceState s = sim::state(id);
        QCOMPARE(s.abortedTransfers, aborts ? 1 : 0);
        QCOMPARE(s.strayReports, aborts ? 2 : 0);
        QVERIFY(stored(s, Target::Profile, 2) == (aborts ? old : fresh));

        // The next whole transfer goes through.
        h.send(command(0x0C, {2, 0x80}));
        for (const Bytes &piece : pieces)
            h.write(piece);
        QVERIFY(stored(sim::state(id), Target::Profile, 2) == fresh);
    }

    void unplugWakesBlockedRead_data()
    {
        QTest::addColumn<Interface>("iface");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<bool>("byReset");

        QTest::newRow("event, blocking hid_read") << Interface::Event << -1 << false;
        QTest::newRow("event, 5 s time-out") << Interface::Event << 5000 << false;
        QTest::newRow("command, blocking hid_read") << Interface::Command << -1 << false;
        QTest::newRow("event, reset") << Interface::Event << -1 << true;
    }

    void unplugWakesBlockedRead()
    {
        QFETCH(Interface, iface);
        QFETCH(int, timeoutMs);
        QFETCH(bool, byReset);

        const sim::DeviceId id = plugMouse(Family::F553);
        Handle h(sim::path(id, iface));
        QVERIFY(h.get());
        int result = 0;
        std::thread reader([&] {
            unsigned char buffer[33] = {};
            result = timeoutMs < 0 ? hid_read(h.get(), buffer, sizeof buffer)
                                   : hid_read_timeout(h.get(), buffer, sizeof buffer, timeoutMs);
        });
        QTest::qSleep(100);
        QElapsedTimer sinceUnplug;
        sinceUnplug.start();
        if (byReset)
            sim::reset();
        else
            sim::unplug(id);
        reader.join();

        QCOMPARE(result, -1);
        QVERIFY(sinceUnplug.elapsed() < 1000);
        QCOMPARE(h.write(Bytes(33, 0x00)), -1);
        QVERIFY(hid_error(h.get()) != nullptr);
        QVERIFY(!hid_open_path(sim::path(id, iface).c_str()));
    }

    void enumerationListsPresentInterfaces_data()
    {
        QTest::addColumn<bool>("mouseCommand");
        QTest::addColumn<bool>("mouseEvent");
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<bool>("unplugMouse");
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("pid");
        QTest::addColumn<QStringList>("expected");

        const QString mc = "mouse 0 ff00/ff00 04d9:a1ee";
        const QString me = "mouse 1 ff01/ff01 04d9:a1ee";
        const QString kc = "keyboard 0 ff01/1 04d9:8008";
        const QString ke = "keyboard 1 ff02/1 04d9:8008";
        QTest::newRow("mouse") << true << true << false << false << 0x04d9 << 0xa1ee
                               << QStringList {mc, me};
        QTest::newRow("no event interface")
            << true << false << false << false << 0x04d9 << 0xa1ee << QStringList {mc};
        QTest::newRow("no command interface")
            << false << true << false << false << 0x04d9 << 0xa1ee << QStringList {me};
        QTest::newRow("no interface")
            << false << false << false << false << 0 << 0 << QStringList {};
        QTest::newRow("unplugged")
            << true << true << false << true << 0x04d9 << 0xa1ee << QStringList {};
        QTest::newRow("keyboard ids")
            << true << true << true << false << 0x04d9 << 0x8008 << QStringList {kc, ke};
        QTest::newRow("vendor only")
            << true << true << true << false << 0x04d9 << 0 << QStringList {mc, me, kc, ke};
        QTest::newRow("other vendor")
            << true << true << true << false << 0x1234 << 0 << QStringList {};
        QTest::newRow("everything")
            << true << false << true << false << 0 << 0 << QStringList {mc, kc, ke};
    }

    void enumerationListsPresentInterfaces()
    {
        QFETCH(bool, mouseCommand);
        QFETCH(bool, mouseEvent);
        QFETCH(bool, keyboard);
        QFETCH(bool, unplugMouse);
        QFETCH(int, vid);
        QFETCH(int, pid);
        QFETCH(QStringList, expected);

        sim::DeviceSpec model = sim::referenceMouse(Family::F553);
        model.command.present = mouseCommand;
        model.event.present = mouseEvent;
        const sim::DeviceId mouse = sim::plug(model);
        const sim::DeviceId kbd = keyboard ? sim::plug(sim::referenceKeyboard(Family::F553)) : -1;
        if (unplugMouse)
            sim::unplug(mouse);

        QStringList listed;
        hid_device_info *all = hid_enumerate(ushort(vid), ushort(pid));
        for (hid_device_info *i = all; i; i = i->next) {
            const Interface iface =
                i->interface_number == 0 ? Interface::Command : Interface::Event;
            const bool isMouse = sim::path(mouse, iface) == i->path;
            QVERIFY(isMouse || (keyboard && sim::path(kbd, iface) == i->path));
            QVERIFY(i->manufacturer_string && i->product_string && i->serial_number);
            listed << QString("%1 %2 %3/%4 %5:%6")
                          .arg(isMouse ? "mouse" : "keyboard")
                          .arg(i->interface_number)
                          .arg(i->usage_page, 0, 16)
                          .arg(i->usage, 0, 16)
                          .arg(i->vendor_id, 4, 16, QChar('0'))
                          .arg(i->product_id, 4, 16, QChar('0'));
        }
        hid_free_enumeration(all);
        QCOMPARE(listed, expected);
    }

    // The refused report never reaches the firmware: written again, it completes the block
    // in its place, and nothing arrives as a stray report.
    void refusedInterruptWrite()
    {
        const sim::DeviceId id = plugMouse(Family::F560);
        const Bytes image = pattern(128, 3);
        const auto pieces = dataReports(image, 32);
        Handle h(sim::path(id, Interface::Command));
        h.send(command(0x0C, {1, 0x80}));
        sim::failInterruptWriteAfter(id, 1);

        QCOMPARE(h.write(pieces[0]), 33);
        QCOMPARE(h.write(pieces[1]), -1);
        QVERIFY(QString::fromWCharArray(hid_error(h.get())).startsWith("Broken pipe"));
        QCOMPARE(sim::wireLog().size(), size_t(2));
        QVERIFY(sim::isPlugged(id));
        for (size_t i = 1; i < pieces.size(); ++i)
            QCOMPARE(h.write(pieces[i]), 33);
        sim::DeviceState s = sim::state(id);
        QVERIFY(stored(s, Target::Profile, 1) == image);
        QCOMPARE(s.strayReports, 0);
        QCOMPARE(s.abortedTransfers, 0);
        QCOMPARE(sim::wireLog().size(), size_t(5));

        // A negative count takes back a refusal still to come.
        const Bytes next = pattern(128, 9);
        h.send(command(0x0C, {1, 0x80}));
        sim::failInterruptWriteAfter(id, 0);
        sim::failInterruptWriteAfter(id, -1);
        for (const Bytes &piece : dataReports(next, 32))
            QCOMPARE(h.write(piece), 33);
        QVERIFY(stored(sim::state(id), Target::Profile, 1) == next);
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
