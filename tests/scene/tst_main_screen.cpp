// The main screen as a user meets it: start-up, the lift-off row, Save, Reset, the profile
// switch, the languages, the help menu and the window's own controls. Every test drives the
// real scene of the real program over a simulated mouse and checks what the device received
// and what the files hold.

#include "diagnostics.h"
#include "file_size_limit.h"
#include "real_time.h"
#include "save_reports.h"
#include "scene_rig.h"

#include <QDesktopServices>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

using namespace simtest;

Q_DECLARE_METATYPE(sim::Family)

namespace {

// Receives the addresses the scene asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

// The stage counts of the DPI tables sent to a 553 mouse, in order.
QList<int> dpiCountsSent()
{
    QList<int> counts;
    for (const sim::WireRecord &r : records(sim::Direction::FeatureOut))
        if (r.bytes.size() > 2 && r.bytes[1] == 0x11)
            counts.append(r.bytes[2]);
    return counts;
}

QStringList sectionOf(const QString &languageFile, const QString &section)
{
    QSettings file(languageFile, QSettings::IniFormat);
    QStringList texts;
    const int total = file.value(section + QStringLiteral("/total")).toInt();
    for (int i = 0; i < total; ++i)
        texts.append(file.value(section + QLatin1Char('/') + QString::number(i)).toString());
    return texts;
}

// Everything a simulated mouse keeps, without what it counted: two mice that hold the same
// settings give the same text.
QStringList heldSettings(const sim::DeviceState &s)
{
    auto line = [](const char *name, const auto &values) {
        return QString::fromLatin1(name) + QLatin1Char(' ')
            + QString::fromLatin1(hex(sim::Bytes(values.begin(), values.end())));
    };
    QStringList out {line("options", s.options),
        line("553",
            sim::Bytes {s.reportRate, s.currentKeyMatrix, s.currentDpi, s.liftOff, s.liftOffTop,
                s.ledType, s.dpiStageCount, s.currentProfile}),
        line("fixColor", s.fixColor), line("ledEffect", s.ledEffect),
        line("ledColors", s.ledColors), line("dpiTable", s.dpiTable),
        line("profileReportRate", s.profileReportRate),
        line("profileCurrentDpi", s.profileCurrentDpi)};
    for (const auto &gun : s.gun)
        out << line("gun", gun);
    for (const auto &profile : s.profiles)
        out << line("profile", profile);
    for (const auto &[n, matrix] : s.keyMatrices)
        out << line("keyMatrix", matrix) + QStringLiteral(" @%1").arg(n);
    for (const auto &[n, macro] : s.macros)
        out << line("macro", macro) + QStringLiteral(" @%1").arg(n);
    return out;
}

// The places a wire log wrote: each command's code and first parameter, once.
QSet<QString> placesWritten()
{
    QSet<QString> places;
    for (const Exchange &e : exchanges(sim::wireLog()))
        places << e.head(3);
    return places;
}

}  // namespace

class TestMainScreen : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void powerOnLogoThenMainScreen();
    void secondConnectionKeepsThePages();
    void liftOffSliderSavesAndSends_data();
    void liftOffSliderSavesAndSends();
    void liftOffLabels_data();
    void liftOffLabels();
    void saveWithNothingUnsavedSendsNothing();
    void aFaultInAFlowLeavesTheWindowUnlocked();
    void resetCancelChangesNothing();
    void resetRestoresTheProfileAndTheDevice();
    void resetBoxStaysInsideTheWindow();
    void busyIndicatorStaysAboveThePopups();
    void resetOnAFullDiskSaysSo();
    void profileSwitchFromTheDropDown();
    void switchFromOutsideWritesOnlyWhatDiffers_data();
    void switchFromOutsideWritesOnlyWhatDiffers();
    void choosingTheProfileInUseDoesNothing();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void startUpPutsA560OnProfileOne_data();
    void startUpPutsA560OnProfileOne();
    void languageSectionsAreReadOnce();
    void chineseTextsOnTheBottomBar();
    void missingLanguageKeepsTheBuiltInTexts();
    void pagesAreBuiltWhenFirstOpened();
    void helpMenu();
    void windowDragMinimiseAndClose();
    void focusRingFollowsTheKeyboard();

private:
    void writeProfileNames(const QStringList &names);
    // Profiles 1 and 4 differ from profile 0 in their DPI stages, light, lift-off, colours and
    // two buttons.
    void writeThreeProfiles();
    SceneDriver &scene() { return *rig->scene; }

    std::unique_ptr<SceneRig> rig;
};

void TestMainScreen::init()
{
    rig = std::make_unique<SceneRig>();
}

