// The DPI and lighting panels of the main screen as a user meets them: stage count, stage
// sliders, the stage in use, effects, the hue bar, R, G, B, the reset icons, and Save, checked
// on the simulated mouse of both families and in the profile file.

#include "scene_rig.h"

#include <QColor>
#include <QtTest>

using namespace simtest;

namespace {

// The factory profile's DPI values and colours (modules/setting/pD.bin).
const QStringList kFactoryDpi {"400", "800", "1600", "3200", "4800", "6400", "8000", "12000"};
const QList<int> kFactoryColours {255, 0, 0, 255, 128, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0,
    255, 128, 0, 255, 255, 255, 255};

QStringList strings(const QVariant &list)
{
    return list.toStringList();
}

QList<int> numbers(const QVariant &list)
{
    QList<int> out;
    for (const QString &text : list.toStringList())
        out.append(text.toInt());
    return out;
}

template<size_t N>
QList<int> bytesOf(const std::array<uint8_t, N> &a, size_t from, size_t count)
{
    QList<int> out;
    for (size_t i = from; i < from + count; ++i)
        out.append(a[i]);
    return out;
}

QList<int> bytesOf(const sim::Bytes &b)
{
    return QList<int>(b.begin(), b.end());
}

// (command code, byte 2) of every command report the host sent, in order.
QList<QPair<int, int>> commands()
{
    QList<QPair<int, int>> out;
    for (const sim::WireRecord &r : records(sim::Direction::FeatureOut))
        out.append({r.bytes.at(1), r.bytes.at(2)});
    return out;
}

QList<int> codes()
{
    QList<int> out;
    for (const auto &[code, byte2] : commands())
        out.append(code);
    return out;
}

}  // namespace

class TestDpiLighting : public QObject
{
    Q_OBJECT

private slots:
    void init() { rig = std::make_unique<SceneRig>(); }
    void cleanup() { rig.reset(); }

    void stagesSavedAndSent_data();
    void stagesSavedAndSent();
    void resetIconShowsTheFactoryStages();
    void stageInUse();
    void storedValuesOutsideTheRange_data();
    void storedValuesOutsideTheRange();

    void hueBarAndColourFields();
    void typedColourStaysWithItsBlock();
    void effectsShowTheirSliders();
    void colourEightOfA55328MouseIsBlack();
    void resetIconShowsTheFactoryLighting();
    void saveSendsEffectThenColours_data();
    void saveSendsEffectThenColours();
    void mousePicturePlaysTheEffect();
    void previewRestsWhileTheWindowIsNotSeen();
    void pictureGlowsInTheBlockColour();

private:
    SceneDriver &scene() { return *rig->scene; }
    bool saveAlert() { return scene().property("saveButton", "alert").toBool(); }
    QColor blockColour(int index)
    {
        return scene().property(QStringLiteral("lightBlock%1").arg(index), "color").value<QColor>();
    }
    QList<int> fields()
    {
        return {scene().property("lightRField", "value").toInt(),
            scene().property("lightGField", "value").toInt(),
            scene().property("lightBField", "value").toInt()};
    }

    std::unique_ptr<SceneRig> rig;
};

// --- DPI ---------------------------------------------------------------------------------

void TestDpiLighting::stagesSavedAndSent_data()
{
    QTest::addColumn<bool>("is560");
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QList<int>>("codes");
    // 553, "3360": d / 100 − 1, stages beyond the count disabled.
    QTest::newRow("553 3360") << false << "3360"
                              << QList<int> {3, 13, 15, 0x80, 0x80, 0x80, 0x80, 0x80};
    // 560, "3050": the threshold table; values above its top, 4000, go out as 4000.
    QTest::newRow("560 3050") << true << "3050"
                              << QList<int> {2, 6, 7, 0x47, 0x48, 0x48, 0x48, 0x48};
}

