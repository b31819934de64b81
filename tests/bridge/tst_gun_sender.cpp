// Gun slot values to the device: the 553 set-gun-data command with the vertical sign taken
// from the keyboard options, the 560 profile image of the gun slot, and what is never sent.

#include "device_rig.h"
#include "diagnostics.h"
#include "gun_sender.h"
#include "settings_store.h"

#include <QtTest>

using namespace simtest;

Q_DECLARE_METATYPE(sim::Family)

namespace {

// Five profile images with distinct bytes everywhere, bit 2 of the gun flags set.
ProfileImageSet patternImages()
{
    ProfileImageSet images {};
    for (size_t n = 0; n < images.size(); ++n) {
        for (size_t i = 0; i < images[n].size(); ++i)
            images[n][i] = uchar(n * 31 + i * 3 + 1);
        images[n][ProfileOffset::GunFlags] = 0x2F;
    }
    return images;
}

QByteArray imageBytes(const ProfileImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), int(image.size()));
}

QList<int> gunOf(const sim::DeviceState &state, int slot)
{
    const auto &gun = state.gun[size_t(slot)];
    return {gun[0], gun[1], gun[2]};
}

}  // namespace

class TestGunSender : public QObject, public DeviceRig
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void family553_data();
    void family553();
    void family560_data();
    void family560();
    void nothingSent_data();
    void nothingSent();

private:
    // The rig's mouse, and the device facts the sender is given.
    void attach(sim::Family family, bool gunModel);
    void send(int index, const QVariantList &values)
    {
        GunSender::mouseSendGundata(hid.get(), facts, images, index, values);
    }

    DeviceFacts facts;
    ProfileImageSet images {};
};

void TestGunSender::init()
{
    renew();
    images = patternImages();
}

void TestGunSender::cleanup()
{
    release();
}

void TestGunSender::attach(sim::Family family, bool gunModel)
{
    DeviceRig::attach(family, gunModel);
    facts = DeviceFacts();
    facts.icType = familyName(family);
    facts.isGun = gunModel;
}

void TestGunSender::family553_data()
{
    QTest::addColumn<int>("option3");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<int>("index");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<QStringList>("diagnostics");

    const QStringList none;
    QTest::newRow("inverted: vertical 8 as F8")
        << 1 << true << 1 << QVariantList {5, 3, 8} << "00 04 00 05 03 F8 00 00 FB"
        << QList<int> {5, 3, 0xF8} << none;
    QTest::newRow("not inverted: vertical 8")
        << 0 << true << 3 << QVariantList {5, 3, 8} << "00 04 00 05 03 08 02 00 E9"
        << QList<int> {5, 3, 8} << none;
    QTest::newRow("options unanswered: not inverted")
        << 1 << false << 1 << QVariantList {5, 3, 8} << "00 04 00 05 03 08 00 00 EB"
        << QList<int> {5, 3, 8} << none;
    QTest::newRow("cut to bytes, missing vertical is 0")
        << 0 << true << 2 << QVariantList {300, -1} << "00 04 00 2C FF 00 01 00 CF"
        << QList<int> {0x2C, 0xFF, 0} << none;
    QTest::newRow("text that is no number is 0")
        << 0 << true << 1
        << QVariantList {QStringLiteral("5"), QStringLiteral("3"), QStringLiteral("up")}
        << "00 04 00 05 03 00 00 00 F3" << QList<int> {5, 3, 0}
        << QStringList {"mouseSendGundata: value 2 \"up\" is not a number; sent as 0"};
}

void TestGunSender::family553()
{
    QFETCH(int, option3);
    QFETCH(bool, answers);
    QFETCH(int, index);
    QFETCH(QVariantList, values);
    QFETCH(QString, command);
    QFETCH(QList<int>, stored);
    QFETCH(QStringList, diagnostics);
    attach(sim::Family::F553, true);
    sim::modifyState(device, [option3](sim::DeviceState &s) {
        s.options = {0x11, 0x22, uint8_t(option3), 0x44};
    });
    sim::setFeatureReadsFail(device, !answers);

    DiagnosticCapture capture;
    send(index, values);

    QCOMPARE(sentReports(), QStringList({"00 83 00 00 00 00 00 00 7C", command}));
    const sim::DeviceState state = sim::state(device);
    QCOMPARE(gunOf(state, index - 1), stored);
    QCOMPARE(state.checksumErrors, 0);
    QCOMPARE(imageBytes(images[2]), imageBytes(patternImages()[2]));
    QCOMPARE(capture.lines(), diagnostics);
}

void TestGunSender::family560_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("gunBytes");  // bytes 78 … 81

    QTest::newRow("gun slot 1: image 2")
        << 1 << QVariantList {0, 0, 8} << "00 0C 02 80 00 00 00 00 71"
        << QByteArray::fromHex("F0000008");
    QTest::newRow("gun slot 3: image 4, cut to bytes")
        << 3 << QVariantList {255, 64, 260} << "00 0C 04 80 00 00 00 00 6F"
        << QByteArray::fromHex("F0FF4004");
}

void TestGunSender::family560()
{
    QFETCH(int, index);
    QFETCH(QVariantList, values);
    QFETCH(QString, command);
    QFETCH(QByteArray, gunBytes);
    attach(sim::Family::F560, true);

    send(index, values);

    const size_t profile = size_t(index + 1);
    QByteArray expected = imageBytes(patternImages()[profile]);
    expected.replace(ProfileOffset::GunMarker, gunBytes.size(), gunBytes);
    expected[ProfileOffset::GunFlags] = char(0x2B);
    for (size_t n = 0; n < images.size(); ++n) {
        const QByteArray image = imageBytes(images[n]);
        QCOMPARE(image, n == profile ? expected : imageBytes(patternImages()[n]));
    }
    QCOMPARE(sentReports().first(), command);
    QCOMPARE(int(records(sim::Direction::FeatureOut).size()), 1);
    QCOMPARE(carried(), expected);
    QCOMPARE(imageBytes(sim::state(device).profiles[profile]), expected);
}

void TestGunSender::nothingSent_data()
{
    QTest::addColumn<sim::Family>("family");
    QTest::addColumn<bool>("gunModel");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("diagnostics");

    const QStringList none;
    const auto refused = [](int slot) {
        return QStringList {QStringLiteral("mouseSendGundata: gun slot %1 is not one of 1 … 3; "
                                           "nothing sent")
                                .arg(slot)};
    };
    for (const auto family : {sim::Family::F553, sim::Family::F560}) {
        const char *name = family == sim::Family::F553 ? "553" : "560";
        for (int slot = 1; slot <= 3; ++slot) {
            QTest::addRow("%s no gun feature, slot %d", name, slot)
                << family << false << slot << none;
        }
        for (int slot : {0, 4, -1})
            QTest::addRow("%s slot %d", name, slot) << family << true << slot << refused(slot);
    }
}

void TestGunSender::nothingSent()
{
    QFETCH(sim::Family, family);
    QFETCH(bool, gunModel);
    QFETCH(int, index);
    QFETCH(QStringList, diagnostics);
    attach(family, gunModel);

    DiagnosticCapture capture;
    send(index, {5, 3, 8});

    QVERIFY(sim::wireLog().empty());
    for (size_t n = 0; n < images.size(); ++n)
        QCOMPARE(imageBytes(images[n]), imageBytes(patternImages()[n]));
    QCOMPARE(capture.lines(), diagnostics);
}

QTEST_GUILESS_MAIN(TestGunSender)
#include "tst_gun_sender.moc"