void TestMainScreen::cleanup()
{
    rig.reset();
}

void TestMainScreen::writeProfileNames(const QStringList &names)
{
    QSettings file(rig->file(QStringLiteral("modules/setting/name.bin")), QSettings::IniFormat);
    file.setValue(QStringLiteral("profile/profileName"), names);
}

void TestMainScreen::writeThreeProfiles()
{
    writeProfileNames({"Standard0", "Work1", "Games4"});
    auto list = [](const char *values) { return QString::fromLatin1(values).split(", "); };
    rig->setProfileValue(
        1, "mouse/dpiValueArray", list("800, 1600, 2400, 3200, 4800, 6400, 8000, 12000"));
    rig->setProfileValue(1, "mouse/lightValue", list("1, 2, 4"));
    rig->setProfileValue(4, "mouse/reportRate", 89);
    rig->setProfileValue(4, "mouse/colorValue",
        list("0, 0, 255, 255, 128, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 128, 0, 255, "
             "9, 9, 9"));
    rig->setProfileValue(4, "mouseKeyMatrix/5", list("5, 0, 2, 0"));
    rig->setProfileValue(4, "mouseKeyMatrix/6", list("5, 0, 1, 0"));
    rig->setProfileValue(4, "mouseFwKeyMatrix/5", list("5, 0, 3, 0"));
    rig->setProfileValue(4, "mouseFwKeyMatrix/6", list("7, 0, 3, 0"));
}

void TestMainScreen::powerOnLogoThenMainScreen()
{
    const RealTime realTime;  // the start picture's real second
    rig->plug();
    rig->window = std::make_unique<Widget>();
    rig->window->showNormal();
    rig->scene = std::make_unique<SceneDriver>(*rig->window);
    QVERIFY(!scene().root()->isVisible());

    QElapsedTimer clock;
    rig->window->checkDevice();
    clock.start();
    QTRY_VERIFY(scene().root()->isVisible());
    QVERIFY(scene().isShown("powerOnLogo"));
    QVERIFY(scene().isShown("busyIndicator"));
    QVERIFY(!scene().isShown("mainScreen"));
    QVERIFY(!rig->window->view()->isEnabled());

    QVERIFY(SceneDriver::waitFor([&] { return scene().isShown("mainScreen"); }, 3000));
    QVERIFY(clock.elapsed() >= 950);
    QVERIFY(!scene().isShown("powerOnLogo"));
    QVERIFY(!scene().isShown("busyIndicator"));
    QVERIFY(rig->window->view()->isEnabled());
}

void TestMainScreen::secondConnectionKeepsThePages()
{
    const RealTime realTime;  // the start picture's real second
    QVERIFY(rig->start());
    QVERIFY(scene().setSlider("lodSlider", 20));
    QVERIFY(scene().property("saveButton", "alert").toBool());

    QElapsedTimer clock;
    rig->window->checkDevice();
    clock.start();
    QTRY_VERIFY(scene().isShown("busyIndicator"));
    QVERIFY(!rig->window->view()->isEnabled());
    QVERIFY(SceneDriver::waitFor([&] { return !scene().isShown("busyIndicator"); }, 3000));
    const qint64 locked = clock.elapsed();
    QVERIFY2(locked >= 900 && locked <= 1800, qPrintable(QString::number(locked)));
    QVERIFY(!scene().isShown("powerOnLogo"));
    QCOMPARE(scene().property("lodSlider", "value").toInt(), 20);
    QVERIFY(scene().property("saveButton", "alert").toBool());
}

void TestMainScreen::liftOffSliderSavesAndSends_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("sent");
    QTest::newRow("nearest") << 3 << 90;
    QTest::newRow("middle") << 46 << 107;
    QTest::newRow("farthest") << 89 << 125;
}

void TestMainScreen::liftOffSliderSavesAndSends()
{
    QFETCH(int, position);
    QFETCH(int, sent);
    rig->setProfileValue(0, "mouse/reportRate", position == 46 ? 60 : 46);
    QVERIFY(rig->start());
    QVERIFY(!scene().property("saveButton", "alert").toBool());

    QVERIFY(scene().setSlider("lodSlider", position));
    QVERIFY(scene().property("saveButton", "alert").toBool());
    QVERIFY(sim::wireLog().empty());  // nothing reaches the device before Save

    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(int(rig->state().liftOff), sent);
    QVERIFY(!scene().property("saveButton", "alert").toBool());
    QVERIFY(rig->window->view()->isEnabled());
    QTRY_COMPARE(rig->profileValue(0, "mouse/reportRate").toInt(), position);
}