// Three stages, stage 2 moved, Save: the profile file holds the values and the count, and the
// mouse the codes of the configured sensor.
void TestDpiLighting::stagesSavedAndSent()
{
    QFETCH(bool, is560);
    QFETCH(QString, sensor);
    QFETCH(QList<int>, codes);
    rig->configure(is560 ? sim::Family::F560 : sim::Family::F553);
    rig->dir.setGlobal("mouse/sensorType", sensor);
    QVERIFY(rig->start());
    QCOMPARE(scene().property("dpiPage", "stageCount").toInt(), 4);
    QVERIFY(scene().isShown("dpiSlider3"));
    QVERIFY(!scene().isShown("dpiSlider4"));
    QCOMPARE(scene().text("dpiSlider1"), QStringLiteral("800 DPI"));
    QVERIFY(!saveAlert());

    QVERIFY(scene().choose("dpiCountList", 2));
    QCOMPARE(scene().property("dpiPage", "stageCount").toInt(), 3);
    QVERIFY(!scene().isShown("dpiSlider3"));
    QVERIFY(saveAlert());
    // Position 20 of 200 … 12000 in steps of 100: (17 × 11800 / 158 + 200) cut to 1400.
    QVERIFY(scene().setSlider("dpiSlider1", 20));
    QCOMPARE(scene().text("dpiSlider1"), QStringLiteral("1400 DPI"));
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(strings(rig->profileValue(0, "mouse/dpiValueArray")), kFactoryDpi);

    QVERIFY(scene().click("saveButton"));
    QTRY_VERIFY(!saveAlert());
    QStringList saved = kFactoryDpi;
    saved[1] = "1400";
    QTRY_COMPARE(strings(rig->profileValue(0, "mouse/dpiValueArray")), saved);
    QCOMPARE(rig->profileValue(0, "mouse/currentDpiCount").toInt(), 3);
    const sim::DeviceState device = rig->state();
    if (is560) {
        QCOMPARE(bytesOf(device.profiles[1], 84, 8), codes);
        QCOMPARE(bytesOf(device.profiles[1], 92, 8), codes);
        QCOMPARE(int(device.profiles[1][100]), 0x07);
    } else {
        QCOMPARE(int(device.dpiStageCount), 3);
        QCOMPARE(bytesOf(device.dpiTable, 0, 8), codes);
    }
}

// The reset icon shows the factory stages, stores and sends nothing, and turns Save red;
// Save then stores and sends them.
void TestDpiLighting::resetIconShowsTheFactoryStages()
{
    rig->setProfileValue(0, "mouse/dpiValueArray",
        QStringList {"1000", "2000", "3000", "4000", "5000", "6000", "7000", "9000"});
    rig->setProfileValue(0, "mouse/currentDpiCount", 2);
    QVERIFY(rig->start());
    QCOMPARE(scene().property("dpiPage", "stageCount").toInt(), 2);
    QCOMPARE(scene().text("dpiSlider0"), QStringLiteral("1000 DPI"));
    QVERIFY(!scene().isShown("dpiSlider2"));
    const QByteArray before = rig->fileBytes(rig->profileFile(0));

    QVERIFY(scene().click("dpiReset"));
    QCOMPARE(scene().property("dpiPage", "stageCount").toInt(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(scene().text(QStringLiteral("dpiSlider%1").arg(i)), kFactoryDpi[i] + " DPI");
    // The handles stand where the factory values are: 800 of 200 … 12000 at position 11.
    QCOMPARE(scene().property("dpiSlider1", "value").toInt(), 11);
    QVERIFY(saveAlert());
    SceneDriver::settle(200);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), before);

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(strings(rig->profileValue(0, "mouse/dpiValueArray")), kFactoryDpi);
    QCOMPARE(rig->profileValue(0, "mouse/currentDpiCount").toInt(), 4);
    QCOMPARE(
        bytesOf(rig->state().dpiTable, 0, 8), (QList<int> {3, 7, 15, 31, 0x80, 0x80, 0x80, 0x80}));
}

void TestDpiLighting::storedValuesOutsideTheRange_data()
{
    QTest::addColumn<bool>("is560");
    QTest::addColumn<QString>(
        "load");  // what reads the stored stages: a switch, the start, Discard
    QTest::newRow("553, switch") << false << "switch";
    QTest::newRow("560, switch") << true << "switch";
    QTest::newRow("start") << false << "start";
    QTest::newRow("discard") << false << "discard";
}

