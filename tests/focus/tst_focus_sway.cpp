// Profiles that follow native Wayland windows, on a real wlroots compositor: the test runs
// inside a headless sway session (tests/wayland/sway_session.sh), starts two Wayland windows
// with known app ids (itself, started again with --window), moves the focus between them with
// swaymsg, and watches the simulated mouse's wire. The program itself renders offscreen; only
// its focus source talks to sway.

#include "scene_rig.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
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

// A plain Wayland window whose app id is the desktop file name it is given.
class TestWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkCyan);
    }
};

int runWindow(int argc, char **argv, const QString &appId)
{
    qputenv("QT_QPA_PLATFORM", "wayland");
    QGuiApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(appId);
    TestWindow window;
    window.resize(320, 200);
    window.setTitle(appId);
    window.show();
    return app.exec();
}

bool swaymsg(const QString &command)
{
    QProcess process;
    process.start(QStringLiteral("swaymsg"), {command});
    return process.waitForFinished(5000) && process.exitCode() == 0;
}

// The app ids sway has mapped so far.
QString swayTree()
{
    QProcess process;
    process.start(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class TestFocusSway : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void appIdRuleFollowsTheFocus();
    void flappingFasterThanTheHoldWritesNothing();

private:
    void writeRules(const QString &appId, int profile)
    {
        QFile file(rig->file(QStringLiteral("modules/setting/programs.bin")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[switching]\nautomatic=true\ndefault=0\n[rules]\nsize=1\n"
                                  "1\\program=%1\n1\\match=class\n1\\profile=%2\n"
                                  "1\\trigger=focus\n")
                       .arg(appId)
                       .arg(profile)
                       .toUtf8());
    }
    bool focus(const QString &appId)
    {
        return swaymsg(QStringLiteral("[app_id=\"%1\"] focus").arg(appId));
    }
    int profileInUse() const { return rig->globalValue("mouse/profileNo").toInt(); }
    int stageCount() const { return int(rig->state().dpiStageCount); }

    std::unique_ptr<SceneRig> rig;
    QProcess windows[2];
};

void TestFocusSway::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("SWAYSOCK"))
        QSKIP("not inside a sway session: run through tests/wayland/sway_session.sh");
    const char *ids[] = {"shooter", "notes"};
    for (int i = 0; i < 2; ++i) {
        windows[i].setProcessChannelMode(QProcess::ForwardedChannels);
        windows[i].start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--window"), QLatin1String(ids[i])});
        QVERIFY(windows[i].waitForStarted());
    }
    QTRY_VERIFY_WITH_TIMEOUT(swayTree().contains(QLatin1String("\"app_id\": \"shooter\""))
            && swayTree().contains(QLatin1String("\"app_id\": \"notes\"")),
        10000);
}

// Profiles 0 (four DPI stages) and 2 (two): the stage count on the mouse tells which
// profile's pages were sent last.
void TestFocusSway::init()
{
    rig = std::make_unique<SceneRig>();
    QSettings(rig->file("modules/setting/name.bin"), QSettings::IniFormat)
        .setValue("profile/profileName", QStringList {"Standard0", "Work1", "Game2"});
    rig->setProfileValue(2, "mouse/currentDpiCount", 2);
    QVERIFY(focus(QStringLiteral("notes")));
}

void TestFocusSway::cleanup()
{
    rig.reset();
}

void TestFocusSway::appIdRuleFollowsTheFocus()
{
    writeRules(QStringLiteral("shooter"), 2);
    QVERIFY(rig->start());
    QTest::qWait(300);  // the start's own focus report settles
    sim::clearWireLog();

    const auto focusTime = std::chrono::steady_clock::now();
    QVERIFY(focus(QStringLiteral("shooter")));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 2, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 2, kSwitchWaitMs);
    const auto records = commandRecords();
    QVERIFY(!records.empty());
    const auto firstReport = records.front().time - focusTime;
    QVERIFY(firstReport >= std::chrono::milliseconds(kHoldMs - 20));
    qInfo("focus change to the first report on the wire: %lld ms",
        qlonglong(std::chrono::duration_cast<std::chrono::milliseconds>(firstReport).count()));

    QVERIFY(rig->waitForQuietWire());
    QVERIFY(focus(QStringLiteral("notes")));
    QTRY_COMPARE_WITH_TIMEOUT(profileInUse(), 0, kSwitchWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(stageCount(), 4, kSwitchWaitMs);
}

void TestFocusSway::flappingFasterThanTheHoldWritesNothing()
{
    writeRules(QStringLiteral("shooter"), 2);
    QVERIFY(rig->start());
    QTest::qWait(300);
    sim::clearWireLog();
    for (int i = 0; i < 4; ++i) {
        QVERIFY(focus(QStringLiteral("shooter")));
        QTest::qWait(kHoldMs / 4);
        QVERIFY(focus(QStringLiteral("notes")));
        QTest::qWait(kHoldMs / 4);
    }
    QTest::qWait(2 * kHoldMs);
    QVERIFY(commandRecords().empty());
    QCOMPARE(profileInUse(), 0);
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--window") == 0)
        return runWindow(argc, argv, QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    TestFocusSway test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_focus_sway.moc"
