#include "test_desktop.h"

#include "pointer_settings.h"

#include "../store/store_fixture.h"
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <QtTest>

#include <memory>
#include <vector>

using namespace PointerSettings;

// The settings are applied on a GSettings keyfile backend (a backend that keeps them, as dconf
// does) and on KDE's kdeglobals in a temporary configuration folder, with a session bus of the
// test's own. Backends that keep nothing, and desktops without a session bus, are tried in
// child copies of this program, since GIO and Qt pick backend and bus once per process.

namespace {

const char *const kMouse = TestDesktop::kMouseSchema;
const char kMouseGroup[] = "org/gnome/desktop/peripherals/mouse";
const char kKdeglobalsStart[] =
    "[Colors:View]\nForegroundNormal=252,252,252\n[KDE]\nWheelScrollLines=3\n";

// The value text of a key of the mouse schema in the keyfile backend's file.
QString keyfileValue(const QString &configHome, const char *key)
{
    GKeyFile *file = g_key_file_new();
    const QByteArray path =
        QFile::encodeName(configHome + QStringLiteral("/glib-2.0/settings/keyfile"));
    QString value;
    if (g_key_file_load_from_file(file, path.constData(), G_KEY_FILE_NONE, nullptr)) {
        gchar *text = g_key_file_get_value(file, kMouseGroup, key, nullptr);
        value = QString::fromUtf8(text);
        g_free(text);
    }
    g_key_file_free(file);
    return value;
}

// Plasma's change notices seen on the bus, as "type category".
class NoticeListener : public QObject
{
    Q_OBJECT

public:
    QStringList notices;

public slots:
    void notifyChange(int type, int category)
    {
        notices << QStringLiteral("%1 %2").arg(type).arg(category);
    }
};

struct ChildRun
{
    int exitCode = -1;
    QStringList failures;  // the "… Failed" lines of standard error (GLib may add warnings)
};

// The child: applies "<speed|double-click|wheel> <value>" pairs, exit code 0 when all took.
int applyAndExit(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool all = true;
    for (int i = 2; i + 1 < argc; i += 2) {
        const QByteArray what = argv[i];
        const uint value = QByteArray(argv[i + 1]).toUInt();
        if (what == "speed")
            all = mouseSetCursorSpeed(value) && all;
        else if (what == "double-click")
            all = mouseSetDoubleClickSpeed(value) && all;
        else if (what == "wheel")
            all = mouseSetVerticalScrollLines(value) && all;
    }
    return all ? 0 : 1;
}

// One input device as KWin shows it on the bus; a "stuck" one answers a new speed without
// taking it.
class FakeKWinDevice : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDevice")
    Q_PROPERTY(bool pointer MEMBER pointer CONSTANT)
    Q_PROPERTY(bool touchpad MEMBER touchpad CONSTANT)
    Q_PROPERTY(bool supportsPointerAcceleration MEMBER supportsAcceleration CONSTANT)
    Q_PROPERTY(double pointerAcceleration READ acceleration WRITE setAcceleration)

public:
    bool pointer = true;
    bool touchpad = false;
    bool supportsAcceleration = true;
    bool stuck = false;
    double speed = 0.0;

    double acceleration() const { return speed; }
    void setAcceleration(double value)
    {
        if (supportsAcceleration && !stuck)
            speed = value;
    }
};

class FakeKWinManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDeviceManager")
    Q_PROPERTY(QStringList devicesSysNames MEMBER names CONSTANT)

public:
    QStringList names;
};