// A profile file with values above the configured 12000 (one of them no integer a device
// knows) and one below its 200: reading it shows and stores 12000 and 200 in their place, with
// one line, and a switch sends them; the start and Discard send nothing but store them too.
void TestDpiLighting::storedValuesOutsideTheRange()
{
    QFETCH(bool, is560);
    QFETCH(QString, load);
    const QStringList stored {"99999999", "1e300", "50", "800", "1600", "3200", "4800", "6400"};
    const int profile = load == "switch" ? 1 : 0;
    rig->configure(is560 ? sim::Family::F560 : sim::Family::F553);
    if (load != "discard")
        rig->setProfileValue(profile, "mouse/dpiValueArray", stored);
    QVERIFY(rig->start());
    if (load == "switch") {
        scene().evaluate("flows.changeProfile(1)");
    } else if (load == "discard") {
        QVERIFY(scene().choose("dpiCountList", 2));
        rig->setProfileValue(profile, "mouse/dpiValueArray", stored);
        QVERIFY(scene().click("closeButton"));
        QVERIFY(scene().waitUsable("questionBox"));
        QVERIFY(scene().click("questionAnswer1"));
    }
    QVERIFY(rig->waitForQuietWire());

    QCOMPARE(scene().text("dpiSlider0"), QStringLiteral("12000 DPI"));
    QCOMPARE(scene().text("dpiSlider2"), QStringLiteral("200 DPI"));
    QTRY_COMPARE(rig->iniText(rig->profileFile(profile), "mouse/dpiValueArray"),
        QStringLiteral("12000, 12000, 200, 800, 1600, 3200, 4800, 6400"));
    QCOMPARE(rig->consoleLines().filter("mouse/dpiValueArray").size(), 1);
    if (load != "switch")
        return;
    const QList<int> sent {119, 119, 1, 7, 15, 31, 47, 63};
    const sim::DeviceState device = rig->state();
    if (is560)
        QCOMPARE(bytesOf(device.profiles[1], 84, 8), sent);
    else
        QCOMPARE(bytesOf(device.dpiTable, 0, 4), sent.mid(0, 4));
}

// The stage in use comes from the mouse at start and when it switches by itself, and the
// user can choose one.
void TestDpiLighting::stageInUse()
{
    sim::modifyState(rig->plug(), [](sim::DeviceState &s) { s.currentDpi = 2; });
    QVERIFY(rig->start());
    QCOMPARE(scene().property("dpiPage", "currentStage").toInt(), 1);
    QCOMPARE(scene().text("dpiCurrentStage"), QStringLiteral("Current Stage 2"));

    sim::queueEvent(rig->device, {0x06, 0x07, 0x00, 0x03});
    QTRY_COMPARE(scene().property("dpiPage", "currentStage").toInt(), 2);
    QCOMPARE(scene().text("dpiCurrentStage"), QStringLiteral("Current Stage 3"));
    QVERIFY(!codes().contains(0x0B));

    QVERIFY(scene().click("dpiStage0"));
    QTRY_COMPARE(int(rig->state().currentDpi), 1);
    QCOMPARE(scene().property("dpiPage", "currentStage").toInt(), 0);
    QCOMPARE(scene().text("dpiCurrentStage"), QStringLiteral("Current Stage 1"));
    QCOMPARE(codes(), QList<int> {0x0B});
    QVERIFY(!saveAlert());
}

// --- lighting ----------------------------------------------------------------------------

