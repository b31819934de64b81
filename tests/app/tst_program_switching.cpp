// Profiles that follow the programs, as a user meets them on an X11 desktop: the test plays
// the window manager (it names the active window on the root window) and starts real
// processes; the rules come from the rules file, the switch shows on the simulated mouse,
// in the stored profile in use and in the tray menu. When and to which profile a switch goes
// (hold, flapping focus, priorities, a profile chosen by hand, missing profiles) is decided
// by ProgramDecider and tested there; here the X11 source and real processes feed it.

#include "fake_window_manager.h"
#include "program_rules_fixture.h"
#include "scene_rig.h"

#include <QAction>
#include <QProcess>
#include <QtTest>

#include <csignal>

using namespace simtest;

namespace {

constexpr int kSwitchWaitMs = 10000;

}  // namespace

class TestProgramSwitching : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTestPeriods(); }
    void init();
    void cleanup();

    void focusRuleSwitchesAndComesBack();
    void focusRuleFindsTheProgram_data();
    void focusRuleFindsTheProgram();
    void noSwitchWhileTheSwitchIsOff();
    void runningRuleFollowsTheProgram_data();
    void runningRuleFollowsTheProgram();
    void switchWaitsForPagesUnsavedAndOtherSwitches();
    void trayMenuSwitchesAndFollows();
    void pageKeepsTheRulesFile();
    void pageShowsWhatIsStored();
    void deletedProfileRulesTakeTheDefault();
    void switchCutShortIsSentWholeAtStart();
    void leftoversAreRemovedAtStart();

private:
    SceneDriver &scene() { return *rig->scene; }
    QString rulesFile() const { return rig->file(QStringLiteral("modules/setting/programs.bin")); }
    // The rules file as the user's last session left it: one rule, the switch on or off.
    void writeRules(const QString &program, const QString &match, int profile,
        const QString &trigger, bool automatic = true, int defaultProfile = 0)
    {
        writeProgramRules(*rig, {{program, match, profile, trigger}}, automatic, defaultProfile);
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
    wm->activate(XCB_NONE);  // the last test's window is gone, and its id may come again
    nameTestProfiles(*rig);
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
    // What the start sends may still be on its way: the wire log holds only what follows.
    QVERIFY(rig->waitForQuietWire());
    sim::clearWireLog();
    wm->activate(gameWindow);
    const auto focusTime = std::chrono::steady_clock::now();

    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 2, kSwitchWaitMs);
    const auto commands = records(sim::Interface::Command);
    QVERIFY(!commands.empty());
    QVERIFY(commands.front().time - focusTime >= std::chrono::milliseconds(kTestHoldMs - 20));
    QCOMPARE(scene().evaluate("topMenu.profileIndex").toInt(), 2);
    QCOMPARE(balloons.size(), 1);
    QCOMPARE(balloons.at(0).at(1).toString(), QStringLiteral("Profile Game for strylagame"));
    QTRY_COMPARE(rig->globalValue("mouse/profileSentInPart").toString(), QStringLiteral("false"));

    QVERIFY(rig->waitForQuietWire());
    wm->activate(other);
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
    QCOMPARE(balloons.size(), 2);
    QCOMPARE(balloons.at(1).at(1).toString(), QStringLiteral("Profile Standard (no rule applies)"));
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

// The master switch off (from the tray): the focus may stay as long as it likes.
void TestProgramSwitching::noSwitchWhileTheSwitchIsOff()
{
    writeRules("strylagame", "name", 2, "focus");
    startGame();
    QVERIFY(rig->start());
    const xcb_window_t gameWindow = wm->window(game.processId());
    trayAction("trayAutomatic")->trigger();
    QVERIFY(rulesBytes().contains("automatic=false"));
    wm->activate(gameWindow);
    QTest::qWait(3 * kTestHoldMs);
    QVERIFY(records(sim::Interface::Command).empty());
    QCOMPARE(profileInUse(), 0);
}

