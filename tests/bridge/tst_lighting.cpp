// Lighting: effect tables of both kinds of device, what each family receives, and the
// colour table.

#include "bridge_rig.h"
#include "diagnostics.h"
#include "lighting.h"

using namespace rig;
using LightingMap::Triple;

Q_DECLARE_METATYPE(LightingMap::Triple)

namespace {

QVariantList colours(int count, int seed)
{
    QVariantList values;
    for (int i = 0; i < count; ++i)
        values.append(seed + i);
    return values;
}

QByteArray colourBytes(int count, int seed)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(seed + i));
    return out;
}

// A zero-filled image with bytes at offset.
QByteArray image(int offset, const QByteArray &content)
{
    QByteArray out(128, '\0');
    out.replace(offset, content.size(), content);
    return out;
}

}  // namespace

class TestLighting : public QObject
{
    Q_OBJECT

private slots:
    void colourful_data();
    void colourful();
    void singleColour_data();
    void singleColour();
    void colourTable_data();
    void colourTable();

    void effectOn553_data();
    void effectOn553();
    void singleColour560();
    void singleColour560GunModel();
    void colourful560();
    void colours560();
    void colours553Plain();
    void colours55328();
};

void TestLighting::colourful_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<Triple>("triple");

    QTest::newRow("flipping 2 3") << 8 << 2 << 3 << Triple {8, 192, 15};
    QTest::newRow("static dark") << 0 << 3 << 0 << Triple {1, 0, 0};
    QTest::newRow("breath speed 7") << 1 << 7 << 4 << Triple {3, 0, 0};
    QTest::newRow("neon 3") << 2 << 3 << 3 << Triple {4, 0, 3};
    QTest::newRow("off") << 3 << 4 << 4 << Triple {0, 0, 0};
    QTest::newRow("twinkling bright 5") << 4 << 0 << 5 << Triple {2, 0, 0};
    QTest::newRow("wave 0 4") << 5 << 0 << 4 << Triple {5, 255, 10};
    QTest::newRow("gliding") << 6 << 2 << 3 << Triple {6, 0, 0};
    QTest::newRow("finger") << 7 << 4 << 4 << Triple {7, 255, 0};
    QTest::newRow("yo-yo 1 2") << 9 << 1 << 2 << Triple {9, 128, 13};
    QTest::newRow("spotlight 4 1") << 10 << 4 << 1 << Triple {10, 64, 20};
    QTest::newRow("effect 11") << 11 << 1 << 1 << Triple {0, 0, 0};
    QTest::newRow("effect 255") << 255 << 1 << 1 << Triple {0, 0, 0};
}

void TestLighting::colourful()
{
    QFETCH(int, effect);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(Triple, triple);
    QCOMPARE(LightingMap::colourful(uchar(effect), uchar(speed), uchar(brightness)), triple);
}

void TestLighting::singleColour_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<Triple>("triple");

    QTest::newRow("static 4") << 0 << 2 << 4 << Triple {1, 10, 1};
    QTest::newRow("static 7") << 0 << 2 << 7 << Triple {1, 0, 1};
    QTest::newRow("breath 3") << 1 << 3 << 0 << Triple {2, 4, 1};
    QTest::newRow("breath 255") << 1 << 255 << 0 << Triple {2, 0, 1};
    QTest::newRow("neon 4") << 2 << 4 << 0 << Triple {3, 6, 1};
    QTest::newRow("neon 5") << 2 << 5 << 0 << Triple {3, 0, 1};
    QTest::newRow("off") << 3 << 1 << 1 << Triple {0, 0, 0};
    QTest::newRow("breath loop 0") << 4 << 0 << 0 << Triple {2, 1, 3};
    QTest::newRow("effect 5") << 5 << 1 << 1 << Triple {0, 0, 0};
}

void TestLighting::singleColour()
{
    QFETCH(int, effect);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(Triple, triple);
    QCOMPARE(LightingMap::singleColour(uchar(effect), uchar(speed), uchar(brightness)), triple);
}

void TestLighting::colourTable_data()
{
    QTest::addColumn<QVariantList>("src");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("lines");

    const QString count = QStringLiteral("mouseSetRGBColor: expected 24 colour values, got %1");
    QTest::newRow("24") << colours(24, 1) << colourBytes(24, 1) << QStringList {};
    QTest::newRow("30 values") << colours(30, 1) << colourBytes(24, 1)
                               << QStringList {count.arg(30)};
    QTest::newRow("3 values") << colours(3, 200) << colourBytes(3, 200) + QByteArray(21, '\0')
                              << QStringList {count.arg(3)};
    QTest::newRow("low bytes and text")
        << QVariantList {256 + 7, -1, "16", "red"} + QVariantList(20, 9)
        << QByteArray::fromHex("07FF1000") + QByteArray(20, '\x09')
        << QStringList {"mouseSetRGBColor: colour values that are not numbers count as 0"};
}

