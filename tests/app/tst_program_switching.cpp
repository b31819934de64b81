// Profiles that follow the programs, as a user meets them on an X11 desktop: the test plays
// the window manager (it names the active window on the root window) and starts real
// processes; the rules come from the rules file, the switch shows on the simulated mouse,
// in the stored profile in use and in the tray menu.

#include "diagnostics.h"
#include "fake_window_manager.h"
#include "scene_rig.h"

#include <QAction>
#include <QProcess>
#include <QtTest>

using namespace simtest;

namespace {

constexpr int kHoldMs = 1000;
constexpr int kSwitchWaitMs = 10000;

std::vector<sim::WireRecord> commandRecords()
{
    std::vector<sim::WireRecord> records;
    for (const sim::WireRecord &r : sim::wireLog()) {
        if (r.interface == sim::Interface::Command)
            records.push_back(r);
    }
    return records;
}

}  // namespace

class TestProgramSwitching : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void focusRuleSwitchesAndComesBack();
    void focusRuleFindsTheProgram_data();
    void focusRuleFindsTheProgram();
    void noSwitchWhileFocusFlapsOrTheSwitchIsOff();
    void runningRuleFindsAWindowsGame();
    void switchWaitsForPagesUnsavedAndOtherSwitches();
    void ruleForADeletedProfileFallsBack();
    void trayMenuSwitchesAndFollows();
    void pageKeepsTheRulesFile();

private:
    SceneDriver &scene() { return *rig->scene; }
    QString rulesFile() const { return rig->file(QStringLiteral("modules/setting/programs.bin")); }
    // The rules file as the user's last session left it: one rule, the switch on or off.
    void writeRules(const QString &program, const QString &match, int profile,
        const QString &trigger, bool automatic = true)
    {
        QFile file(rulesFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[switching]\nautomatic=%1\ndefault=0\n[rules]\nsize=1\n"
                                  "1\\program=%2\n1\\match=%3\n1\\profile=%4\n1\\trigger=%5\n")
                       .arg(automatic ? "true" : "false", program, match)
                       .arg(profile)
                       .arg(trigger)
                       .toUtf8());
    }
    QByteArray rulesBytes() const { return rig->fileBytes(rulesFile()); }
    int profileInUse() const { return rig->globalValue("mouse/profileNo").toInt(); }
    int stageCount() const { return int(rig->state().dpiStageCount); }
    // A process whose executable is called strylagame (a copy of sleep).
    void startGame()
    {
        const QString exe = rig->file(QStringLiteral("strylagame"));
        QFile::copy(QStringLiteral("/bin/sleep"), exe);
        game.start(exe, {QStringLiteral("60")});
        QVERIFY(game.waitForStarted());
    }
    // A program that opens its own window (a copy of xmessage: no _NET_WM_PID, WM_CLASS
    // instance strylagame), in a process namespace of its own if asked, and that window once
    // it shows.
    xcb_window_t startWindowedGame(bool ownNamespace)
    {
        const QString exe = rig->file(QStringLiteral("strylagame"));
        QFile::copy(QStringLiteral("/usr/bin/xmessage"), exe);
        const QStringList xmessage {
            exe, QStringLiteral("-timeout"), QStringLiteral("60"), QStringLiteral("game")};
        if (ownNamespace)
            game.start(QStringLiteral("unshare"),
                QStringList {QStringLiteral("--pid"), QStringLiteral("--fork"),
                    QStringLiteral("--kill-child")}
                    + xmessage);
        else
            game.start(exe, xmessage.mid(1));
        xcb_window_t window = 0;
        QTest::qWaitFor([&] { return (window = wm->find("strylagame")) != 0; }, kSwitchWaitMs);
        return window;
    }
    QAction *trayAction(const QString &name) const
    {
        return rig->window->findChild<QAction *>(name);
    }

    std::unique_ptr<SceneRig> rig;
    std::unique_ptr<FakeWindowManager> wm;
    QProcess game;
};

// Profiles 0 (Standard, four DPI stages), 1 (Work, three) and 2 (Game, two): the stage count on
// the mouse tells which profile's pages were sent last.
void TestProgramSwitching::init()
{
    rig = std::make_unique<SceneRig>();
    wm = std::make_unique<FakeWindowManager>();
    QSettings(rig->file("modules/setting/name.bin"), QSettings::IniFormat)
        .setValue("profile/profileName", QStringList {"Standard0", "Work1", "Game2"});
    rig->setProfileValue(1, "mouse/currentDpiCount", 3);
    rig->setProfileValue(2, "mouse/currentDpiCount", 2);
}

void TestProgramSwitching::cleanup()
{
    game.kill();
    game.waitForFinished();
    rig.reset();
    wm.reset();
}

