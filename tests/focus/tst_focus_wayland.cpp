// Profiles that follow native Wayland windows, on a real compositor: the test runs inside a
// headless session of sway (tests/wayland/sway_session.sh), KWin (kwin_session.sh) or GNOME
// Shell (gnome_session.sh), starts two Wayland windows with known app ids (itself, started
// again with --window), moves the focus between them as the compositor allows (swaymsg; a
// KWin script or a GNOME Shell extension of the test's own), and watches the simulated
// mouse's wire. The program itself renders offscreen; only its focus source talks to the
// compositor. What a focus change decides (hold, flapping, priorities) is tested once, in
// tst_program_decider; here each desktop's source reports the focused window.

#include "focus_source.h"
#include "focus_source_kwin.h"
#include "program_rules_fixture.h"
#include "scene_rig.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QtTest>

#include <sys/resource.h>

using namespace simtest;

namespace {

constexpr int kSwitchWaitMs = 10000;

// A plain Wayland window whose app id is the desktop file name it is given; says "shown" on
// its standard output once the compositor has let it draw.
class TestWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkCyan);
        if (m_shown)
            return;
        m_shown = true;
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
    }

private:
    bool m_shown = false;
};

// platform "wayland": app id appId; "xcb" (XWayland): WM_CLASS class appId.
int runWindow(int argc, char **argv, const QString &appId, const char *platform = "wayland")
{
    qputenv("QT_QPA_PLATFORM", platform);
    QCoreApplication::setApplicationName(appId);
    QGuiApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(appId);
    TestWindow window;
    window.resize(320, 200);
    window.setTitle(appId);
    window.show();
    return app.exec();
}

bool kwinScriptLoaded()
{
    QDBusMessage m =
        QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
            QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
    m.setArguments({QStringLiteral("stryla-config-focus")});
    return QDBusConnection::sessionBus().call(m, QDBus::Block, 5000).arguments().value(0).toBool();
}

// GNOME Shell gives a new window of a headless session no focus by itself: the test's own
// extension (stryla-test@korvane.example) activates it.
bool gnomeActivate(const QString &appId)
{
    QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Shell"),
        QStringLiteral("/example/korvane/StrylaTest"), QStringLiteral("example.korvane.StrylaTest"),
        QStringLiteral("Activate"));
    m.setArguments({appId});
    return QDBusConnection::sessionBus().call(m, QDBus::Block, 5000).arguments().value(0).toBool();
}

bool gnomeSession()
{
    return qgetenv("XDG_CURRENT_DESKTOP") == "GNOME";
}

// Runs a command as the user would: gnome-extensions writes the Shell's settings through dconf,
// which the program's own tests replace with a memory backend and a configuration folder of
// their own.
int runAsUser(const QStringList &command)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("GSETTINGS_BACKEND"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    process.setProcessEnvironment(environment);
    process.start(command.first(), command.mid(1));
    return process.waitForFinished(10000) ? process.exitCode() : -1;
}

// Enables or disables the program's extension and waits until the Shell has done it.
bool gnomeExtensions(const QString &action)
{
    if (runAsUser({QStringLiteral("gnome-extensions"), action,
            QStringLiteral("stryla-config-43@korvane.example")})
        != 0)
        return false;
    const bool wanted = action == QLatin1String("enable");
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    const QString name = QStringLiteral("example.korvane.StrylaConfig.Shell");
    QElapsedTimer waited;
    waited.start();
    while (bus->isServiceRegistered(name).value() != wanted && waited.elapsed() < 5000)
        QTest::qWait(50);
    return bus->isServiceRegistered(name).value() == wanted;
}

bool swaymsg(const QString &command)
{
    QProcess process;
    process.start(QStringLiteral("swaymsg"), {command});
    return process.waitForFinished(5000) && process.exitCode() == 0;
}

// KWin lets a script activate a window: one of the test's own, loaded, run and unloaded.
bool kwinActivate(const QString &appId)
{
    static int files = 0;
    const QString file =
        qEnvironmentVariable("STRYLA_WL_WORK") + QStringLiteral("/activate%1.js").arg(++files);
    QFile script(file);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write(
        QStringLiteral("const six = workspace.windowList !== undefined;\n"
                       "const list = six ? workspace.windowList() : workspace.clientList();\n"
                       "for (const w of list) {\n"
                       "    if (String(w.resourceClass) !== '%1') continue;\n"
                       "    if (six) workspace.activeWindow = w; else workspace.activeClient = w;\n"
                       "}\n")
            .arg(appId)
            .toUtf8());
    script.close();
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto call = [&](const QString &path, const QString &iface, const QString &method,
                    const QVariantList &args) {
        QDBusMessage m =
            QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), path, iface, method);
        m.setArguments(args);
        return bus.call(m, QDBus::Block, 5000);
    };
    // A fresh name each time: KWin 5 numbers a script by how many it holds, so after an
    // unload a new script could share the number of one still running.
    static int count = 0;
    const QDBusMessage loaded =
        call(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
            QStringLiteral("loadScript"), {file, QStringLiteral("tst-activate-%1").arg(++count)});
    const int id = loaded.arguments().value(0, -1).toInt();
    if (id < 0)
        return false;
    for (const QString &path :
        {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
        if (call(path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"), {}).type()
            == QDBusMessage::ReplyMessage)
            return true;
    }
    return false;
}

}  // namespace