// The child that plays KWin: a mouse (event3), a touchpad (event4), a keyboard (event5), a
// tablet without acceleration (event6); "stuck" adds a mouse that keeps its speed (event7).
int playKWin(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeKWinManager manager;
    std::vector<std::unique_ptr<FakeKWinDevice>> devices;
    const auto add = [&](const QString &name, bool pointer, bool touchpad, bool accelerates,
                         double speed) {
        auto device = std::make_unique<FakeKWinDevice>();
        device->pointer = pointer;
        device->touchpad = touchpad;
        device->supportsAcceleration = accelerates;
        device->speed = speed;
        bus.registerObject(QStringLiteral("/org/kde/KWin/InputDevice/") + name, device.get(),
            QDBusConnection::ExportAllProperties);
        manager.names << name;
        devices.push_back(std::move(device));
    };
    add(QStringLiteral("event3"), true, false, true, 0.0);
    add(QStringLiteral("event4"), true, true, true, 0.2);
    add(QStringLiteral("event5"), false, false, false, 0.0);
    add(QStringLiteral("event6"), true, false, false, 0.0);
    if (argc > 2 && qstrcmp(argv[2], "stuck") == 0) {
        add(QStringLiteral("event7"), true, false, true, -0.5);
        devices.back()->stuck = true;
    }
    bus.registerObject(QStringLiteral("/org/kde/KWin/InputDevice"), &manager,
        QDBusConnection::ExportAllProperties);
    if (!bus.registerService(QStringLiteral("org.kde.KWin")))
        return 2;
    return QCoreApplication::exec();
}

// The speed KWin holds for a device, read from the bus.
double kwinSpeed(const QString &device)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"),
        QStringLiteral("/org/kde/KWin/InputDevice/") + device,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.kde.KWin.InputDevice") << QStringLiteral("pointerAcceleration");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    return reply.arguments().value(0).value<QDBusVariant>().variant().toDouble();
}

}  // namespace

class TestPointerSettings : public QObject
{
    Q_OBJECT

    TestDesktop m_desktop;
    GSettings *m_mouse = nullptr;
    NoticeListener m_listener;

    QString kdeglobals() const { return m_desktop.path(QStringLiteral("kdeglobals")); }

    ChildRun runChild(const QStringList &arguments, const QString &backend, const QString &desktop,
        const QString &configHome)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_MESSAGE_PATTERN",
                 "QT_LOGGING_RULES", "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("GSETTINGS_BACKEND"), backend);
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktop);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
            QStringLiteral("unix:path=") + configHome + QStringLiteral("/no-bus"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), QStringList {"--apply"} + arguments);
        ChildRun run;
        if (!child.waitForFinished(20000) || child.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = child.exitCode();
        run.failures = QString::fromLocal8Bit(child.readAllStandardError())
                           .split(QLatin1Char('\n'))
                           .filter(QRegularExpression(QStringLiteral(" Failed$")));
        return run;
    }