void TestProgramSwitching::focusRuleSwitchesAndComesBack()
{
    writeRules("strylagame", "name", 2, "focus");
    startGame();
    QVERIFY(rig->start());
    QSignalSpy balloons(rig->window.get(), &Widget::balloonShown);
    const xcb_window_t gameWindow = wm->window(game.processId());
    const xcb_window_t other = wm->window(QCoreApplication::applicationPid());
    QElapsedTimer sinceFocus;
    wm->activate(gameWindow);
    sinceFocus.start();
    const auto focusTime = std::chrono::steady_clock::now();

    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 2, kSwitchWaitMs);
    const auto records = commandRecords();
    QVERIFY(!records.empty());
    QVERIFY(records.front().time - focusTime >= std::chrono::milliseconds(kHoldMs - 20));
    QCOMPARE(scene().evaluate("topMenu.profileIndex").toInt(), 2);
    QCOMPARE(balloons.size(), 1);
    QCOMPARE(balloons.at(0).at(1).toString(), QStringLiteral("Profile Game for strylagame"));

    QVERIFY(rig->waitForQuietWire());
    wm->activate(other);
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
    QCOMPARE(balloons.size(), 2);
}

void TestProgramSwitching::focusRuleFindsTheProgram_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("focusedFirst");
    QTest::newRow("focused before the start") << "strylagame"
                                              << "name"
                                              << "pid" << true;
    QTest::newRow("window class, no process") << "StrylaClass"
                                              << "class"
                                              << "class" << false;
    QTest::newRow("no _NET_WM_PID") << "strylagame"
                                    << "name"
                                    << "own" << false;
    QTest::newRow("pid of another namespace") << "strylagame"
                                              << "name"
                                              << "pid 1" << false;
}

// However the window names its program, the rule finds it.
void TestProgramSwitching::focusRuleFindsTheProgram()
{
    QFETCH(QString, program);
    QFETCH(QString, match);
    QFETCH(QString, window);
    QFETCH(bool, focusedFirst);
    writeRules(program, match, 2, "focus");
    xcb_window_t id = 0;
    if (window == QLatin1String("class")) {
        id = wm->window(0, "strylaclass");
    } else if (window == QLatin1String("pid")) {
        startGame();
        id = wm->window(game.processId());
    } else {
        // A client in its own process namespace is process 1 there, and says so.
        id = startWindowedGame(window == QLatin1String("pid 1"));
        QVERIFY(id);
        if (window == QLatin1String("pid 1"))
            wm->setPid(id, 1);
    }
    if (focusedFirst)
        wm->activate(id);
    QVERIFY(rig->start());
    if (!focusedFirst)
        wm->activate(id);
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 2, kSwitchWaitMs);
}

void TestProgramSwitching::noSwitchWhileFocusFlapsOrTheSwitchIsOff()
{
    writeRules("strylagame", "name", 2, "focus");
    startGame();
    QVERIFY(rig->start());
    const xcb_window_t gameWindow = wm->window(game.processId());
    const xcb_window_t other = wm->window(QCoreApplication::applicationPid());
    for (int i = 0; i < 4; ++i) {
        wm->activate(gameWindow);
        QTest::qWait(kHoldMs / 4);
        wm->activate(other);
        QTest::qWait(kHoldMs / 4);
    }
    QTest::qWait(2 * kHoldMs);
    QVERIFY(commandRecords().empty());
    QCOMPARE(profileInUse(), 0);

    // The master switch off (from the tray): the focus may stay as long as it likes.
    trayAction("trayAutomatic")->trigger();
    QVERIFY(rulesBytes().contains("automatic=false"));
    wm->activate(gameWindow);
    QTest::qWait(2 * kHoldMs);
    QVERIFY(commandRecords().empty());
    QCOMPARE(profileInUse(), 0);
}

// A Windows game under Wine: only its command line names game.exe.
void TestProgramSwitching::runningRuleFindsAWindowsGame()
{
    writeRules("game.exe", "windows", 1, "running");
    QVERIFY(rig->start());
    QProcess wine;
    wine.start(QStringLiteral("/bin/bash"),
        {QStringLiteral("-c"), QStringLiteral("exec -a 'Z:\\Games\\Game.exe' sleep 60")});
    QVERIFY(wine.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 1, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 3, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());
    wine.kill();
    wine.waitForFinished();
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
}

