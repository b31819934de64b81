// DPI stage encoding per sensor, the stage table on both families, the stage in use, the
// lift-off distance and the keyboard option bytes.

#include "bridge_rig.h"
#include "diagnostics.h"
#include "dpi_settings.h"

using namespace rig;
using Codes = std::array<uchar, 8>;

namespace {

const QVariantList kEightValues {400, 800, 1200, 1600, 3200, 5000, 5001, 16000};
// "4090" codes of kEightValues.
const QByteArray kEightCodes = QByteArray::fromHex("03070B0F1F315950");

QByteArray codes(const Codes &c)
{
    return QByteArray(reinterpret_cast<const char *>(c.data()), int(c.size()));
}

// Image n as mouseSetDpi leaves a zero-filled one.
QByteArray stagedImage(const QByteArray &stageCodes, uchar mask, uchar highBits = 0)
{
    QByteArray image(128, '\0');
    image[82] = char(highBits);
    image[83] = char(highBits);
    image.replace(84, 8, stageCodes);
    image.replace(92, 8, stageCodes);
    image[100] = char(mask);
    return image;
}

}  // namespace

class TestDpiSettings : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void stageTable_data();
    void stageTable();
    void stageCounts_data();
    void stageCounts();

    void threeStagesOn553();
    void eightStagesOn560();
    void eightStagesOn560GunModel();
    void absurdCountOn553();
    void currentStage();
    void currentStageWithoutAnswer();
    void liftOffBothFamilies();
    void keyboardOptions();
    void withoutDeviceLink();
};

void TestDpiSettings::encode_data()
{
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("highBit");

    const struct
    {
        const char *sensor;
        int dpi;
        int code;
        bool highBit;
    } rows[] = {
        {"4090", 5000, 49, false},
        {"4090", 5001, 0x59, false},
        {"4090", 16000, 0x50, false},
        {"4090", 200, 1, false},
        {"3360", 400, 3, false},
        {"3360", 12000, 119, false},
        {"3050", 250, 1, false},
        {"3050", 251, 2, false},
        {"3050", 2000, 8, false},
        {"3050", 2001, 0x45, false},
        {"3050", 4000, 0x48, false},
        {"3050", 4001, 0, false},
        {"3389", 12750, 255, false},
        {"3389", 12800, 0, true},
        {"3389", 16000, 0x40, true},
        {"3327", 1000, 20, false},
        {"3327", 12700, 254, false},
        {"PAW3395", 5001, 0x59, false},
        {"", 800, 7, false},
        {"3360 ", 400, 3, false},
    };
    for (const auto &r : rows)
        QTest::addRow("%s %d", r.sensor, r.dpi) << r.sensor << r.dpi << r.code << r.highBit;
}

void TestDpiSettings::encode()
{
    QFETCH(QString, sensor);
    QFETCH(int, dpi);
    QFETCH(int, code);
    QFETCH(bool, highBit);
    const DpiEncoding::StageCode stage = DpiEncoding::encode(sensor, dpi);
    QCOMPARE(int(stage.code), code);
    QCOMPARE(stage.highBit, highBit);
}

void TestDpiSettings::stageTable_data()
{
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("highBits");
    QTest::addColumn<int>("diagnostics");

    QTest::newRow("eight") << "4090" << kEightValues << kEightCodes << 0 << 0;
    QTest::newRow("3389 high bits")
        << "3389" << QVariantList {100, 12800, 200, 16000, 300, 400, 500, 20000}
        << QByteArray::fromHex("0200044006080A90") << 0x8A << 0;
    QTest::newRow("stored strings") << "3360" << QVariantList {"400", "800", "1200"}
                                    << QByteArray::fromHex("03070B0000000000") << 0 << 0;
    QTest::newRow("ten values: first eight")
        << "4090" << (kEightValues + QVariantList {900, 900}) << kEightCodes << 0 << 0;
    QTest::newRow("not numbers") << "3360" << QVariantList {400, "fast", QVariant(), 800}
                                 << QByteArray::fromHex("0300000700000000") << 0 << 2;
    QTest::newRow("empty") << "4090" << QVariantList {} << QByteArray(8, '\0') << 0 << 0;
    // Values beyond the sensor's table go out as its nearest end; 1e300 is no integer.
    QTest::newRow("beyond 3360") << "3360" << QVariantList {99999999, 1e300, -400, 400}
                                 << QByteArray::fromHex("FF00000300000000") << 0 << 3;
    QTest::newRow("beyond 3050") << "3050" << QVariantList {5000, 3000}
                                 << QByteArray::fromHex("4846000000000000") << 0 << 1;
    // From 17800 on a 4090 code would repeat one of 5001 … 12799: the top's code goes out.
    QTest::newRow("beyond 4090") << "4090" << QVariantList {17800, 99999, 17799}
                                 << QByteArray::fromHex("5858580000000000") << 0 << 2;
    QTest::newRow("beyond 3389") << "3389" << QVariantList {30000, 0}
                                 << QByteArray::fromHex("FF01000000000000") << 0x01 << 2;
}