class TestFocusWayland : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void gnomeExtensionEnabledAsThePageSays();
    void appIdRuleFollowsTheFocus();
    void xwaylandWindowByItsProgram();
    void kwinScriptGoesWithTheSwitch();
    void idleWatcherCostsNothing();

private:
    void writeRules(const QString &appId, int profile)
    {
        writeProgramRules(
            *rig, {{appId, QStringLiteral("class"), profile, QStringLiteral("focus")}});
    }
    bool focus(const QString &appId)
    {
        if (!qEnvironmentVariableIsEmpty("SWAYSOCK"))
            return swaymsg(QStringLiteral("[app_id=\"%1\"] focus").arg(appId));
        if (gnomeSession())
            return gnomeActivate(appId);
        return kwinActivate(appId);
    }
    int profileInUse() const { return rig->globalValue("mouse/profileNo").toInt(); }
    int stageCount() const { return int(rig->state().dpiStageCount); }

    std::unique_ptr<SceneRig> rig;
    QProcess windows[2];
};

void TestFocusWayland::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        QSKIP("no Wayland compositor: run through sway_session.sh or kwin_session.sh");
    useTestPeriods();
    const char *ids[] = {"shooter", "notes"};
    for (int i = 0; i < 2; ++i) {
        windows[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        windows[i].start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--window"), QLatin1String(ids[i])});
        QVERIFY(windows[i].waitForStarted());
        QVERIFY2(windows[i].waitForReadyRead(10000), ids[i]);
        QCOMPARE(windows[i].readAllStandardOutput(), QByteArray("shown\n"));
    }
}

void TestFocusWayland::cleanupTestCase()
{
    for (QProcess &window : windows) {
        window.kill();
        window.waitForFinished();
    }
}

void TestFocusWayland::init()
{
    rig = std::make_unique<SceneRig>();
    nameTestProfiles(*rig);
    if (gnomeSession())
        QVERIFY(gnomeExtensions(QStringLiteral("enable")));
    QVERIFY(focus(QStringLiteral("notes")));
}

void TestFocusWayland::cleanup()
{
    rig.reset();
}

// GNOME Shell without the program's extension: the page names the command that enables it;
// once it is run, the focus rules see Wayland windows without a restart.
void TestFocusWayland::gnomeExtensionEnabledAsThePageSays()
{
    if (!gnomeSession())
        QSKIP("a GNOME Shell session only");
    QVERIFY(gnomeExtensions(QStringLiteral("disable")));
    writeRules(QStringLiteral("shooter"), 2);
    QVERIFY(rig->start());
    SceneDriver &scene = *rig->scene;
    QVERIFY(scene.click("configButton"));
    QVERIFY(scene.click("profilePrograms"));
    const QString command =
        QStringLiteral("gnome-extensions enable stryla-config-43@korvane.example");
    QVERIFY2(scene.text("programsDesktop").endsWith(QStringLiteral("Enable it with: ") + command),
        qPrintable(scene.text("programsDesktop")));

    QCOMPARE(runAsUser(command.split(QLatin1Char(' '))), 0);
    QTRY_COMPARE_WITH_TIMEOUT(scene.text("programsDesktop"),
        QStringLiteral("Focus and running programs can both be seen on this desktop. The "
                       "focused window comes from GNOME Shell."),
        5000);
    QVERIFY(scene.click("programsPageClose"));
    QVERIFY(scene.click("profilesPageClose"));
    QVERIFY(focus(QStringLiteral("shooter")));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
}

void TestFocusWayland::appIdRuleFollowsTheFocus()
{
    writeRules(QStringLiteral("shooter"), 2);
    QVERIFY(rig->start());
    QTest::qWait(300);  // the start's own focus report settles
    sim::clearWireLog();

    const auto focusTime = std::chrono::steady_clock::now();
    QVERIFY(focus(QStringLiteral("shooter")));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 2, kSwitchWaitMs);
    const auto commands = records(sim::Interface::Command);
    QVERIFY(!commands.empty());
    const auto firstReport = commands.front().time - focusTime;
    QVERIFY(firstReport >= std::chrono::milliseconds(kTestHoldMs - 20));
    qInfo("focus change to the first report on the wire: %lld ms",
        qlonglong(std::chrono::duration_cast<std::chrono::milliseconds>(firstReport).count()));

    QVERIFY(rig->waitForQuietWire());
    QVERIFY(focus(QStringLiteral("notes")));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
}