void TestProgramSwitching::switchWaitsForPagesUnsavedAndOtherSwitches()
{
    writeRules("strylagame", "name", 2, "focus");
    startGame();
    QVERIFY(rig->start());
    const xcb_window_t gameWindow = wm->window(game.processId());
    const xcb_window_t other = wm->window(QCoreApplication::applicationPid());

    // A page is open: the switch waits until it closes.
    QVERIFY(scene().click("configButton"));
    wm->activate(gameWindow);
    QTest::qWait(2 * kHoldMs);
    QVERIFY(commandRecords().empty());
    QVERIFY(scene().click("profilesPageClose"));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());

    // Something is unsaved: the switch back waits for Save, whose reports go first.
    QVERIFY(scene().choose("dpiCountList", 0));
    QVERIFY(scene().evaluate("unsaved").toBool());
    sim::clearWireLog();
    wm->activate(other);
    QTest::qWait(2 * kHoldMs);
    QVERIFY(commandRecords().empty());
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());

    // What a hand switch to profile 1 sends, alone.
    sim::clearWireLog();
    trayAction("trayProfile1")->trigger();
    QVERIFY(rig->waitForQuietWire());
    const auto alone = commandRecords();
    trayAction("trayProfile0")->trigger();
    QVERIFY(rig->waitForQuietWire());

    // The rule's hold ends while a hand switch is being sent: that one goes out whole first.
    sim::clearWireLog();
    QElapsedTimer sinceFocus;
    wm->activate(gameWindow);
    sinceFocus.start();
    QTest::qWait(kHoldMs * 7 / 10);
    trayAction("trayProfile1")->trigger();
    QVERIFY2(sinceFocus.elapsed() > kHoldMs, "the hand switch ended before the hold time");
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());
    const auto both = commandRecords();
    QVERIFY(both.size() > alone.size());
    for (size_t i = 0; i < alone.size(); ++i)
        QCOMPARE(both.at(i).bytes, alone.at(i).bytes);
    QCOMPARE(stageCount(), 1);  // profile 2 as saved above
}

void TestProgramSwitching::ruleForADeletedProfileFallsBack()
{
    writeRules("strylagame", "name", 4, "focus");
    rig->dir.setGlobal(QStringLiteral("mouse/profileNo"), 1);
    startGame();
    QVERIFY(rig->start());
    DiagnosticCapture lines;
    wm->activate(wm->window(game.processId()));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
    QCOMPARE(lines.count(QStringLiteral(
                 "Profile 4 of the rule for strylagame does not exist: profile 0 is used")),
        1);
}

void TestProgramSwitching::trayMenuSwitchesAndFollows()
{
    QVERIFY(rig->start());
    auto marked = [this] {
        QStringList names;
        for (const char *name : {"trayProfile0", "trayProfile1", "trayProfile2"}) {
            if (trayAction(name)->isChecked())
                names.append(trayAction(name)->text());
        }
        return names;
    };
    QCOMPARE(marked(), QStringList {"Standard"});
    QVERIFY(!trayAction("trayProfile3"));

    trayAction("trayProfile2")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 2, kSwitchWaitMs);
    QCOMPARE(profileInUse(), 2);
    QCOMPARE(scene().evaluate("topMenu.profileIndex").toInt(), 2);
    QCOMPARE(marked(), QStringList {"Game"});

    QVERIFY(rig->waitForQuietWire());
    QVERIFY(scene().choose("profileDropDown", 1));
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 3, kSwitchWaitMs);
    QCOMPARE(marked(), QStringList {"Work"});

    // Off until the user turns it on, and then stored.
    QVERIFY(!trayAction("trayAutomatic")->isChecked());
    trayAction("trayAutomatic")->trigger();
    QVERIFY(rulesBytes().contains("automatic=true"));
}

void TestProgramSwitching::pageKeepsTheRulesFile()
{
    startGame();
    QVERIFY(rig->start());
    QVERIFY(scene().click("configButton"));
    QVERIFY(scene().click("profilePrograms"));
    QVERIFY(scene().waitUsable("programsAdd"));
    QVERIFY(scene().click("programsAdd"));
    const QVariantList running = scene().evaluate("page(programsPlace).running").toList();
    int row = -1;
    for (int i = 0; i < running.size(); ++i) {
        if (running.at(i).toMap().value("program") == QStringLiteral("strylagame"))
            row = i;
    }
    QVERIFY(row >= 0);
    // The list takes the focus: down to the program, Return takes it.
    for (int i = 0; i < row; ++i)
        scene().key(Qt::Key_Down);
    scene().key(Qt::Key_Return);
    QVERIFY(rulesBytes().contains("1\\program=strylagame"));
    QVERIFY(rulesBytes().contains("1\\match=name"));
    QVERIFY(rulesBytes().contains("1\\profile=0"));
    QVERIFY(rulesBytes().contains("1\\trigger=focus"));

    QVERIFY(scene().choose("programRuleProfile0", 2));
    QVERIFY(rulesBytes().contains("1\\profile=2"));
    QVERIFY(scene().choose("programRuleTrigger0", 1));
    QVERIFY(rulesBytes().contains("1\\trigger=running"));
    QVERIFY(scene().click("programsAutomatic"));
    QVERIFY(rulesBytes().contains("automatic=true"));
    QVERIFY(trayAction("trayAutomatic")->isChecked());
    QCOMPARE(scene().text("programsDesktop"),
        QStringLiteral("Focus and running programs can both be seen on this desktop. The focused "
                       "window comes from X11."));

    QVERIFY(scene().click("programRuleRemove0"));
    QVERIFY(rulesBytes().contains("size=0"));
    QVERIFY(!rulesBytes().contains("strylagame"));
}

QTEST_MAIN(TestProgramSwitching)
#include "tst_program_switching.moc"