// The marker at the left edge picks red and at d (33 on this 200-pixel bar) yellow; typing
// R, G, B colours the block and puts the marker on the colour.
void TestDpiLighting::hueBarAndColourFields()
{
    QVERIFY(rig->start());
    QCOMPARE(scene().property("hueBar", "width").toInt(), 200);
    QCOMPARE(blockColour(0), QColor("#ff0000"));
    QCOMPARE(fields(), (QList<int> {255, 0, 0}));

    // Press with the marker's centre 34 pixels into the bar: x = 33 = d.
    const QPoint yellow = scene().pointIn("hueBar", 34, 6);
    QTest::mousePress(scene().view(), Qt::LeftButton, Qt::NoModifier, yellow);
    SceneDriver::settle();
    QCOMPARE(blockColour(0), QColor("#ffff00"));
    QCOMPARE(fields(), (QList<int> {255, 255, 0}));
    QVERIFY(!saveAlert());  // the choice ends with the release
    QTest::mouseRelease(scene().view(), Qt::LeftButton, Qt::NoModifier, yellow);
    SceneDriver::settle();
    QVERIFY(saveAlert());

    // Dragged past the left end, the marker stops with its centre 1 pixel into the bar.
    scene().drag(scene().pointIn("hueBar", 60, 6), scene().pointIn("hueBar", -40, 6));
    QCOMPARE(scene().property("hueBar", "markerCentre").toReal(), 1.0);
    QCOMPARE(blockColour(0), QColor("#ff0000"));

    // Block 2 (orange) typed to 0, 255, 0: green, at p + u × 255 with p = 33, u = p / 256.
    QVERIFY(scene().click("lightBlock1"));
    QCOMPARE(fields(), (QList<int> {255, 128, 0}));
    QVERIFY(scene().typeInto("lightRField", "0"));
    QCOMPARE(blockColour(1), QColor("#008000"));
    QVERIFY(scene().typeInto("lightGField", "255"));
    QVERIFY(scene().typeInto("lightBField", "0"));
    QCOMPARE(blockColour(1), QColor("#00ff00"));
    QCOMPARE(scene().property("hueBar", "markerCentre").toReal(), 33.0 + 33.0 / 256 * 255);
    QCOMPARE(scene().property("hueBar", "markerColor").value<QColor>(), QColor("#00ff00"));
    // The keystroke that leaves a number out of range is refused: the 30 before it stays.
    QVERIFY(scene().typeInto("lightBField", "300"));
    QCOMPARE(fields(), (QList<int> {0, 255, 30}));
    QCOMPARE(blockColour(1), QColor("#00ff1e"));
    QVERIFY(sim::wireLog().empty());

    QVERIFY(scene().click("saveButton"));
    QList<int> colours = kFactoryColours;
    colours[3] = 0;
    colours[4] = 255;
    colours[5] = 30;
    QTRY_COMPARE(numbers(rig->profileValue(0, "mouse/colorValue")), colours);
    QCOMPARE(bytesOf(rig->state().ledColors), colours);
}