void TestLighting::colourTable()
{
    QFETCH(QVariantList, src);
    QFETCH(QByteArray, table);
    QFETCH(QStringList, lines);
    DiagnosticCapture capture;
    const LightingMap::ColourTable out = LightingMap::colourTable(src);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.data()), 24), table);
    QCOMPARE(capture.lines(), lines);
}

void TestLighting::effectOn553_data()
{
    QTest::addColumn<bool>("isColorful");
    QTest::addColumn<bool>("is55328");
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<Triple>("sent");

    QTest::newRow("colourful") << true << false << 8 << 2 << 3 << Triple {8, 192, 15};
    QTest::newRow("single") << false << false << 2 << 4 << 0 << Triple {3, 6, 2};
    QTest::newRow("single 55328") << false << true << 2 << 4 << 0 << Triple {3, 6, 1};
    QTest::newRow("breath loop") << false << true << 4 << 0 << 0 << Triple {2, 1, 3};
}

void TestLighting::effectOn553()
{
    QFETCH(bool, isColorful);
    QFETCH(bool, is55328);
    QFETCH(int, effect);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(Triple, sent);
    Rig rig;
    rig.attach(facts("553", false, isColorful, is55328));
    Lighting lighting(rig.context);
    lighting.mouseSetRGBEffect(uchar(effect), uchar(speed), uchar(brightness));
    QCOMPARE(rig.sent(), QStringList({command(0x0D, {sent[0], sent[1], sent[2]})}));
    const std::array<uint8_t, 3> state {sent[0], sent[1], sent[2]};
    QCOMPARE(rig.state().ledEffect, state);
}

void TestLighting::singleColour560()
{
    Rig rig;
    rig.attach(facts("560"));
    Lighting lighting(rig.context);
    lighting.mouseSetRGBEffect(2, 4, 0);
    const QByteArray image1 = image(71, QByteArray::fromHex("030603"));
    QCOMPARE(rig.sent(), write(0x0C, {1, 0x80}, image1));
    QCOMPARE(bytes(rig.state().profiles[1]), image1);
    for (int n : {2, 3, 4})
        QCOMPARE(bytes(rig.images.images()[size_t(n)]), image(71, QByteArray::fromHex("030602")));
}

void TestLighting::singleColour560GunModel()
{
    Rig rig;
    rig.attach(facts("560", true));
    Lighting lighting(rig.context);
    lighting.mouseSetRGBEffect(0, 0, 2);
    const QByteArray sent = image(71, QByteArray::fromHex("010502"));
    QStringList wire;
    for (uchar n : {1, 2, 3, 4})
        wire += write(0x0C, {n, 0x80}, sent);
    QCOMPARE(rig.sent(), wire);
}

void TestLighting::colourful560()
{
    Rig rig;
    rig.attach(facts("560", false, true));
    Lighting lighting(rig.context);
    lighting.mouseSetRGBEffect(8, 2, 3);
    QCOMPARE(rig.sent(), write(0x0C, {1, 0x80}, image(71, QByteArray::fromHex("08C00F"))));
    QCOMPARE(bytes(rig.images.images()[4]), image(71, QByteArray::fromHex("08C00F")));
}

void TestLighting::colours560()
{
    Rig rig;
    rig.attach(facts("560", true, true));
    Lighting lighting(rig.context);
    lighting.mouseSetRGBColor(1, colours(24, 0x40));
    const QByteArray image0 = image(24, colourBytes(24, 0x40));
    QCOMPARE(rig.sent(), write(0x0C, {0, 0x80}, image0));
    QCOMPARE(bytes(rig.state().profiles[0]), image0);

    Rig single;
    single.attach(facts("560", true));
    Lighting singleLighting(single.context);
    singleLighting.mouseSetRGBColor(0, colours(24, 0x40));
    QCOMPARE(single.sent(), write(0x0C, {1, 0x80}, image(104, colourBytes(24, 0x40))));
    QCOMPARE(single.images.images()[0], ProfileImage {});
}

void TestLighting::colours553Plain()
{
    Rig rig;
    rig.attach(facts("553", false, true));
    Lighting lighting(rig.context);
    lighting.mouseSetRGBColor(1, colours(30, 1));
    const QStringList once = write(0x10, {1, 24}, colourBytes(24, 1));
    QCOMPARE(rig.sent(), once + once);
    QCOMPARE(bytes(rig.state().ledColors), colourBytes(24, 1));
}

void TestLighting::colours55328()
{
    Rig rig;
    rig.attach(facts("553", false, false, true));
    Lighting lighting(rig.context);
    QVariantList src = colours(21, 0x30) + QVariantList {0, 0, 0};
    lighting.mouseSetRGBColor(1, src);
    QCOMPARE(rig.sent(), QStringList({command(0x0C, {0x30, 0x31, 0x32})}));

    sim::clearWireLog();
    src[22] = 1;
    lighting.mouseSetRGBColor(1, src);
    QCOMPARE(
        rig.sent(), write(0x10, {0, 24}, colourBytes(21, 0x30) + QByteArray::fromHex("000100")));
    QCOMPARE(int(rig.state().ledType), 0);
}

QTEST_GUILESS_MAIN(TestLighting)
#include "tst_lighting.moc"