// On sway an X11 program (a Wine game) is seen through XWayland: the Add list offers its window
// by class with its program's name, and a rule by that program's name switches on its focus.
void TestFocusWayland::xwaylandWindowByItsProgram()
{
    if (qEnvironmentVariableIsEmpty("SWAYSOCK"))
        QSKIP("a sway session only");
    // The X display sway gives the programs it starts.
    const QString displayFile = qEnvironmentVariable("STRYLA_WL_WORK") + QStringLiteral("/display");
    QVERIFY(swaymsg(QStringLiteral("exec 'echo $DISPLAY > %1'").arg(displayFile)));
    QFile display(displayFile);
    QTRY_VERIFY_WITH_TIMEOUT(display.size() > 1, 5000);
    QVERIFY(display.open(QIODevice::ReadOnly));
    const QByteArray name = display.readAll().trimmed();
    QVERIFY2(name.startsWith(':'), name.constData());
    qputenv("DISPLAY", name);
    QProcess game;
    game.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    game.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--x11-window"), QStringLiteral("Wineshooter")});
    QVERIFY(game.waitForStarted());
    QVERIFY(game.waitForReadyRead(10000));
    QCOMPARE(game.readAllStandardOutput(), QByteArray("shown\n"));
    const auto ends = qScopeGuard([&game] {
        qunsetenv("DISPLAY");
        game.kill();
        game.waitForFinished();
    });

    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    writeProgramRules(*rig, {{program, QStringLiteral("name"), 1, QStringLiteral("focus")}});
    QVERIFY(rig->start());
    SceneDriver &scene = *rig->scene;
    QVERIFY(scene.click("configButton"));
    QVERIFY(scene.click("profilePrograms"));
    QVERIFY(scene.waitUsable("programsAdd"));
    QVERIFY(scene.click("programsAdd"));
    QVariantMap offered;
    for (const QVariant &entry : scene.evaluate("page(programsPlace).running").toList()) {
        if (entry.toMap().value("program") == QStringLiteral("Wineshooter"))
            offered = entry.toMap();
    }
    QCOMPARE(offered.value("match").toString(), QStringLiteral("class"));
    QCOMPARE(offered.value("name").toString(), QStringLiteral("Wineshooter (%1)").arg(program));
    scene.key(Qt::Key_Escape);
    QVERIFY(scene.click("programsPageClose"));
    QVERIFY(scene.click("profilesPageClose"));

    QVERIFY(swaymsg(QStringLiteral("[class=\"Wineshooter\"] focus")));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 1, kSwitchWaitMs);
    QVERIFY(rig->waitForQuietWire());
    QVERIFY(focus(QStringLiteral("notes")));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
}

// KWin runs the program's script only while the profiles follow programs.
void TestFocusWayland::kwinScriptGoesWithTheSwitch()
{
    if (qgetenv("XDG_CURRENT_DESKTOP") != "KDE")
        QSKIP("a KWin session only");
    writeRules(QStringLiteral("shooter"), 2);
    QVERIFY(rig->start());
    QVERIFY(kwinScriptLoaded());
    QAction *automatic = rig->window->findChild<QAction *>(QStringLiteral("trayAutomatic"));
    QVERIFY(automatic);
    automatic->trigger();
    QVERIFY(!kwinScriptLoaded());
    QVERIFY(focus(QStringLiteral("shooter")));
    QTest::qWait(3 * kTestHoldMs);
    QVERIFY(records(sim::Interface::Command).empty());
    automatic->trigger();
    QVERIFY(kwinScriptLoaded());
    // The copy KWin reads goes once KWin has read it: nothing stays in the runtime folder.
    QTRY_VERIFY(!QFile::exists(KWinFocusSource::runtimeCopy()));
    rig.reset();  // the program ends
    QVERIFY(!kwinScriptLoaded());
    QVERIFY(!QFile::exists(KWinFocusSource::runtimeCopy()));
}

// The figure for the note: the source this desktop uses, watching while the focus stays, in
// this otherwise idle process.
void TestFocusWayland::idleWatcherCostsNothing()
{
    rig.reset();
    std::unique_ptr<FocusSource> source = createFocusSource();
    QVERIFY(source);
    source->setWatching(true);
    QTest::qWait(500);
    auto cpu = [] {
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec
            + usage.ru_stime.tv_usec;
    };
    const qint64 before = cpu();
    QElapsedTimer wall;
    wall.start();
    QEventLoop idle;  // QTest::qWait would wake every few milliseconds itself
    QTimer::singleShot(5000, &idle, &QEventLoop::quit);
    idle.exec();
    const double share = 100.0 * double(cpu() - before) / (wall.nsecsElapsed() / 1000.0);
    qInfo("idle cost of the %s source: %.4f %% of a core", qPrintable(source->name()), share);
    QVERIFY(share < 1.0);  // a source that polled in a loop would show here
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--window") == 0)
        return runWindow(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--x11-window") == 0)
        return runWindow(argc, argv, QString::fromLocal8Bit(argv[2]), "xcb");
    QApplication app(argc, argv);
    TestFocusWayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_focus_wayland.moc"