// A colour number typed and not confirmed belongs to the block it was typed for: choosing
// another block or pressing Save takes it as it stands.
void TestDpiLighting::typedColourStaysWithItsBlock()
{
    QVERIFY(rig->start());
    QVERIFY(scene().click("lightBlock2"));
    QVERIFY(scene().click("lightBField"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("128");
    QVERIFY(scene().click("lightBlock4"));
    QVERIFY(scene().click("lightBlock0"));
    QVERIFY(scene().click("lightRField"));
    scene().key(Qt::Key_A, Qt::ControlModifier);
    scene().typeText("10");
    QVERIFY(scene().click("saveButton"));

    QList<int> colours = kFactoryColours;
    colours[0] = 10;
    colours[8] = 128;
    QTRY_COMPARE(numbers(rig->profileValue(0, "mouse/colorValue")), colours);
    QCOMPARE(bytesOf(rig->state().ledColors), colours);
}

void TestDpiLighting::effectsShowTheirSliders()
{
    // A stored Vertical Flipping shows both of its sliders with the stored values.
    rig->setProfileValue(0, "mouse/lightValue", QStringList {"8", "2", "3"});
    QVERIFY(rig->start());
    const QStringList names = scene().evaluate("page(lightingPlace).effectNames").toStringList();
    QCOMPARE(names.size(), 11);
    QCOMPARE(names.mid(3, 3), (QStringList {"OFF", "Twinkling", "Wave"}));
    QVERIFY(scene().isShown("lightSpeedRow"));
    QVERIFY(scene().isShown("lightBrightnessRow"));
    QCOMPARE(scene().property("lightSpeedSlider", "value").toInt(), 2);
    QCOMPARE(scene().property("lightBrightnessSlider", "value").toInt(), 3);
    QCOMPARE(scene().property("lightingPage", "height").toInt(), 264);

    // Static: brightness only, at 4.
    QVERIFY(scene().choose("lightEffectList", 0));
    QVERIFY(!scene().isShown("lightSpeedRow"));
    QVERIFY(scene().isShown("lightBrightnessRow"));
    QCOMPARE(scene().property("lightBrightnessSlider", "value").toInt(), 4);
    QCOMPARE(scene().property("lightingPage", "height").toInt(), 224);
    QVERIFY(saveAlert());

    QVERIFY(scene().setSlider("lightBrightnessSlider", 1));
    QVERIFY(scene().click("lightBlock4"));
    // Wave: both sliders, speed 0 and brightness 4, block 1 selected again.
    QVERIFY(scene().choose("lightEffectList", 5));
    QVERIFY(scene().isShown("lightSpeedRow"));
    QVERIFY(scene().isShown("lightBrightnessRow"));
    QCOMPARE(scene().property("lightSpeedSlider", "value").toInt(), 0);
    QCOMPARE(scene().property("lightBrightnessSlider", "value").toInt(), 4);
    QCOMPARE(scene().property("lightingPage", "selectedBlock").toInt(), 0);
    QCOMPARE(scene().property("lightingPage", "height").toInt(), 264);

    // OFF: no slider, brightness 0.
    QVERIFY(scene().choose("lightEffectList", 3));
    QVERIFY(!scene().isShown("lightSpeedRow"));
    QVERIFY(!scene().isShown("lightBrightnessRow"));
    QCOMPARE(scene().property("lightingPage", "brightness").toInt(), 0);
    QCOMPARE(scene().property("lightingPage", "height").toInt(), 176);

    // The right panel ends above the bottom bar with eight stages and both sliders.
    QVERIFY(scene().choose("dpiCountList", 7));
    QVERIFY(scene().choose("lightEffectList", 9));
    QQuickItem *lighting = scene().item("lightingPage");
    QVERIFY(scene().property("dpiPage", "height").toInt() <= 272);
    QVERIFY(lighting->mapToScene(QPointF(0, lighting->height())).y() <= 608);
    QVERIFY(sim::wireLog().empty());

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(strings(rig->profileValue(0, "mouse/lightValue")), (QStringList {"9", "0", "4"}));
    // YO-YO with speed 0 and brightness 4: mode 9, 255, 15.
    QCOMPARE(bytesOf(rig->state().ledEffect, 0, 3), (QList<int> {9, 255, 15}));
}

// A 55328 mouse keeps colour 8 only for its Breath Loop: saving another effect stores and
// sends it black, and with colour 8 black the mouse gets the single fixed colour.
void TestDpiLighting::colourEightOfA55328MouseIsBlack()
{
    rig->configure(sim::Family::F553, false, false);
    rig->dir.setGlobal("mouse/is55328", true);
    QList<int> colours = kFactoryColours;
    colours[21] = 10;
    colours[22] = 20;
    colours[23] = 30;
    QStringList stored;
    for (int c : colours)
        stored.append(QString::number(c));
    rig->setProfileValue(0, "mouse/colorValue", stored);
    rig->setProfileValue(0, "mouse/lightValue", QStringList {"4", "1", "4"});
    QVERIFY(rig->start());
    QCOMPARE(scene().evaluate("page(lightingPlace).effectNames").toStringList(),
        (QStringList {"Static", "Breath", "Neon", "OFF", "Breath Loop"}));
    QCOMPARE(blockColour(7), QColor(10, 20, 30));
    QVERIFY(scene().isShown("lightSpeedRow"));
    QVERIFY(!scene().isShown("lightBrightnessRow"));

    QVERIFY(scene().choose("lightEffectList", 0));
    QVERIFY(scene().click("saveButton"));
    QList<int> black = colours;
    black[21] = black[22] = black[23] = 0;
    QTRY_COMPARE(numbers(rig->profileValue(0, "mouse/colorValue")), black);
    QCOMPARE(blockColour(7), QColor("#000000"));
    const sim::DeviceState device = rig->state();
    // Static at brightness 4 on a single-colour 55328 mouse: 1, 10, 1.
    QCOMPARE(bytesOf(device.ledEffect, 0, 3), (QList<int> {1, 10, 1}));
    QCOMPARE(bytesOf(device.fixColor, 0, 3), (QList<int> {255, 0, 0}));
    QVERIFY(!codes().contains(0x10));
    QVERIFY(codes().indexOf(0x0D) < codes().indexOf(0x0C));
}

// The reset icon shows the factory lighting, sends nothing and turns Save red.
void TestDpiLighting::resetIconShowsTheFactoryLighting()
{
    rig->setProfileValue(0, "mouse/lightValue", QStringList {"5", "2", "1"});
    QStringList grey;
    for (int i = 0; i < 24; ++i)
        grey.append("100");
    rig->setProfileValue(0, "mouse/colorValue", grey);
    QVERIFY(rig->start());
    QCOMPARE(scene().property("lightingPage", "effect").toInt(), 5);
    QCOMPARE(blockColour(2), QColor(100, 100, 100));
    const QByteArray before = rig->fileBytes(rig->profileFile(0));

    QVERIFY(scene().click("lightingReset"));
    QCOMPARE(scene().property("lightingPage", "effect").toInt(), 0);
    QCOMPARE(scene().property("lightBrightnessSlider", "value").toInt(), 4);
    QVERIFY(!scene().isShown("lightSpeedRow"));
    QCOMPARE(blockColour(2), QColor("#ffff00"));
    QCOMPARE(scene().evaluate("page(lightingPlace).effectNames").toStringList().size(), 11);
    QVERIFY(saveAlert());
    SceneDriver::settle(200);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), before);

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(numbers(rig->profileValue(0, "mouse/colorValue")), kFactoryColours);
    QCOMPARE(bytesOf(rig->state().ledEffect, 0, 3), (QList<int> {1, 255, 0}));
    QCOMPARE(bytesOf(rig->state().ledColors), kFactoryColours);
}

