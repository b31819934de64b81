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

// The tables of the lighting page, by slider position 0 … 4; any other position gives 0.
constexpr int kPositions = 5;
using Positions = std::array<uchar, kPositions>;

constexpr Positions kBrightness {0, 64, 128, 192, 255};
constexpr Positions kStaticSteps {1, 3, 5, 7, 10};   // single-colour Static, by brightness
constexpr Positions kNeonSteps {30, 24, 18, 12, 6};  // single-colour Neon, by speed

uchar positionValue(const Positions &table, int position)
{
    return position >= 0 && position < kPositions ? table[size_t(position)] : 0;
}

// Multi-colour devices: device mode, whether value A is the brightness, value B by speed.
struct ColourfulEffect
{
    const char *name;
    int effect;
    uchar mode;
    bool bright;
    Positions speeds;
};

constexpr ColourfulEffect kColourfulEffects[] = {
    {"static", 0, 1, true, {}},
    {"breath", 1, 3, false, {10, 7, 5, 3, 1}},
    {"neon", 2, 4, false, {10, 7, 5, 3, 1}},
    {"off", 3, 0, false, {}},
    {"twinkling", 4, 2, true, {}},
    {"wave", 5, 5, true, {10, 7, 5, 3, 1}},
    {"gliding", 6, 6, false, {}},
    {"finger moving", 7, 7, true, {}},
    {"vertical flipping", 8, 8, true, {20, 17, 15, 13, 11}},
    {"yo-yo", 9, 9, true, {15, 13, 10, 7, 5}},
    {"spotlight", 10, 10, true, {30, 27, 24, 22, 20}},
};

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

// Every speed and brightness position of every effect, and one position past each table.
void TestLighting::colourful_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<Triple>("triple");

    for (const ColourfulEffect &e : kColourfulEffects) {
        const uchar brightAt3 = e.bright ? kBrightness[3] : 0;
        for (int position = 0; position <= kPositions; ++position) {
            const uchar bright = e.bright ? positionValue(kBrightness, position) : 0;
            QTest::addRow("%s speed %d", e.name, position)
                << e.effect << position << 3
                << Triple {e.mode, brightAt3, positionValue(e.speeds, position)};
            QTest::addRow("%s brightness %d", e.name, position)
                << e.effect << 2 << position << Triple {e.mode, bright, e.speeds[2]};
        }
    }
    QTest::newRow("breath speed 7") << 1 << 7 << 4 << Triple {3, 0, 0};
    QTest::newRow("wave brightness 255") << 5 << 1 << 255 << Triple {5, 0, 7};
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

    for (int position = 0; position <= kPositions; ++position) {
        const uchar step = positionValue(kStaticSteps, position);
        const uchar neon = positionValue(kNeonSteps, position);
        const uchar plusOne = uchar(position + 1);
        QTest::addRow("static brightness %d", position)
            << 0 << 2 << position << Triple {1, step, 1};
        QTest::addRow("static speed %d", position) << 0 << position << 3 << Triple {1, 7, 1};
        QTest::addRow("breath speed %d", position) << 1 << position << 4 << Triple {2, plusOne, 1};
        QTest::addRow("neon speed %d", position) << 2 << position << 4 << Triple {3, neon, 1};
        QTest::addRow("breath loop speed %d", position)
            << 4 << position << 0 << Triple {2, plusOne, 3};
        QTest::addRow("off speed %d", position) << 3 << position << position << Triple {0, 0, 0};
    }
    QTest::newRow("breath 255") << 1 << 255 << 0 << Triple {2, 0, 1};
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