void TestDpiSettings::stageTable()
{
    QFETCH(QString, sensor);
    QFETCH(QVariantList, values);
    QFETCH(QByteArray, expected);
    QFETCH(int, highBits);
    QFETCH(int, diagnostics);
    DiagnosticCapture capture;
    const DpiEncoding::StageTable table = DpiEncoding::encodeStages(sensor, values);
    QCOMPARE(codes(table.codes), expected);
    QCOMPARE(int(table.highBits), highBits);
    QCOMPARE(int(capture.lines().size()), diagnostics);
}

void TestDpiSettings::stageCounts_data()
{
    QTest::addColumn<int>("dpiCount");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QByteArray>("disabled");  // 553 codes of eight 0x11 codes

    QTest::newRow("1") << 1 << 1 << 0x01 << QByteArray::fromHex("1180808080808080");
    QTest::newRow("3") << 3 << 3 << 0x07 << QByteArray::fromHex("1111118080808080");
    QTest::newRow("8") << 8 << 8 << 0xFF << QByteArray::fromHex("1111111111111111");
    QTest::newRow("12 acts as 8") << 12 << 8 << 0xFF << QByteArray::fromHex("1111111111111111");
    QTest::newRow("0 acts as 1") << 0 << 1 << 0x01 << QByteArray::fromHex("1180808080808080");
    QTest::newRow("-5 acts as 1") << -5 << 1 << 0x01 << QByteArray::fromHex("1180808080808080");
}

void TestDpiSettings::stageCounts()
{
    QFETCH(int, dpiCount);
    QFETCH(int, count);
    QFETCH(int, mask);
    QFETCH(QByteArray, disabled);
    DiagnosticCapture capture;
    QCOMPARE(DpiEncoding::enabledStages(dpiCount), count);
    QCOMPARE(capture.lines().size(), dpiCount == count ? 0 : 1);
    QCOMPARE(int(DpiEncoding::stageMask(count)), mask);
    DpiEncoding::StageTable table;
    table.codes.fill(0x11);
    QCOMPARE(codes(DpiEncoding::withDisabledStages(table, count)), disabled);
}

void TestDpiSettings::threeStagesOn553()
{
    Rig rig;
    rig.attach(facts("553"));
    DpiSettings dpi(rig.context);
    dpi.mouseSetDpi(3, "3360", {400, 800, 1200, 1600, 2000, 2400, 2800, 3200});

    const QByteArray table = QByteArray::fromHex("03070B8080808080");
    QCOMPARE(rig.sent(), write(0x11, {3, 0x08}, table));
    QCOMPARE(int(rig.state().dpiStageCount), 3);
    QCOMPARE(codes(rig.state().dpiTable), table);
    QCOMPARE(rig.images.images(), ProfileImageSet {});  // the 553 family keeps no images
}

void TestDpiSettings::eightStagesOn560()
{
    Rig rig;
    rig.attach(facts("560"));
    // Bytes the firmware owns, and the high-bit mask of another sensor, stay as they were.
    ProfileImageSet &images = *rig.context.images;
    images[1][82] = 0xAA;
    images[1][83] = 0x55;
    images[1][101] = 0x77;
    DpiSettings dpi(rig.context);
    dpi.mouseSetDpi(8, "4090", kEightValues);

    QByteArray image1 = stagedImage(kEightCodes, 0xFF);
    image1[82] = char(0xAA);
    image1[83] = char(0x55);
    image1[101] = char(0x77);
    QCOMPARE(rig.sent(), write(0x0C, {1, 0x80}, image1));
    QCOMPARE(bytes(rig.state().profiles[1]), image1);
    for (int n : {2, 3, 4})
        QCOMPARE(bytes(images[size_t(n)]), stagedImage(kEightCodes, 0xFF));  // written, not sent
}

