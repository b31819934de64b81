// Macro records to the device: which command and macro id each family gets, the 128 bytes the
// device stores in the slot, and what is never sent.

#include "device_rig.h"
#include "diagnostics.h"
#include "macro_download.h"
#include "settings_store.h"

#include <QtTest>

using namespace simtest;

Q_DECLARE_METATYPE(sim::Family)

namespace {

// A record of count values 1, 2, 3 … (cut to bytes by the sender).
QVariantList values(int count)
{
    QVariantList out;
    for (int i = 0; i < count; ++i)
        out.append(i + 1);
    return out;
}

QByteArray padded(const QByteArray &start)
{
    return start + QByteArray(128 - start.size(), '\0');
}

QByteArray counting(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(i + 1));
    return out;
}

}  // namespace

class TestMacroDownload : public QObject, public DeviceRig
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendsRecord_data();
    void sendsRecord();
    void ignoredSlots_data();
    void ignoredSlots();

private:
    // The rig's mouse, and the device facts the sender is given.
    void attach(sim::Family family);
    QVariant send(const QVariantList &data, const QVariant &slot);

    DeviceFacts facts;
};

void TestMacroDownload::init()
{
    renew();
}

void TestMacroDownload::cleanup()
{
    release();
}

void TestMacroDownload::attach(sim::Family family)
{
    DeviceRig::attach(family);
    facts = DeviceFacts();
    facts.icType = familyName(family);
}

QVariant TestMacroDownload::send(const QVariantList &data, const QVariant &slot)
{
    return MacroDownload::mouseSendMacroData(hid.get(), facts, data, slot);
}

void TestMacroDownload::sendsRecord_data()
{
    QTest::addColumn<sim::Family>("family");
    QTest::addColumn<QVariant>("slot");
    QTest::addColumn<QVariantList>("data");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QStringList>("diagnostics");

    const QByteArray record = QByteArray::fromHex("0001050481040000");
    const QVariantList recordValues {0, 1, 5, 4, 0x81, 4, 0, 0};
    const QStringList none;

    QTest::newRow("553 slot 0 is id 1")
        << sim::Family::F553 << QVariant(0) << recordValues << "00 13 01 80 00 00 00 00 6B" << 1
        << padded(record) << none;
    QTest::newRow("553 slot 11 is id 12")
        << sim::Family::F553 << QVariant(11) << values(128) << "00 13 0C 80 00 00 00 00 60" << 12
        << counting(128) << none;
    QTest::newRow("560 slot 0 is id 1")
        << sim::Family::F560 << QVariant(0) << recordValues << "00 0F 01 80 00 00 00 00 6F" << 1
        << padded(record) << none;
    QTest::newRow("560 slot 11 as text")
        << sim::Family::F560 << QVariant(QStringLiteral("11")) << values(3)
        << "00 0F 0C 80 00 00 00 00 64" << 12 << padded(counting(3)) << none;
    QTest::newRow("560 130 values: the first 128")
        << sim::Family::F560 << QVariant(5) << values(130) << "00 0F 06 80 00 00 00 00 6A" << 6
        << counting(128)
        << QStringList {"mouseSendMacroData: 130 values given, only the first 128 sent"};
    QTest::newRow("553 values cut to bytes, text that is no number as 0")
        << sim::Family::F553 << QVariant(0)
        << QVariantList {300, -1, QStringLiteral("7"), QStringLiteral("x"), 255}
        << "00 13 01 80 00 00 00 00 6B" << 1 << padded(QByteArray::fromHex("2CFF0700FF"))
        << QStringList {"mouseSendMacroData: byte 3 \"x\" is not a number; sent as 0"};
}

void TestMacroDownload::sendsRecord()
{
    QFETCH(sim::Family, family);
    QFETCH(QVariant, slot);
    QFETCH(QVariantList, data);
    QFETCH(QString, command);
    QFETCH(int, id);
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, diagnostics);
    attach(family);

    DiagnosticCapture capture;
    QCOMPARE(send(data, slot), QVariant(true));

    QStringList commands;
    for (const sim::WireRecord &r : records(sim::Direction::FeatureOut))
        commands << QString::fromLatin1(hex(r.bytes));
    QCOMPARE(commands, QStringList {command});
    QCOMPARE(carried(), stored);
    const sim::DeviceState state = sim::state(device);
    QCOMPARE(int(state.macros.size()), 1);
    QVERIFY(state.macros.count(id));
    QCOMPARE(bytes(state.macros.at(id)), stored);
    QCOMPARE(state.checksumErrors, 0);
    QCOMPARE(capture.lines(), diagnostics);
}

void TestMacroDownload::ignoredSlots_data()
{
    QTest::addColumn<sim::Family>("family");
    QTest::addColumn<QVariant>("slot");
    QTest::addColumn<QStringList>("diagnostics");

    const QStringList none;
    QTest::newRow("553 slot 12") << sim::Family::F553 << QVariant(12) << none;
    QTest::newRow("560 slot 12") << sim::Family::F560 << QVariant(12) << none;
    QTest::newRow("553 slot 255") << sim::Family::F553 << QVariant(255) << none;
    QTest::newRow("560 slot 268, low byte 12") << sim::Family::F560 << QVariant(268) << none;
    QTest::newRow("553 slot -1") << sim::Family::F553 << QVariant(-1) << none;
    QTest::newRow("560 slot not a number")
        << sim::Family::F560 << QVariant(QStringLiteral("one"))
        << QStringList {"mouseSendMacroData: macro slot \"one\" is not a number; nothing sent"};
}

void TestMacroDownload::ignoredSlots()
{
    QFETCH(sim::Family, family);
    QFETCH(QVariant, slot);
    QFETCH(QStringList, diagnostics);
    attach(family);

    DiagnosticCapture capture;
    QCOMPARE(send(values(8), slot), QVariant(true));
    QVERIFY(sim::wireLog().empty());
    QVERIFY(sim::state(device).macros.empty());
    QCOMPARE(capture.lines(), diagnostics);
}

QTEST_GUILESS_MAIN(TestMacroDownload)
#include "tst_macro_download.moc"