void TestMainScreen::liftOffLabels_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::newRow("3") << 3 << "0 mm";
    QTest::newRow("25") << 25 << "0.5 mm";
    QTest::newRow("46") << 46 << "1 mm";
    QTest::newRow("60") << 60 << "1.3 mm";
    QTest::newRow("89") << 89 << "2 mm";
}

void TestMainScreen::liftOffLabels()
{
    QFETCH(int, position);
    QFETCH(QString, label);
    rig->setProfileValue(0, "mouse/reportRate", position);
    QVERIFY(rig->start());
    QCOMPARE(scene().property("lodSlider", "value").toInt(), position);
    QCOMPARE(scene().text("lodSlider"), label);
}

void TestMainScreen::saveWithNothingUnsavedSendsNothing()
{
    QVERIFY(rig->start());
    const QByteArray before = rig->fileBytes(rig->profileFile(0));
    QVERIFY(scene().click("saveButton"));
    SceneDriver::settle(300);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), before);
}

// A page that fails half-way through Save, Reset or a profile switch must not leave the
// window locked behind the busy indicator.
void TestMainScreen::aFaultInAFlowLeavesTheWindowUnlocked()
{
    QVERIFY(rig->start());
    scene().evaluate("flows.locked(function () { throw new Error('a page failed') })");
    QVERIFY(rig->window->view()->isEnabled());
    QVERIFY(!scene().isShown("busyIndicator"));
    QVERIFY(scene().click("saveButton"));  // and the window still answers
}

void TestMainScreen::resetCancelChangesNothing()
{
    QVERIFY(rig->start());
    QVERIFY(scene().click("resetButton"));
    QVERIFY(scene().isShown("resetBox"));
    QVERIFY(scene().isShown("mask"));
    QCOMPARE(scene().property("resetBox", "width").toInt(), 427);
    QCOMPARE(scene().property("resetBox", "height").toInt(), 102);

    const QByteArray before = rig->fileBytes(rig->profileFile(0));
    QVERIFY(scene().click("resetBoxCancel"));
    QVERIFY(!scene().isShown("resetBox"));
    QVERIFY(!scene().isShown("mask"));
    SceneDriver::settle(200);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), before);
}

void TestMainScreen::resetRestoresTheProfileAndTheDevice()
{
    rig->setProfileValue(0, "mouse/reportRate", 10);
    rig->setProfileValue(0, "mouse/scrollRate", 77);
    rig->setProfileValue(1, "mouse/reportRate", 12);
    const QByteArray second = rig->fileBytes(rig->profileFile(1));
    sim::modifyState(rig->plug(), [](sim::DeviceState &s) { s.currentDpi = 5; });
    QVERIFY(rig->start());
    QCOMPARE(scene().property("lodSlider", "value").toInt(), 10);

    QVERIFY(scene().click("resetButton"));
    QVERIFY(scene().click("resetBoxOk"));
    QTRY_VERIFY(rig->window->view()->isEnabled());
    QVERIFY(!scene().isShown("resetBox"));
    QVERIFY(!scene().isShown("mask"));

    // The profile in use holds the factory values again; the other profiles are untouched.
    const QSettings factory(rig->file("modules/setting/pD.bin"), QSettings::IniFormat);
    QTRY_COMPARE(rig->profileValue(0, "mouse/reportRate"), factory.value("mouse/reportRate"));
    const QSettings first(rig->profileFile(0), QSettings::IniFormat);
    QCOMPARE(first.allKeys(), factory.allKeys());
    for (const QString &key : factory.allKeys())
        QCOMPARE(first.value(key), factory.value(key));
    QCOMPARE(rig->fileBytes(rig->profileFile(1)), second);

    // The device got the factory lift-off distance, then DPI stage 2, then the three gun
    // slots (the options read before each).
    QCOMPARE(int(rig->state().liftOff), 107);
    QCOMPARE(int(rig->state().currentDpi), 2);
    // The pages went out in their order first: key matrix (12), lift-off (07), DPI stages
    // (11), lighting effect and colours (0D, 10).
    const QList<int> codes = commandCodes();
    QList<int> pages;
    for (int code : codes)
        if (!pages.contains(code) && QList<int>({0x12, 0x07, 0x11, 0x0D, 0x10}).contains(code))
            pages.append(code);
    QCOMPARE(pages, QList<int>({0x12, 0x07, 0x11, 0x0D, 0x10}));
    QVERIFY(codes.lastIndexOf(0x10) < codes.lastIndexOf(0x0B));
    QCOMPARE(
        codes.mid(codes.lastIndexOf(0x0B)), QList<int>({0x0B, 0x83, 0x04, 0x83, 0x04, 0x83, 0x04}));
    QCOMPARE(scene().evaluate("currentStage").toInt(), 1);
    QCOMPARE(scene().property("dpiPage", "currentStage").toInt(), 1);
    QCOMPARE(scene().property("lodSlider", "value").toInt(), 46);
    QVERIFY(!scene().property("saveButton", "alert").toBool());
}