private slots:
    void initTestCase()
    {
        const QString missing = m_desktop.start();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        m_mouse = m_desktop.mouse();
        const QByteArray address = m_desktop.busAddress();
        QDBusConnection listener =
            QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("listener"));
        QVERIFY(listener.isConnected());
        QVERIFY(listener.connect(QString(), QStringLiteral("/KGlobalSettings"),
            QStringLiteral("org.kde.KGlobalSettings"), QStringLiteral("notifyChange"), &m_listener,
            SLOT(notifyChange(int, int))));
    }
    void cleanupTestCase() { QDBusConnection::disconnectFromBus(QStringLiteral("listener")); }
    void cleanup()
    {
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        QFile::remove(kdeglobals());
        m_listener.notices.clear();
    }

    void sliderStep_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<uint>("step");
        const QList<QPair<int, uint>> rows {{3, 0}, {4, 1}, {36, 1}, {37, 2}, {103, 3}, {104, 4},
            {171, 5}, {172, 6}, {304, 9}, {305, 10}, {337, 10}, {-20, 0}, {900, 10}};
        for (const auto &[position, step] : rows)
            QTest::addRow("%d", position) << position << step;
    }
    void sliderStep()
    {
        QFETCH(int, position);
        QFETCH(uint, step);
        QCOMPARE(PointerSettings::sliderStep(position), step);
    }

    void scrollLines_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<uint>("lines");
        QTest::newRow("one") << 1 << 1u;
        QTest::newRow("hundred") << 100 << 100u;
        QTest::newRow("above hundred: one screen") << 101 << 1000u;
        QTest::newRow("one screen") << 1000 << 1000u;
        QTest::newRow("zero") << 0 << 1u;
    }
    void scrollLines()
    {
        QFETCH(int, rate);
        QFETCH(uint, lines);
        QCOMPARE(scrollLinesForRate(rate), lines);
    }

    void cursorSpeed_data()
    {
        QTest::addColumn<uint>("step");
        QTest::addColumn<double>("speed");
        QTest::newRow("slowest") << 0u << -1.0;
        QTest::newRow("desktop default") << 5u << 0.0;
        QTest::newRow("step 7") << 7u << 0.4;
        QTest::newRow("fastest") << 10u << 1.0;
    }
    void cursorSpeed()
    {
        QFETCH(uint, step);
        QFETCH(double, speed);
        g_settings_set_double(m_mouse, "speed", 0.5);
        QVERIFY(mouseSetCursorSpeed(step));
        QCOMPARE(g_settings_get_double(m_mouse, "speed"), speed);
        QCOMPARE(keyfileValue(m_desktop.configHome(), "speed").toDouble(), speed);
    }

    void doubleClick_data()
    {
        QTest::addColumn<uint>("step");
        QTest::addColumn<int>("ms");
        QTest::newRow("slowest") << 0u << 900;
        QTest::newRow("step 4") << 4u << 620;
        QTest::newRow("fastest") << 10u << 200;
    }
    void doubleClick()
    {
        QFETCH(uint, step);
        QFETCH(int, ms);
        g_settings_set_int(m_mouse, "double-click", 400);
        QVERIFY(mouseSetDoubleClickSpeed(step));
        QCOMPARE(g_settings_get_int(m_mouse, "double-click"), ms);
        QCOMPARE(keyfileValue(m_desktop.configHome(), "double-click"), QString::number(ms));
        QVERIFY(!QFile::exists(kdeglobals()));
    }

    void stepAboveTenFails()
    {
        g_settings_set_double(m_mouse, "speed", 0.2);
        g_settings_set_int(m_mouse, "double-click", 400);
        QTest::ignoreMessage(QtDebugMsg, "setCursorSpeed Failed");
        QVERIFY(!mouseSetCursorSpeed(11));
        QTest::ignoreMessage(QtDebugMsg, "setDoubleClickSpeed Failed");
        QVERIFY(!mouseSetDoubleClickSpeed(13));
        QCOMPARE(g_settings_get_double(m_mouse, "speed"), 0.2);
        QCOMPARE(g_settings_get_int(m_mouse, "double-click"), 400);
    }

    void refusedWrites()
    {
        QVERIFY(writeGSettingsDouble(kMouse, "speed", 0.3));  // the backend takes good ones
        QVERIFY(!writeGSettingsDouble("org.example.no-such-schema", "speed", 0.0));
        QVERIFY(!writeGSettingsDouble(kMouse, "no-such-key", 0.0));
        QVERIFY(!writeGSettingsDouble(kMouse, "speed", 1.5));  // outside −1 … 1
        QVERIFY(!writeGSettingsInt(kMouse, "speed", 1));       // wrong type
        QVERIFY(!writeGSettingsDouble(kMouse, "double-click", 400.0));
        QCOMPARE(g_settings_get_double(m_mouse, "speed"), 0.3);
    }

    void kdeglobalsEdit_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray("WheelScrollLines") << QByteArray()
                                 << QByteArray("[KDE]\nWheelScrollLines=7\n");
        QTest::newRow("no KDE group")
            << QByteArray("WheelScrollLines")
            << QByteArray("[Colors:Button]\nBackgroundNormal=49,54,59\n")
            << QByteArray(
                   "[Colors:Button]\nBackgroundNormal=49,54,59\n\n[KDE]\nWheelScrollLines=7\n");
        QTest::newRow("no final newline")
            << QByteArray("WheelScrollLines") << QByteArray("[General]\nXftDPI[$e]=96")
            << QByteArray("[General]\nXftDPI[$e]=96\n\n[KDE]\nWheelScrollLines=7\n");
        QTest::newRow("group without the key")
            << QByteArray("WheelScrollLines")
            << QByteArray("[KDE]\nSingleClick=false\n[General]\nWheelScrollLines=2\n")
            << QByteArray(
                   "[KDE]\nWheelScrollLines=7\nSingleClick=false\n[General]\nWheelScrollLines=2\n");
        QTest::newRow("key present")
            << QByteArray("WheelScrollLines")
            << QByteArray(
                   "; kept\n[KDE]\nLookAndFeelPackage=org.kde.breeze.desktop\nWheelScrollLines = "
                   "3\n[$Version]\nupdate_info=a\n")
            << QByteArray("; "
                          "kept\n[KDE]\nLookAndFeelPackage=org.kde.breeze."
                          "desktop\nWheelScrollLines=7\n[$Version]\nupdate_info=a\n");
        QTest::newRow("double-click beside the wheel lines")
            << QByteArray("DoubleClickInterval")
            << QByteArray("[KDE]\nWheelScrollLines=3\nDoubleClickIntervalMax=9\n")
            << QByteArray("[KDE]\nDoubleClickInterval=7\nWheelScrollLines=3\n"
                          "DoubleClickIntervalMax=9\n");
    }
    void kdeglobalsEdit()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(withKdeSetting(before, key, "7"), after);
    }

    // On Plasma: double-click time and wheel lines go to kdeglobals, each followed by the
    // change notice; the pointer speed has nowhere to go and fails.
    void kdeApplies()
    {
        writeFile(kdeglobals(), kKdeglobalsStart);
        g_settings_set_double(m_mouse, "speed", 0.2);
        g_settings_set_int(m_mouse, "double-click", 400);
        qputenv("XDG_CURRENT_DESKTOP", "KDE");

        QVERIFY(mouseSetDoubleClickSpeed(4));
        QCOMPARE(readFile(kdeglobals()),
            QByteArray("[Colors:View]\nForegroundNormal=252,252,252\n[KDE]\n"
                       "DoubleClickInterval=620\nWheelScrollLines=3\n"));
        QTRY_COMPARE(m_listener.notices, QStringList {"3 0"});

        QVERIFY(mouseSetVerticalScrollLines(scrollLinesForRate(250)));
        QCOMPARE(readFile(kdeglobals()),
            QByteArray("[Colors:View]\nForegroundNormal=252,252,252\n[KDE]\n"
                       "DoubleClickInterval=620\nWheelScrollLines=1000\n"));
        QTRY_COMPARE(m_listener.notices, QStringList({"3 0", "3 0"}));

        const QByteArray applied = readFile(kdeglobals());
        QTest::ignoreMessage(QtDebugMsg, "setCursorSpeed Failed");
        QVERIFY(!mouseSetCursorSpeed(7));
        QTest::ignoreMessage(QtDebugMsg, "setVerticalScrollLines Failed");
        QVERIFY(!mouseSetVerticalScrollLines(0));
        QTest::ignoreMessage(QtDebugMsg, "setDoubleClickSpeed Failed");
        QVERIFY(!mouseSetDoubleClickSpeed(11));
        QTest::qWait(100);
        QCOMPARE(readFile(kdeglobals()), applied);
        QCOMPARE(m_listener.notices.size(), 2);
        // Nothing went to the GNOME schema.
        QCOMPARE(g_settings_get_double(m_mouse, "speed"), 0.2);
        QCOMPARE(g_settings_get_int(m_mouse, "double-click"), 400);
    }

    // On Plasma under Wayland the speed goes to every mouse KWin has, and only to mice; where
    // KWin keeps a mouse's speed, or is not there (Plasma on X11), it fails.
    void kwinTakesTheSpeedOfEveryMouse_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("takes");
        QTest::newRow("KWin with a mouse") << "" << true;
        QTest::newRow("a mouse that keeps its speed") << "stuck" << false;
    }
    void kwinTakesTheSpeedOfEveryMouse()
    {
        QFETCH(QString, mode);
        QFETCH(bool, takes);
        writeFile(kdeglobals(), kKdeglobalsStart);
        g_settings_set_double(m_mouse, "speed", 0.2);
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        QProcess kwin;
        kwin.start(QCoreApplication::applicationFilePath(), {"--play-kwin", mode});
        QTRY_VERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("org.kde.KWin")));

        QVERIFY(canSetCursorSpeed());
        if (!takes)
            QTest::ignoreMessage(QtDebugMsg, "setCursorSpeed Failed");
        QCOMPARE(mouseSetCursorSpeed(8), takes);
        QCOMPARE(kwinSpeed(QStringLiteral("event3")), 0.6);
        QCOMPARE(kwinSpeed(QStringLiteral("event4")), 0.2);  // the touchpad keeps its own
        QCOMPARE(kwinSpeed(QStringLiteral("event6")), 0.0);
        QCOMPARE(readFile(kdeglobals()), QByteArray(kKdeglobalsStart));
        QCOMPARE(g_settings_get_double(m_mouse, "speed"), 0.2);

        kwin.kill();
        kwin.waitForFinished();
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("org.kde.KWin")));
        QVERIFY(!canSetCursorSpeed());
        QTest::ignoreMessage(QtDebugMsg, "setCursorSpeed Failed");
        QVERIFY(!mouseSetCursorSpeed(8));
    }

    void scrollLinesElsewhereFail()
    {
        QTest::ignoreMessage(QtDebugMsg, "setVerticalScrollLines Failed");
        QVERIFY(!mouseSetVerticalScrollLines(3));
        QVERIFY(!QFile::exists(kdeglobals()));
        QVERIFY(m_listener.notices.isEmpty());
    }

    // Child copies, none of them with a session bus.
    void withoutAPlaceToKeepThem_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("failures");
        const QStringList gnomeArguments {"speed", "7", "double-click", "4"};
        const QStringList gnomeFailures {"setCursorSpeed Failed", "setDoubleClickSpeed Failed"};
        QTest::newRow("GSettings in memory only") << "memory"
                                                  << "GNOME" << gnomeArguments << gnomeFailures;
        QTest::newRow("dconf that cannot reach its service")
            << "dconf"
            << "GNOME" << gnomeArguments << gnomeFailures;
        QTest::newRow("KDE without a bus")
            << "keyfile"
            << "KDE" << QStringList {"double-click", "4", "wheel", "3"}
            << QStringList {"setDoubleClickSpeed Failed", "setVerticalScrollLines Failed"};
        // The same child on a backend that keeps the values: nothing fails.
        QTest::newRow("keyfile") << "keyfile"
                                 << "GNOME" << gnomeArguments << QStringList();
    }
    void withoutAPlaceToKeepThem()
    {
        QFETCH(QString, backend);
        QFETCH(QString, desktop);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, failures);
        QTemporaryDir config;
        const ChildRun run = runChild(arguments, backend, desktop, config.path());
        QCOMPARE(run.failures, failures);
        QCOMPARE(run.exitCode, failures.isEmpty() ? 0 : 1);
        QVERIFY(!QFile::exists(config.filePath(QStringLiteral("kdeglobals"))));
        if (failures.isEmpty()) {
            QCOMPARE(keyfileValue(config.path(), "speed").toDouble(), 0.4);
            QCOMPARE(keyfileValue(config.path(), "double-click"), QStringLiteral("620"));
        }
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--apply") == 0)
        return applyAndExit(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--play-kwin") == 0)
        return playKWin(argc, argv);
    QCoreApplication app(argc, argv);
    TestPointerSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pointer_settings.moc"