void TestDpiLighting::saveSendsEffectThenColours_data()
{
    QTest::addColumn<bool>("is560");
    QTest::addColumn<bool>("colorful");
    QTest::addColumn<QList<int>>("triple");
    // Breath, speed 2: multi-colour (3, 0, 5); single colour (2, speed + 1, 2).
    QTest::newRow("553 multi-colour") << false << true << QList<int> {3, 0, 5};
    QTest::newRow("553 single colour") << false << false << QList<int> {2, 3, 2};
    // A 560 single-colour mouse without guns takes byte 73 = 3 in image 1.
    QTest::newRow("560 multi-colour") << true << true << QList<int> {3, 0, 5};
    QTest::newRow("560 single colour") << true << false << QList<int> {2, 3, 3};
}

void TestDpiLighting::saveSendsEffectThenColours()
{
    QFETCH(bool, is560);
    QFETCH(bool, colorful);
    QFETCH(QList<int>, triple);
    rig->configure(is560 ? sim::Family::F560 : sim::Family::F553, false, colorful);
    QVERIFY(rig->start());
    QVERIFY(scene().choose("lightEffectList", 1));
    QVERIFY(scene().setSlider("lightSpeedSlider", 2));
    QVERIFY(scene().click("lightBlock6"));
    QVERIFY(scene().typeInto("lightGField", "64"));
    QVERIFY(scene().click("saveButton"));
    QTRY_VERIFY(!saveAlert());
    QTRY_COMPARE(strings(rig->profileValue(0, "mouse/lightValue")), (QStringList {"1", "2", "4"}));
    QList<int> colours = kFactoryColours;
    colours[19] = 64;
    QCOMPARE(numbers(rig->profileValue(0, "mouse/colorValue")), colours);

    const sim::DeviceState device = rig->state();
    const QList<QPair<int, int>> sent = commands();
    if (!is560) {
        QCOMPARE(bytesOf(device.ledEffect, 0, 3), triple);
        QCOMPARE(bytesOf(device.ledColors), colours);
        QCOMPARE(int(device.ledType), colorful ? 0 : 1);
        // The effect, then the eight colours twice, with the type of the mouse.
        const int effect = codes().indexOf(0x0D);
        QVERIFY(effect >= 0);
        QCOMPARE(sent.mid(effect + 1, 2),
            (QList<QPair<int, int>> {{0x10, colorful ? 0 : 1}, {0x10, colorful ? 0 : 1}}));
        return;
    }
    // 560: the DPI stages, the effect in image 1, then the colours in image 0 (multi-colour)
    // or image 1 (single colour), then the lift-off distance.
    QList<QPair<int, int>> images;
    for (const auto &command : sent)
        if (command.first == 0x0C)
            images.append(command);
    QCOMPARE(images, (QList<QPair<int, int>> {{0x0C, 1}, {0x0C, 1}, {0x0C, colorful ? 0 : 1}}));
    QCOMPARE(bytesOf(device.profiles[1], 71, 3), triple);
    if (colorful)
        QCOMPARE(bytesOf(device.profiles[0], 24, 24), colours);
    else
        QCOMPARE(bytesOf(device.profiles[1], 104, 24), colours);
}