// The factory copy cannot be written: the profile and the mouse stay as they were, and the
// window says so above Reset.
void TestMainScreen::resetOnAFullDiskSaysSo()
{
    rig->setProfileValue(0, "mouse/reportRate", 10);
    QVERIFY(rig->start());
    const QByteArray before = rig->fileBytes(rig->profileFile(0));
    QVERIFY(scene().click("resetButton"));
    {
        FileSizeLimit full {64};
        QVERIFY(full.isActive());
        QVERIFY(scene().click("resetBoxOk"));
    }
    QTRY_VERIFY(rig->window->view()->isEnabled());
    QCOMPARE(scene().text("resetNotice"),
        QStringLiteral("The profile could not be reset: its file cannot be written (is the disk "
                       "full?). Nothing was changed."));
    QVERIFY(scene().isShown("resetNotice"));
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), before);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(scene().property("lodSlider", "value").toInt(), 10);
}

// After 200 openings of pop-ups the busy indicator of a long write still lies above them all.
void TestMainScreen::busyIndicatorStaysAboveThePopups()
{
    QVERIFY(rig->start());
    scene().evaluate("for (var i = 0; i < 100; ++i) { openPopup(resetBox); closePopup(resetBox);"
                     " openPopup(page(profilesPlace)); closePopup(page(profilesPlace)) }");
    QVERIFY(scene().click("resetButton"));
    scene().evaluate("controlUIEnable(false)");
    QQuickItem *indicator = scene().item("busyIndicator");
    QVERIFY(indicator->isVisible());
    // Siblings under the root lie in the order of their z.
    for (QQuickItem *item : scene().root()->childItems())
        if (item != indicator && item->isVisible())
            QVERIFY2(item->z() < indicator->z(), qPrintable(item->objectName()));
    scene().evaluate("controlUIEnable(true)");
}

void TestMainScreen::resetBoxStaysInsideTheWindow()
{
    QVERIFY(rig->start());
    const QPoint window = rig->window->pos();
    QVERIFY(scene().click("resetButton"));
    QQuickItem *box = scene().item("resetBox");
    const QPointF centred(qRound((1024 - 427) / 2.0), qRound((640 - 102) / 2.0));
    QCOMPARE(box->position(), centred);
    const QPoint grip = scene().pointOf(box, 0.1, 0.15);  // the title, away from the buttons

    scene().drag(grip, grip + QPoint(60, 40), 1);
    QCOMPARE(box->position(), centred + QPointF(60, 40));

    const QPoint moved = scene().pointOf(box, 0.1, 0.15);
    scene().drag(moved, moved + QPoint(-3000, -3000), 1);
    QCOMPARE(box->position(), QPointF(0, 0));
    const QPoint corner = scene().pointOf(box, 0.1, 0.15);
    scene().drag(corner, corner + QPoint(3000, 3000), 1);
    QCOMPARE(box->position(), QPointF(1024 - 427, 640 - 102));
    QCOMPARE(rig->window->pos(), window);  // the box moved, not the window
}

void TestMainScreen::profileSwitchFromTheDropDown()
{
    writeProfileNames({"Standard0", "Work1", "Games4"});
    rig->setProfileValue(4, "mouse/reportRate", 89);
    QVERIFY(rig->start());
    QVERIFY(scene().click("profileDropDown"));
    QVERIFY(scene().waitUsable("profileDropDownItem2"));
    QVERIFY(scene().click("profileDropDownItem2"));

    QTRY_COMPARE(rig->globalValue("mouse/profileNo").toInt(), 4);
    QTRY_COMPARE(int(rig->state().liftOff), 125);
    QCOMPARE(scene().property("lodSlider", "value").toInt(), 89);
    QCOMPARE(scene().evaluate("ui_View.getData('mouse/reportRate', false)").toInt(), 89);
    QCOMPARE(scene().evaluate("profileNo").toInt(), 4);
    QVERIFY(rig->window->view()->isEnabled());

    // Changes now go to the profile in use.
    QVERIFY(scene().setSlider("lodSlider", 3));
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE(rig->profileValue(4, "mouse/reportRate").toInt(), 3);
    QCOMPARE(rig->profileValue(0, "mouse/reportRate").toInt(), 46);
}