void TestProgramSwitching::runningRuleFollowsTheProgram_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("match");
    // Run by bash in the test's folder, where strylagame and wine64-preloader are copies of
    // sleep; %1 stands for that folder.
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("switches");
    // "kill": the test ends it; "unreaped": the test ends the game, whose parent (the command,
    // which printed its pid) never waits for it
    QTest::addColumn<QString>("end");
    QTest::newRow("running when the switch is turned on")
        << "strylagame"
        << "name"
        << "exec %1/strylagame 60" << true << "switch on";
    QTest::newRow("Windows game under Wine")
        << "game.exe"
        << "windows"
        << "exec -a 'Z:\\Games\\Game.exe' %1/wine64-preloader 60" << true << "kill";
    QTest::newRow("upper case on Wine's command line")
        << "game.exe"
        << "windows"
        << "exec -a 'C:\\GAMES\\GAME.EXE' %1/wine64-preloader 60" << true << "kill";
    QTest::newRow("Unix path under a Wine prefix")
        << "game.exe"
        << "windows"
        << "WINEPREFIX=/tmp/pfx exec -a /home/u/Games/game.exe %1/strylagame 60" << true << "kill";
    QTest::newRow("native program with an .exe argument")
        << "shooter.exe"
        << "windows"
        << "exec -a /home/u/Downloads/Shooter.exe sleep 60" << false << "kill";
    QTest::newRow("Wine's own program")
        << "steam.exe"
        << "windows"
        << "exec -a 'C:\\steam.exe' %1/wine64-preloader 60" << false << "kill";
    // A name that is not UTF-8 keeps its bytes as \xHH (the backslash doubled in the file).
    QTest::newRow("name that is not UTF-8")
        << "caf\\\\xe8"
        << "name"
        << "cp /bin/sleep $'%1/caf\\xe8'; exec $'%1/caf\\xe8' 60" << true << "kill";
    QTest::newRow("another name that is not UTF-8")
        << "caf\\\\xe9"
        << "name"
        << "cp /bin/sleep $'%1/caf\\xe8'; exec $'%1/caf\\xe8' 60" << false << "kill";
    QTest::newRow("launcher that execs late") << "strylagame"
                                              << "name"
                                              << "sleep 1; exec %1/strylagame 60" << true << "kill";
    QTest::newRow("game left a zombie")
        << "strylagame"
        << "name"
        << "%1/strylagame 60 & echo $!; exec sleep 60" << true << "unreaped";
}

// A rule for a running program switches while the program runs, and back when it ends.
void TestProgramSwitching::runningRuleFollowsTheProgram()
{
    QFETCH(QString, program);
    QFETCH(QString, match);
    QFETCH(QString, command);
    QFETCH(bool, switches);
    QFETCH(QString, end);
    const bool switchOnLater = end == QLatin1String("switch on");
    writeRules(program, match, 1, "running", !switchOnLater);
    for (const char *copy : {"strylagame", "wine64-preloader"})
        QFile::copy(QStringLiteral("/bin/sleep"), rig->file(QLatin1String(copy)));
    QVERIFY(rig->start());
    game.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), command.arg(rig->file(""))});
    QVERIFY(game.waitForStarted());
    if (switchOnLater) {
        QTest::qWait(kTestScanMs);  // whatever the program saw start is old now
        trayAction("trayAutomatic")->trigger();
    }
    if (!switches) {
        QTest::qWait(kTestScanMs * 3 + kTestHoldMs * 2);
        QCOMPARE(profileInUse(), 0);
        QVERIFY(records(sim::Interface::Command).empty());
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 1, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 3, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());
    if (end == QLatin1String("unreaped")) {
        const qint64 pid = game.readAllStandardOutput().trimmed().toLongLong();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
    } else {
        game.kill();
        game.waitForFinished();
    }
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
    QTest::qWait(3 * kTestHoldMs);
    QVERIFY(records(sim::Interface::Command).empty());
    QVERIFY(scene().click("profilesPageClose"));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());

    // Something is unsaved: the switch back waits for Save, whose reports go first.
    QVERIFY(scene().choose("dpiCountList", 0));
    QVERIFY(scene().evaluate("unsaved").toBool());
    sim::clearWireLog();
    wm->activate(other);
    QTest::qWait(3 * kTestHoldMs);
    QVERIFY(records(sim::Interface::Command).empty());
    QVERIFY(scene().click("saveButton"));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());

    // What a hand switch to profile 1 sends, alone.
    sim::clearWireLog();
    trayAction("trayProfile1")->trigger();
    QVERIFY(rig->waitForQuietWire());
    const auto alone = records(sim::Interface::Command);
    trayAction("trayProfile0")->trigger();
    QVERIFY(rig->waitForQuietWire());

    // The rule's hold ends while a hand switch is being sent: that one goes out whole first.
    sim::clearWireLog();
    QElapsedTimer sinceFocus;
    wm->activate(gameWindow);
    sinceFocus.start();
    QTest::qWait(kTestHoldMs / 5);
    trayAction("trayProfile1")->trigger();
    QVERIFY2(sinceFocus.elapsed() > kTestHoldMs, "the hand switch ended before the hold time");
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());
    const auto both = records(sim::Interface::Command);
    QVERIFY(both.size() > alone.size());
    for (size_t i = 0; i < alone.size(); ++i)
        QCOMPARE(both.at(i).bytes, alone.at(i).bytes);
    QCOMPARE(stageCount(), 1);  // profile 2 as saved above
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
    wm->window(0, "StrylaClass");
    QVERIFY(rig->start());
    QVERIFY(scene().click("configButton"));
    QVERIFY(scene().click("profilePrograms"));
    QVERIFY(scene().waitUsable("programsAdd"));
    QVERIFY(scene().click("programsAdd"));
    const QVariantList running = scene().evaluate("page(programsPlace).running").toList();
    // A program with a window comes first, named by its window's class.
    QVERIFY(!running.isEmpty());
    QCOMPARE(running.at(0).toMap().value("program").toString(), QStringLiteral("StrylaClass"));
    QCOMPARE(running.at(0).toMap().value("match").toString(), QStringLiteral("class"));
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