// Breath in a colour from the hue bar plays on the mouse picture before anything is saved.
void TestDpiLighting::mousePicturePlaysTheEffect()
{
    QVERIFY(rig->start());
    QCOMPARE(scene().evaluate("mousePicture.lightColor").value<QColor>(), QColor("#ff0000"));
    QCOMPARE(scene().evaluate("mousePicture.lightLevel").toReal(), 1.0);

    QVERIFY(scene().choose("lightEffectList", 1));
    scene().clickAt(scene().pointIn("hueBar", 34, 6));
    QCOMPARE(scene().evaluate("mousePicture.lightColor").value<QColor>(), QColor("#ffff00"));
    QList<qreal> levels;
    for (int i = 0; i < 8; ++i) {
        levels.append(scene().evaluate("mousePicture.lightLevel").toReal());
        SceneDriver::settle(250);
    }
    const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
    QVERIFY2(*high - *low > 0.3, "the light breathes");

    QVERIFY(scene().choose("lightEffectList", 3));
    QCOMPARE(scene().evaluate("mousePicture.lightLevel").toReal(), 0.0);
    QVERIFY(sim::wireLog().empty());
}

// Nobody sees the preview of a minimised or hidden window: its timer stops and the light
// stays as it was; shown again, the effect plays on.
void TestDpiLighting::previewRestsWhileTheWindowIsNotSeen()
{
    QVERIFY(rig->start());
    QVERIFY(scene().choose("lightEffectList", 1));
    auto *timer = scene().root()->findChild<QObject *>("lightPreviewTimer");
    QVERIFY(timer);
    auto running = [&] { return timer->property("running").toBool(); };
    auto level = [&] { return scene().evaluate("mousePicture.lightLevel").toReal(); };
    QVERIFY(running());

    rig->window->showMinimized();
    QVERIFY(!running());
    const qreal still = level();
    SceneDriver::settle(700);
    QCOMPARE(level(), still);

    rig->window->showNormal();
    QVERIFY(running());
    QVERIFY(SceneDriver::waitFor([&] { return level() != still; }, 2000));

    rig->window->hide();
    QVERIFY(!running());
    rig->window->show();
    QVERIFY(running());
}

// The strip at the bottom of the front view glows in the colour of block 1, drawn as the
// user sees it.
void TestDpiLighting::pictureGlowsInTheBlockColour()
{
    QVERIFY(rig->start());
    const QPoint strip(398, 479);  // the strip's lowest point in the window
    auto shown = [&] { return rig->window->view()->grabFramebuffer().pixelColor(strip); };
    // Its white-hot core: the colour, lighter.
    QColor c = shown();
    QVERIFY2(
        c.red() > 150 && c.red() > c.green() + 80 && c.red() > c.blue() + 80, qPrintable(c.name()));

    QVERIFY(scene().typeInto("lightGField", "255"));
    QVERIFY(SceneDriver::waitFor([&] { return shown().green() > 150; }, 2000));
    c = shown();
    QVERIFY2(c.red() > 150 && c.red() > c.blue() + 80, qPrintable(c.name()));
}

QTEST_MAIN(TestDpiLighting)
#include "tst_dpi_lighting.moc"