void TestMainScreen::switchFromOutsideWritesOnlyWhatDiffers_data()
{
    QTest::addColumn<sim::Family>("family");
    QTest::addColumn<bool>("gun");
    QTest::newRow("553") << sim::Family::F553 << false;
    QTest::newRow("560") << sim::Family::F560 << false;
    QTest::newRow("560 gun") << sim::Family::F560 << true;
}

// The same switches from the drop-down (the whole profile written, as ever) and from the tray
// (only what the mouse does not hold): after each the mouse holds exactly the same, the tray's
// switches take fewer exchanges, and the progress counted those that happened. After a failed
// exchange the program no longer knows what the mouse holds, and writes every setting again.
void TestMainScreen::switchFromOutsideWritesOnlyWhatDiffers()
{
    QFETCH(sim::Family, family);
    QFETCH(bool, gun);
    const QList<int> switches {1, 4, 0, 4, 1};
    QList<QStringList> held;
    QList<int> fullCounts;
    QSet<QString> fullPlacesTo4;
    rig->configure(family, gun);
    writeThreeProfiles();
    QVERIFY(rig->start());
    for (int number : switches) {
        sim::clearWireLog();
        QVERIFY(scene().click("profileDropDown"));
        const int item = int(QList<int> {0, 1, 4}.indexOf(number));
        QVERIFY(scene().waitUsable(QStringLiteral("profileDropDownItem%1").arg(item)));
        QVERIFY(scene().click(QStringLiteral("profileDropDownItem%1").arg(item)));
        QVERIFY(rig->waitForQuietWire());
        held << heldSettings(rig->state());
        fullCounts << int(exchanges(sim::wireLog()).size());
        if (number == 4)
            fullPlacesTo4 = placesWritten();
    }

    rig.reset();  // one rig at a time: each makes its folder the working directory
    rig = std::make_unique<SceneRig>();
    rig->configure(family, gun);
    writeThreeProfiles();
    QVERIFY(rig->start());
    auto trayChoice = [this](int number) {
        sim::clearWireLog();
        const int before = rig->window->hid().exchangesDone();
        for (QAction *action : rig->window->tray()->contextMenu()->actions())
            if (action->objectName() == QStringLiteral("trayProfile%1").arg(number))
                action->trigger();
        QVERIFY(rig->waitForQuietWire());
        QCOMPARE(rig->window->hid().exchangesDone() - before,
            scene().evaluate("ui_View.plannedExchanges()").toInt());
        QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), number);
    };
    for (int i = 0; i < switches.size(); ++i) {
        trayChoice(switches[i]);
        QCOMPARE(heldSettings(rig->state()), held[i]);
        const int count = int(exchanges(sim::wireLog()).size());
        QVERIFY2(count < fullCounts[i],
            qPrintable(QStringLiteral("%1 of %2").arg(count).arg(fullCounts[i])));
    }
    // From the first profile to one that differs in its lift-off, colours and buttons only.
    trayChoice(0);
    trayChoice(4);
    QVERIFY(placesWritten().size() < fullPlacesTo4.size());

    // Every write of a switch fails: what the mouse holds is no longer known, and the next
    // switch writes every setting again.
    sim::failFeatureWrites(rig->device, 1000);
    trayChoice(0);
    sim::failFeatureWrites(rig->device, 0);
    trayChoice(4);
    QCOMPARE(placesWritten(), fullPlacesTo4);
    QCOMPARE(heldSettings(rig->state()), held[1]);
}

void TestMainScreen::choosingTheProfileInUseDoesNothing()
{
    writeProfileNames({"Standard0", "Work1"});
    QVERIFY(rig->start());
    QVERIFY(scene().click("profileDropDown"));
    QVERIFY(scene().click("profileDropDownItem0"));
    SceneDriver::settle(300);
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), 0);
}