void TestDpiSettings::eightStagesOn560GunModel()
{
    Rig rig;
    rig.attach(facts("560", true));
    DpiSettings dpi(rig.context);
    dpi.mouseSetDpi(5, "3389", {100, 12800, 200, 16000, 300, 400, 500, 20000});

    const QByteArray image = stagedImage(QByteArray::fromHex("0200044006080A90"), 0x1F, 0x8A);
    QStringList expected;
    for (uchar n : {1, 2, 3, 4})
        expected += write(0x0C, {n, 0x80}, image);
    QCOMPARE(rig.sent(), expected);
    for (int n : {1, 2, 3, 4})
        QCOMPARE(bytes(rig.state().profiles[size_t(n)]), image);
    QCOMPARE(bytes(rig.state().profiles[0]), QByteArray(128, '\0'));
}

void TestDpiSettings::absurdCountOn553()
{
    Rig rig;
    rig.attach(facts("553"));
    DpiSettings dpi(rig.context);
    DiagnosticCapture capture;
    dpi.mouseSetDpi(0, "3360", {400, 800});

    QCOMPARE(capture.lines(),
        QStringList({"mouseSetDpi: expected 8 DPI values, got 2",
            "mouseSetDpi: stage count 0 taken as 1"}));
    QCOMPARE(rig.sent(), write(0x11, {1, 0x08}, QByteArray::fromHex("0380808080808080")));
}

void TestDpiSettings::currentStage()
{
    Rig rig;
    rig.attach(facts("553"));
    sim::modifyState(rig.device, [](sim::DeviceState &s) { s.currentDpi = 6; });
    DpiSettings dpi(rig.context);
    QCOMPARE(dpi.mouseGetCurrentDPI(), QVariant(6));
    dpi.mouseSetCurrentDPI(2);
    QCOMPARE(rig.sent(), QStringList({command(0x8B), command(0x0B, {2})}));
    QCOMPARE(int(rig.state().currentDpi), 2);

    Rig rig560;
    rig560.attach(facts("560"));
    sim::modifyState(rig560.device, [](sim::DeviceState &s) { s.profileCurrentDpi[1] = 4; });
    DpiSettings dpi560(rig560.context);
    QCOMPARE(dpi560.mouseGetCurrentDPI(), QVariant(4));
    dpi560.mouseSetCurrentDPI(3);
    QCOMPARE(rig560.sent(),
        QStringList({command(0x84, {1}), command(0x04, {1, 3}), command(0x04, {2, 3}),
            command(0x04, {3, 3}), command(0x04, {4, 3})}));
}

void TestDpiSettings::currentStageWithoutAnswer()
{
    for (const char *family : {"553", "560"}) {
        Rig rig;
        rig.attach(facts(family));
        sim::modifyState(rig.device, [](sim::DeviceState &s) {
            s.currentDpi = 6;
            s.profileCurrentDpi[1] = 6;
        });
        sim::setFeatureReadsFail(rig.device, true);
        DpiSettings dpi(rig.context);
        QCOMPARE(dpi.mouseGetCurrentDPI(), QVariant(0));
    }
}

void TestDpiSettings::liftOffBothFamilies()
{
    for (const char *family : {"553", "560"}) {
        Rig rig;
        rig.attach(facts(family));
        DpiSettings dpi(rig.context);
        DiagnosticCapture capture;
        dpi.mouseSetReportRate(100);
        QCOMPARE(capture.lines(), QStringList({"test 100"}));
        QCOMPARE(rig.sent(), QStringList({"00 07 00 64 7D 00 00 00 17"}));
    }
}

void TestDpiSettings::keyboardOptions()
{
    Rig rig;
    rig.attach(facts("553"));
    DpiSettings dpi(rig.context);
    dpi.mouseSetKeyboardoption(0x10, 0x20, 0x30, 0x40);
    QCOMPARE(dpi.GetKeyboardoption(), QVariantList({0x10, 0x20, 0x30, 0x40}));
    QCOMPARE(rig.sent(), QStringList({command(0x03, {0x10, 0x20, 0x30, 0x40}), command(0x83)}));

    sim::setFeatureReadsFail(rig.device, true);
    QCOMPARE(dpi.GetKeyboardoption(), QVariantList({0, 0, 0, 0}));
}

void TestDpiSettings::withoutDeviceLink()
{
    DeviceContext context;
    ProfileImages images(context);
    DpiSettings dpi(context);
    DiagnosticCapture capture;
    dpi.mouseSetDpi(3, "3360", kEightValues);
    QCOMPARE(dpi.mouseGetCurrentDPI(), QVariant(0));
    QCOMPARE(dpi.GetKeyboardoption(), QVariantList({0, 0, 0, 0}));
    QCOMPARE(capture.lines(),
        QStringList({"mouseSetDpi: no device link", "mouseGetCurrentDPI: no device link",
            "GetKeyboardoption: no device link"}));
}

QTEST_GUILESS_MAIN(TestDpiSettings)
#include "tst_dpi_settings.moc"