// The master switch shows the file whoever changed it; a change the file refuses shows so.
void TestProgramSwitching::pageShowsWhatIsStored()
{
    QVERIFY(rig->start());
    QVERIFY(scene().click("configButton"));
    QVERIFY(scene().click("profilePrograms"));
    QVERIFY(scene().waitUsable("programsAutomatic"));
    auto shown = [this] { return scene().property("programsAutomatic", "checked").toBool(); };
    QVERIFY(scene().click("programsAutomatic"));
    QVERIFY(rulesBytes().contains("automatic=true"));
    trayAction("trayAutomatic")->trigger();
    QVERIFY(rulesBytes().contains("automatic=false"));
    QVERIFY(!shown());
    QVERIFY(scene().click("programsAutomatic"));
    QVERIFY(rulesBytes().contains("automatic=true"));
    QVERIFY(shown());
    QVERIFY(!scene().isShown("programsSaveFailed"));

    // The rules file cannot be replaced (a folder took its place): nothing is stored, and the
    // page shows the switch off, as the next start will find it.
    QVERIFY(QFile::remove(rulesFile()));
    QVERIFY(QDir().mkdir(rulesFile()));
    QVERIFY(scene().choose("programsDefault", 2));
    QVERIFY(QFileInfo(rulesFile()).isDir());
    QTRY_VERIFY(scene().isShown("programsSaveFailed"));
    QVERIFY(scene().text("programsSaveFailed").startsWith("The change could not be stored in"));
    QVERIFY(!shown());
    QVERIFY(!trayAction("trayAutomatic")->isChecked());
}

// Deleting a profile moves its rules to the default profile in the file, so a profile made
// later under the freed number does not take them over; the page says which rules moved.
void TestProgramSwitching::deletedProfileRulesTakeTheDefault()
{
    writeRules("strylagame", "name", 2, "focus", true, 1);
    QVERIFY(rig->start());
    QVERIFY(scene().click("configButton"));
    QVERIFY(scene().click("profileListRow2"));
    QVERIFY(scene().click("profileDelete"));
    QTRY_VERIFY(rulesBytes().contains("1\\profile=1"));
    QVERIFY(rulesBytes().contains("default=1"));
    QVERIFY(scene().click("profilePrograms"));
    QVERIFY(scene().isShown("programsOrphaned"));
    QCOMPARE(scene().text("programsOrphaned"),
        QStringLiteral("The profile of the rules for strylagame was deleted: they use the default "
                       "profile now."));
    QCOMPARE(scene().property("programRuleProfile0", "currentIndex").toInt(), 1);
}

// A switch that never ended (the program killed while it wrote the mouse) left the profile in
// use named but sent in part: the next start sends it whole.
void TestProgramSwitching::switchCutShortIsSentWholeAtStart()
{
    rig->dir.setGlobal("mouse/profileNo", 2);
    rig->dir.setGlobal("mouse/profileSentInPart", true);
    QVERIFY(rig->start());
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 2, kSwitchWaitMs);
    QTRY_COMPARE(rig->globalValue("mouse/profileSentInPart").toString(), QStringLiteral("false"));
}

// Saves cut short by a kill leave temporary and lock files; the next start removes them, and
// nothing else.
void TestProgramSwitching::leftoversAreRemovedAtStart()
{
    const QStringList leftovers {"modules/setting/programs.bin.new-a1B2c3",
        "modules/setting/programs.bin.new-a1B2c3.lock", "modules/setting/name.bin.lock",
        "modules/macro/fire.bin.new-Zz9Yy8", "modules/setting/programs.bin.new-a1B2c3.Qw12Er",
        "modules/setting/p2.bin.Ab3dE9", "modules/setting/apConfig.bin.x7Y8z9",
        "modules/macro/fire.bin.K1l2M3"};
    const QStringList kept {"modules/setting/name.bin", "modules/setting/notes.new-abc",
        "modules/setting/old.bin.lock", "modules/setting/programs.bin.damaged-2",
        "modules/macro/fire.bin.K1l2M3.bin"};
    QDir().mkpath(rig->file("modules/macro"));
    for (const QString &name : leftovers + kept.mid(1)) {
        QFile file(rig->file(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // What a lock file holds: the process (long gone), the program, the machine.
        file.write("999999\nstryla-config\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    const QString program = rig->file(QStringLiteral("stryla-config-sim"));
    QVERIFY(QFile::copy(QStringLiteral(STRYLA_BINARY_DIR "/stryla-config-sim"), program));
    QProcess running;
    running.start(program, QStringList {});
    QVERIFY(running.waitForStarted());
    auto anyLeft = [&] {
        return std::any_of(leftovers.begin(), leftovers.end(),
            [this](const QString &name) { return QFile::exists(rig->file(name)); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(!anyLeft(), kSwitchWaitMs);
    running.kill();
    running.waitForFinished();
    for (const QString &name : kept)
        QVERIFY2(QFile::exists(rig->file(name)), qPrintable(name));
}

QTEST_MAIN(TestProgramSwitching)
#include "tst_program_switching.moc"