// Three stages instead of four, not saved, then a profile switch, Reset or close: the question
// comes first, and its answer decides what is stored and sent before the step runs (or that
// nothing runs at all).
void TestMainScreen::unsavedChangesAreAskedAbout_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("answer");  // 0 save, 1 discard, 2 stay, 3 the question's close icon
    QTest::addColumn<QList<int>>("sent");
    QTest::addColumn<int>("stored");  // stage count in profile 0's file afterwards
    QTest::addColumn<int>("shown");
    QTest::newRow("switch, save") << "switch" << 0 << QList<int> {3, 4} << 3 << 4;
    QTest::newRow("switch, discard") << "switch" << 1 << QList<int> {4} << 4 << 4;
    QTest::newRow("switch, stay") << "switch" << 2 << QList<int> {} << 4 << 3;
    QTest::newRow("reset, save") << "reset" << 0 << QList<int> {3, 4} << 4 << 4;
    QTest::newRow("reset, discard") << "reset" << 1 << QList<int> {4} << 4 << 4;
    QTest::newRow("reset, stay") << "reset" << 2 << QList<int> {} << 4 << 3;
    QTest::newRow("close, save") << "close" << 0 << QList<int> {3} << 3 << 3;
    QTest::newRow("close, discard") << "close" << 1 << QList<int> {} << 4 << 4;
    QTest::newRow("close, stay") << "close" << 2 << QList<int> {} << 4 << 3;
    QTest::newRow("switch, close icon") << "switch" << 3 << QList<int> {} << 4 << 3;
    QTest::newRow("desktop close, save") << "desktop close" << 0 << QList<int> {3} << 3 << 3;
    QTest::newRow("desktop close, close icon") << "desktop close" << 3 << QList<int> {} << 4 << 3;
}

void TestMainScreen::unsavedChangesAreAskedAbout()
{
    QFETCH(QString, step);
    QFETCH(int, answer);
    QFETCH(QList<int>, sent);
    QFETCH(int, stored);
    QFETCH(int, shown);
    writeProfileNames({"Standard0", "Work1"});
    QVERIFY(rig->start());
    QVERIFY(scene().choose("dpiCountList", 2));
    QVERIFY(scene().property("saveButton", "alert").toBool());

    if (step == "switch") {
        QVERIFY(scene().choose("profileDropDown", 1));
    } else if (step == "reset") {
        QVERIFY(scene().click("resetButton"));
        QVERIFY(scene().click("resetBoxOk"));
    } else if (step == "close") {
        QVERIFY(scene().click("closeButton"));
    } else {
        QVERIFY(!rig->window->close());  // as the window manager asks
    }
    QVERIFY(scene().waitUsable("questionBox"));
    QCOMPARE(scene().text("questionText"),
        QStringLiteral(
            "Some settings are changed and not saved yet. Save them to the mouse first?"));
    QVERIFY(rig->window->isVisible());
    QVERIFY(dpiCountsSent().isEmpty());

    QVERIFY(scene().click(answer == 3 ? QStringLiteral("questionBoxClose")
                                      : QStringLiteral("questionAnswer%1").arg(answer)));
    QVERIFY(!scene().isShown("questionBox"));
    QVERIFY(rig->waitForQuietWire());
    QCOMPARE(dpiCountsSent(), sent);
    QCOMPARE(rig->profileValue(0, "mouse/currentDpiCount").toInt(), stored);
    QCOMPARE(scene().property("dpiPage", "stageCount").toInt(), shown);
    const bool stays = answer >= 2;
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), step == "switch" && !stays ? 1 : 0);
    QCOMPARE(rig->window->isVisible(), step == "switch" || step == "reset" || stays);
    QCOMPARE(scene().property("saveButton", "alert").toBool(), stays);
}

void TestMainScreen::startUpPutsA560OnProfileOne_data()
{
    QTest::addColumn<int>("deviceProfile");
    QTest::addColumn<bool>("switched");
    QTest::newRow("on profile 3") << 3 << true;
    QTest::newRow("on profile 1") << 1 << false;
}

void TestMainScreen::startUpPutsA560OnProfileOne()
{
    QFETCH(int, deviceProfile);
    QFETCH(bool, switched);
    rig->configure(sim::Family::F560);
    sim::modifyState(
        rig->plug(), [&](sim::DeviceState &s) { s.currentProfile = uint8_t(deviceProfile); });
    // The wire log of the start-up is what counts here: keep it.
    rig->window = std::make_unique<Widget>();
    rig->window->showNormal();
    sim::clearWireLog();
    rig->window->checkDevice();
    rig->scene = std::make_unique<SceneDriver>(*rig->window);
    QVERIFY(SceneDriver::waitFor([&] { return scene().isShown("mainScreen"); }, 4000));

    const QList<int> codes = commandCodes();
    QCOMPARE(codes.contains(0x02), switched);
    QCOMPARE(int(rig->state().currentProfile), 1);
    if (switched) {
        const int query = codes.indexOf(0x82);
        QVERIFY(query >= 0 && query < codes.indexOf(0x02));
    }
}

void TestMainScreen::languageSectionsAreReadOnce()
{
    const QString english = rig->file("modules/i18n/English.ini");
    QVERIFY(rig->start());
    const QStringList main = sectionOf(english, "main");
    QCOMPARE(scene().evaluate("mainLang").toStringList(), main);
    QCOMPARE(scene().text("saveButton"), main.at(10));

    // A second connection does not read the languages again.
    QSettings(english, QSettings::IniFormat).setValue("main/10", "Store");
    rig->window->checkDevice();
    QVERIFY(SceneDriver::waitFor([&] { return rig->window->view()->isEnabled(); }, 3000));
    QCOMPARE(scene().text("saveButton"), main.at(10));
}

void TestMainScreen::chineseTextsOnTheBottomBar()
{
    rig->dir.setGlobal("common/language", "ChineseSimplified");
    QVERIFY(rig->start());
    const QStringList main = sectionOf(rig->file("modules/i18n/ChineseSimplified.ini"), "main");
    QCOMPARE(scene().text("configButton"), main.at(4));
    QCOMPARE(scene().text("resetButton"), main.at(5));
    QCOMPARE(scene().text("saveButton"), main.at(10));
    QVERIFY(main.at(10) != QStringLiteral("Save"));
    QCOMPARE(scene().evaluate("language").toString(), QStringLiteral("ChineseSimplified"));
}

// A language that is not installed gives the desktop's (English here) and is kept; a language
// file without a section keeps the built-in texts of that section.
void TestMainScreen::missingLanguageKeepsTheBuiltInTexts()
{
    rig->dir.setGlobal("common/language", "Klingon");
    QSettings(rig->file("modules/i18n/English.ini"), QSettings::IniFormat).remove("main");
    DiagnosticCapture diagnostics;
    QVERIFY(rig->start());
    QCOMPARE(scene().evaluate("language").toString(), QStringLiteral("English"));
    QCOMPARE(scene().text("configButton"), QStringLiteral("Config"));
    QCOMPARE(scene().text("saveButton"), QStringLiteral("Save"));
    QCOMPARE(scene().property("lodRow", "label").toString(), QStringLiteral("LOD"));
    const QString lines = diagnostics.lines().join('\n');
    QVERIFY(lines.contains("Language \"Klingon\" is not installed"));
    QVERIFY(lines.contains("Language English: section main is missing"));
    QCOMPARE(rig->globalValue("common/language").toString(), QStringLiteral("Klingon"));
}

// The macro editor, the system page and the button page are not built before they first
// open; then they show the words of the language and the values of the profile in use.
void TestMainScreen::pagesAreBuiltWhenFirstOpened()
{
    rig->dir.setGlobal("common/language", "ChineseSimplified");
    rig->writeMacro("Burst", {"4,1,50"});
    {
        QSettings names(rig->file("modules/setting/name.bin"), QSettings::IniFormat);
        names.setValue("macro/macroName", QStringList {"Burst", "loaderpivlan"});
    }
    rig->setProfileValue(0, "mouse/scrollRate", 7);
    QVERIFY(rig->start());
    for (const char *name : {"macroEditor", "systemSettings", "keyAssignment"})
        QVERIFY2(!scene().find(name), name);
    const QString zh = rig->file("modules/i18n/ChineseSimplified.ini");

    QVERIFY(scene().click("systemSettingEntry"));
    QVERIFY(scene().waitUsable("systemSettings"));
    QCOMPARE(scene().property("systemSettings", "title").toString(),
        sectionOf(zh, "systemSetting").at(0));
    QCOMPARE(scene().property("scrollLinesField", "value").toInt(), 7);
    QVERIFY(scene().click("systemSettingsOk"));

    QVERIFY(scene().click("macroEditorEntry"));
    QVERIFY(scene().waitUsable("macroEditor"));
    QCOMPARE(
        scene().property("macroEditor", "title").toString(), sectionOf(zh, "macroEditor").at(0));
    QCOMPARE(
        scene().evaluate("page(macroEditorPlace).names").toStringList(), QStringList {"Burst"});
    QVERIFY(sim::wireLog().empty());
}

void TestMainScreen::helpMenu()
{
    rig->dir.setGlobal("common/url", "https://help.example/z7");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    QVERIFY(rig->start());

    QVERIFY(scene().click("askButton"));
    QVERIFY(scene().waitUsable("askMenuUrl"));
    QQuickItem *frame = scene().item("askMenuUrl")->parentItem()->parentItem();
    QCOMPARE(frame->width(), 200.0);
    QCOMPARE(frame->mapToScene(QPointF(0, 0)), QPointF(1024 - 300, 30));
    QVERIFY(scene().click("askMenuVersion"));
    QVERIFY(!scene().isShown("askMenuVersion"));
    QVERIFY(catcher.urls.isEmpty());

    QVERIFY(scene().click("askButton"));
    QVERIFY(scene().click("askMenuUrl"));
    QTRY_COMPARE(catcher.urls, QList<QUrl> {QUrl("https://help.example/z7")});
    QVERIFY(!scene().isShown("askMenuUrl"));

    // No browser takes it: the menu stays and shows the whole address to copy.
    QDesktopServices::setUrlHandler("https", &catcher, "noSuchSlot");
    QVERIFY(scene().click("askButton"));
    QVERIFY(scene().click("askMenuUrl"));
    QVERIFY(scene().isShown("askMenuUrl"));
    QCOMPARE(scene().text("askMenuNotice"),
        QStringLiteral("No web browser could be started. The support address is:"));
    QVERIFY(scene().isShown("askMenuAddress"));
    QCOMPARE(scene().text("askMenuAddress"), QStringLiteral("https://help.example/z7"));
    QDesktopServices::unsetUrlHandler("https");
}

void TestMainScreen::windowDragMinimiseAndClose()
{
    QVERIFY(rig->start());
    rig->window->move(200, 100);
    const QPoint before = rig->window->pos();
    const QPoint empty(420, 600);  // between the mouse and the bottom bar
    scene().drag(empty, empty + QPoint(30, -12), 1);
    QCOMPARE(rig->window->pos(), before + QPoint(30, -12));

    QVERIFY(scene().click("minimizeButton"));
    QTRY_VERIFY(rig->window->isMinimized());
    rig->window->showNormal();
    QVERIFY(scene().click("closeButton"));
    QVERIFY(!rig->window->isVisible());
    QVERIFY(rig->window->isDeviceConnected());
}

QTEST_MAIN(TestMainScreen)
// The focus ring: Tab brings it to the Save button and to the LOD slider, 2 px of the ring's
// colour all round just outside the control, the control itself drawn as before; when the
// focus moves on, the picture is the unfocused one again.
void TestMainScreen::focusRingFollowsTheKeyboard()
{
    QVERIFY(rig->start());
    // The keyboard reaches the scene once the window has the focus.
    scene().view()->activateWindow();
    scene().view()->setFocus(Qt::ActiveWindowFocusReason);
    const QColor ring("#59b4ff");
    for (const QString name : {QStringLiteral("saveButton"), QStringLiteral("lodSliderAccess")}) {
        QQuickItem *item = scene().item(name);
        QVERIFY(item);
        const QRect inner = item->mapRectToScene(item->boundingRect()).toRect();
        const QRect outer = inner.adjusted(-4, -4, 4, 4);
        const QImage unfocused = scene().view()->grabFramebuffer().copy(outer);
        int presses = 0;
        while (!item->hasActiveFocus() && presses++ < 80)
            scene().key(Qt::Key_Tab);
        QVERIFY2(item->hasActiveFocus(), qPrintable(name));
        SceneDriver::settle(100);
        const QImage focused = scene().view()->grabFramebuffer().copy(outer);

        // Every side has a 2-pixel run of the ring's colour at its middle, 2 and 3 px out.
        const auto isRing = [&](int x, int y) {
            const QColor c = focused.pixelColor(x, y);
            return qAbs(c.red() - ring.red()) < 40 && qAbs(c.green() - ring.green()) < 40
                && qAbs(c.blue() - ring.blue()) < 40;
        };
        const int midX = outer.width() / 2, midY = outer.height() / 2;
        const int right = outer.width() - 1, bottom = outer.height() - 1;
        QVERIFY2(isRing(midX, 1) && isRing(midX, 2), qPrintable(name + " top"));
        QVERIFY2(
            isRing(midX, bottom - 1) && isRing(midX, bottom - 2), qPrintable(name + " bottom"));
        QVERIFY2(isRing(1, midY) && isRing(2, midY), qPrintable(name + " left"));
        QVERIFY2(isRing(right - 1, midY) && isRing(right - 2, midY), qPrintable(name + " right"));
        // The control as before: all of it but its rounded corners, which the ring's curve
        // passes close by.
        const int w = inner.width(), h = inner.height();
        QCOMPARE(focused.copy(8, 4, w - 8, h), unfocused.copy(8, 4, w - 8, h));
        QCOMPARE(focused.copy(4, 8, w, h - 8), unfocused.copy(4, 8, w, h - 8));

        scene().key(Qt::Key_Tab);
        SceneDriver::settle(100);
        QCOMPARE(scene().view()->grabFramebuffer().copy(outer), unfocused);
    }
}

#include "tst_main_screen.moc"
