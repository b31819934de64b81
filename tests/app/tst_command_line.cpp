// The command line as a script uses it. With a running copy: this test process is that copy
// (the real window and scene over the simulated mouse) and starts copies of its own executable
// as the command, which find it through the single-instance channel. With nothing running:
// the simulated program, copied into a fresh installation folder, does the work itself.

#include "command_executor.h"
#include "private_channel.h"
#include "qtsinglecoreapplication.h"
#include "scene_rig.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace simtest;

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Waits with the event loop turning: the running copy is this process.
Run finish(QProcess &process)
{
    Run run;
    if (!SceneDriver::waitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
        return run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A user made for the test, for the attacks of another user; empty where none can be made.
QString otherUser()
{
    const QString name = QStringLiteral("strylaother");
    if (QProcess::execute("id", {"-u", name}) != 0)
        QProcess::execute("useradd", {"--no-create-home", name});
    return QProcess::execute("id", {"-u", name}) == 0 ? name : QString();
}

// A folder any user may write in, each only over their own files (as /tmp is).
QString shareFolder(const QTemporaryDir &folder)
{
    ::chmod(QFile::encodeName(folder.path()).constData(), 01777);
    return folder.path();
}

// Every file below folder with its contents.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(file.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
    }
    return files;
}

}  // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void switchThroughTheRunningCopy();
    void aCommandDuringASaveWaitsForIt();
    void switchWithNothingRunning();
    void listingsAsJson();
    void exportThenImport();
    void usageErrors_data();
    void usageErrors();
    void manualPageListsTheOptionsOfHelp();
    void refusedSwitchSendsNothing();
    void switchRefusedWithUnsavedChanges();
    void profileNamesBeforeNumbers();
    void exportOnlyOntoFiles();
    void exportIgnoresAnotherUsersLink();
    void importOnlyProfiles();
    void importIgnoresASwappedPipe();
    void namesListedSafely();
    void concurrentCallsTakeTurns();
    void startWaitsForACommand();
    void completionOffersProfileNames();
    void givingUpHasItsOwnCode();

private:
    // This test's own executable as the command: it hands over to this process.
    QProcess *startCommand(const QStringList &arguments, const QString &folder = QDir::tempPath());
    // The simulated program installed in the rig's folder, run with nothing running.
    Run runProgram(const QStringList &arguments, const QStringList &environment = {},
        const QString &folder = QDir::tempPath());
    QProcess *startProgram(const QStringList &arguments, const QStringList &environment = {},
        const QString &folder = QDir::tempPath());
    void writeProfileNames(const QStringList &names);
    // Starts the window and answers the commands that reach this process, as the program does.
    bool startRunningCopy();
    SceneDriver &scene() { return *rig->scene; }

    std::unique_ptr<CommandLine::Executor> executor;

    std::unique_ptr<SceneRig> rig;
    QString program;
};

void TestCommandLine::init()
{
    rig = std::make_unique<SceneRig>();
    writeProfileNames({"Standard0", "Work1"});
    rig->setProfileValue(1, "mouse/reportRate", 89);  // lift-off 125 on the device
    program = rig->file(QStringLiteral("stryla-config-sim"));
    QFile::copy(QStringLiteral(STRYLA_BINARY_DIR "/stryla-config-sim"), program);
}

void TestCommandLine::cleanup()
{
    executor.reset();
    rig.reset();
}

bool TestCommandLine::startRunningCopy()
{
    if (!rig->start())
        return false;
    executor =
        std::make_unique<CommandLine::Executor>(rig->window->view()->store(), rig->window.get());
    executor->serve(*static_cast<QtSingleCoreApplication *>(QCoreApplication::instance()));
    return true;
}

void TestCommandLine::writeProfileNames(const QStringList &names)
{
    QSettings file(rig->file(QStringLiteral("modules/setting/name.bin")), QSettings::IniFormat);
    file.setValue(QStringLiteral("profile/profileName"), names);
}

QProcess *TestCommandLine::startCommand(const QStringList &arguments, const QString &folder)
{
    auto *process = new QProcess(this);
    process->setWorkingDirectory(folder);
    process->start(QCoreApplication::applicationFilePath(), QStringList {"--command"} + arguments);
    return process;
}

// The simulated program started from folder (files are named from elsewhere); environment
// entries are NAME=value, or -NAME to remove one.
QProcess *TestCommandLine::startProgram(
    const QStringList &arguments, const QStringList &environment, const QString &folder)
{
    auto *process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        if (entry.startsWith(QLatin1Char('-')))
            env.remove(entry.mid(1));
        else
            env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    }
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(folder);
    process->start(program, arguments);
    return process;
}

Run TestCommandLine::runProgram(
    const QStringList &arguments, const QStringList &environment, const QString &folder)
{
    QScopedPointer<QProcess> process(startProgram(arguments, environment, folder));
    return finish(*process);
}

void TestCommandLine::switchThroughTheRunningCopy()
{
    QVERIFY(startRunningCopy());
    QScopedPointer<QProcess> command(startCommand({"--profile", "2"}));
    Run run = finish(*command);
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("2 Work\n"));
    QCOMPARE(int(rig->state().liftOff), 125);
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), 1);
    QCOMPARE(scene().property("profileDropDown", "currentIndex").toInt(), 1);
    QCOMPARE(scene().property("profileDropDown", "model").toStringList().value(1),
        QStringLiteral("Work"));

    // A relative file is the caller's, not the running copy's.
    const QString caller = rig->file(QStringLiteral("caller"));
    QVERIFY(QDir().mkpath(caller));
    command.reset(startCommand({"--export-profile", "Work", "out.pf"}, caller));
    QCOMPARE(finish(*command).code, 0);
    QCOMPARE(rig->fileBytes(caller + "/out.pf"), rig->fileBytes(rig->profileFile(1)));
    // The caller's standard output, not the running copy's.
    command.reset(startCommand({"--export-profile", "Work", "/dev/stdout"}));
    run = finish(*command);
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, rig->fileBytes(rig->profileFile(1)));

    // More than the running copy takes is refused at once.
    QElapsedTimer clock;
    clock.start();
    command.reset(startCommand({"--profile", QString(40000, QLatin1Char('x'))}));
    run = finish(*command);
    QCOMPARE(run.code, 4);
    QCOMPARE(run.err, QByteArray("The command is too long.\n"));
    QVERIFY2(clock.elapsed() < 10000, QByteArray::number(clock.elapsed()).constData());

    sim::clearWireLog();
    command.reset(startCommand({"--profile", "nosuch"}));
    run = finish(*command);
    QCOMPARE(run.code, 4);
    QCOMPARE(run.err, QByteArray("No profile \"nosuch\".\n"));
    QVERIFY(run.out.isEmpty());
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), 1);
}

// The command arrives while the first report of a Save waits out its pause: it is taken at
// once but done only when the Save is over, into the profile the Save wrote.
void TestCommandLine::aCommandDuringASaveWaitsForIt()
{
    auto *app = static_cast<QtSingleCoreApplication *>(QCoreApplication::instance());
    QSignalSpy received(app, &QtSingleCoreApplication::requestReceived);
    QVERIFY(startRunningCopy());
    QVERIFY(scene().setSlider("lodSlider", 20));

    QScopedPointer<QProcess> command;
    QTimer probe;
    probe.setInterval(5);
    connect(&probe, &QTimer::timeout, this, [&] {
        if (!rig->window->hid().isCommandInProgress())
            return;
        probe.stop();
        command.reset(startCommand({"--profile", "Work"}));
        SceneDriver::waitFor([&] { return received.count() == 1; }, 20000);
    });
    QVERIFY(scene().waitUsable("saveButton"));
    probe.start();
    // The Save button starts the flow once its press has returned; the flow itself is called
    // here, so that it is over when the call returns.
    scene().evaluate(QStringLiteral("flows.save()"));
    // The Save is over; the command was taken during it and has not been done yet.
    QCOMPARE(received.count(), 1);
    QCOMPARE(scene().evaluate("profileNo").toInt(), 0);
    const std::vector<sim::WireRecord> saved = sim::wireLog();

    const Run run = finish(*command);
    QCOMPARE(run.code, 0);
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), 1);
    QCOMPARE(rig->profileValue(0, "mouse/reportRate").toInt(), 20);
    QCOMPARE(int(rig->state().liftOff), 125);
    const std::vector<sim::WireRecord> all = sim::wireLog();
    QVERIFY(all.size() > saved.size());
    QCOMPARE(sim::formatWireLog({all.begin(), all.begin() + long(saved.size())}),
        sim::formatWireLog(saved));
}

void TestCommandLine::switchWithNothingRunning()
{
    const QString wire = rig->file(QStringLiteral("wire.log"));
    const QByteArray config = rig->fileBytes(rig->file("modules/setting/apConfig.bin"));
    Run run = runProgram({"--profile", "2"}, {"STRYLA_SIM_DEVICE=none"});
    QCOMPARE(run.code, 3);
    QCOMPARE(run.err, QByteArray("No device connected.\n"));
    QCOMPARE(rig->fileBytes(rig->file("modules/setting/apConfig.bin")), config);

    // Where no session bus is, the desktop's settings libraries print warnings of their own;
    // the command prints its answer only.
    run = runProgram({"--profile", "2"},
        {"STRYLA_SIM_WIRE_LOG=" + wire, "-GSETTINGS_BACKEND", "-DBUS_SESSION_BUS_ADDRESS",
            "-DISPLAY"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("2 Work\n"));
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), 1);
    // The lift-off distance of profile 2 reached the mouse (553 command 07H, value 0x7D).
    QVERIFY2(rig->fileBytes(wire).contains("FeatureOut   00 07 00 7D 7D"),
        rig->fileBytes(wire).constData());
}

void TestCommandLine::listingsAsJson()
{
    rig->dir.setGlobal(QStringLiteral("mouse/profileNo"), 1);
    Run run = runProgram({"--list-profiles", "--json"});
    QCOMPARE(run.code, 0);
    const QJsonArray profiles = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(profiles.size(), 2);
    QCOMPARE(profiles.at(0).toObject(),
        QJsonObject({{"number", 1}, {"name", "Standard"}, {"inUse", false}}));
    QCOMPARE(
        profiles.at(1).toObject(), QJsonObject({{"number", 2}, {"name", "Work"}, {"inUse", true}}));
    QCOMPARE(runProgram({"--list-profiles"}).out, QByteArray("  1 Standard\n* 2 Work\n"));
    writeProfileNames({"Standard0", "Work1", "C2", "D3", "E4", "Last5"});
    rig->dir.setGlobal(QStringLiteral("mouse/profileNo"), 5);
    QCOMPARE(runProgram({"--current-profile"}).out, QByteArray("6 Last\n"));
    writeProfileNames({"Standard0", "Work1"});
    rig->dir.setGlobal(QStringLiteral("mouse/profileNo"), 1);

    run = runProgram({"--list-devices", "--json"});
    QCOMPARE(run.code, 0);
    // The reference list: the keyboard, then the mouse, which the simulated program plugs in.
    const QJsonArray devices = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(devices.size(), 2);
    QCOMPARE(devices.at(0).toObject(),
        QJsonObject(
            {{"kind", "keyboard"}, {"id", "04d9:8008"}, {"connected", false}, {"family", "553"}}));
    QCOMPARE(devices.at(1).toObject(),
        QJsonObject(
            {{"kind", "mouse"}, {"id", "04d9:a1ee"}, {"connected", true}, {"family", "553"}}));
}

void TestCommandLine::exportThenImport()
{
    const QString exported = rig->file(QStringLiteral("work.pf"));
    Run run = runProgram({"--export-profile", "Work", exported});
    QCOMPARE(run.code, 0);
    QCOMPARE(rig->fileBytes(exported), rig->fileBytes(rig->profileFile(1)));

    // The next free profile number not in use (2) and the name given.
    run = runProgram({"--import-profile", exported, "Copy"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("3 Copy\n"));
    QCOMPARE(rig->fileBytes(rig->profileFile(2)), rig->fileBytes(exported));
    QSettings names(rig->file("modules/setting/name.bin"), QSettings::IniFormat);
    QCOMPARE(names.value("profile/profileName").toStringList(),
        QStringList({"Standard0", "Work1", "Copy2"}));

    // Refusals change no file: a name in use, an unreadable file, a seventh profile.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(runProgram({"--import-profile", exported}).code, 0);
    const QMap<QString, QByteArray> before = snapshot(rig->file("modules"));
    const QList<QPair<QStringList, QByteArray>> refusals = {
        {{"--import-profile", exported}, "There are six profiles already"},
        {{"--export-profile", "nosuch", exported}, "No profile \"nosuch\"."},
    };
    for (const auto &[arguments, why] : refusals) {
        run = runProgram(arguments);
        QCOMPARE(run.code, 4);
        QVERIFY2(run.err.startsWith(why) && run.err.count('\n') == 1, run.err.constData());
    }
    runProgram({"--export-profile", "1", exported});
    QCOMPARE(snapshot(rig->file("modules")), before);
    writeProfileNames({"Standard0", "Work1"});
    const QMap<QString, QByteArray> two = snapshot(rig->file("modules"));
    QCOMPARE(runProgram({"--import-profile", exported, "Work"}).code, 4);
    QCOMPARE(runProgram({"--import-profile", rig->file("missing.pf")}).code, 4);
    QCOMPARE(snapshot(rig->file("modules")), two);
}

void TestCommandLine::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown option") << QStringList {"--profiel", "2"};
    QTest::newRow("missing value") << QStringList {"--profile"};
    QTest::newRow("no command") << QStringList {"--json"};
    QTest::newRow("two commands") << QStringList {"--list-profiles", "--current-profile"};
    QTest::newRow("json with a switch") << QStringList {"--profile", "1", "--json"};
    QTest::newRow("export without a file") << QStringList {"--export-profile", "1"};
    QTest::newRow("stray argument") << QStringList {"--list-devices", "extra"};
    QTest::newRow("option twice") << QStringList {"--list-profiles", "--list-profiles"};
}

void TestCommandLine::usageErrors()
{
    QFETCH(QStringList, arguments);
    const QMap<QString, QByteArray> before = snapshot(rig->file("modules"));
    const Run run = runProgram(arguments);
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.contains("\nUsage: "), run.err.constData());
    QVERIFY(run.out.isEmpty());
    QCOMPARE(snapshot(rig->file("modules")), before);
}

// Every option of --help is in the manual page the package installs, and no other.
void TestCommandLine::manualPageListsTheOptionsOfHelp()
{
    const Run help = runProgram({"--help"});
    QCOMPARE(help.code, 0);
    const QRegularExpression helpOption(
        QStringLiteral("^  (?:-\\w, )?--([\\w-]+)"), QRegularExpression::MultilineOption);
    QStringList inHelp;
    for (const auto &match : helpOption.globalMatch(QString::fromLocal8Bit(help.out)))
        inHelp << match.captured(1);

    QFile man(QStringLiteral(STRYLA_BINARY_DIR "/stryla-config.1"));
    QVERIFY(man.open(QIODevice::ReadOnly));
    const QRegularExpression manOption(
        QStringLiteral("^\\.TP\\n(?:\\\\fB\\\\-\\w\\\\fR, )?\\\\fB\\\\-\\\\-([\\w\\\\-]+)\\\\fR"),
        QRegularExpression::MultilineOption);
    QStringList inMan;
    const QString page = QString::fromUtf8(man.readAll());
    for (const auto &match : manOption.globalMatch(page))
        inMan << match.captured(1).remove(QLatin1Char('\\'));
    QVERIFY(inHelp.size() >= 8);
    QCOMPARE(inMan, inHelp);
    // The arguments too, each with its text.
    const QString helpText = QString::fromLocal8Bit(help.out).simplified();
    const QString arguments =
        page.section(QStringLiteral(".SH ARGUMENTS\n"), 1).section(QStringLiteral(".SH "), 0, 0);
    for (const QString &argument : {QStringLiteral("FILE"), QStringLiteral("NAME")}) {
        const QRegularExpression entry(
            QStringLiteral("\\.TP\n\\\\fI%1\\\\fR\n([^\n]+)\n").arg(argument));
        const QString text = entry.match(arguments).captured(1).remove(QLatin1Char('\\'));
        QVERIFY2(!text.isEmpty() && helpText.contains(argument + " " + text), qPrintable(argument));
    }
}

// A refused argument is found before the device is opened: nothing goes on the wire.
void TestCommandLine::refusedSwitchSendsNothing()
{
    const QString wire = rig->file(QStringLiteral("wire.log"));
    const Run run = runProgram({"--profile", "0"}, {"STRYLA_SIM_WIRE_LOG=" + wire});
    QCOMPARE(run.code, 4);
    QCOMPARE(run.err, QByteArray("No profile \"0\".\n"));
    QCOMPARE(rig->fileBytes(wire), QByteArray());
}

void TestCommandLine::switchRefusedWithUnsavedChanges()
{
    QVERIFY(startRunningCopy());
    QVERIFY(scene().setSlider("lodSlider", 20));
    QVERIFY(scene().evaluate("unsaved").toBool());
    sim::clearWireLog();
    QScopedPointer<QProcess> command(startCommand({"--profile", "2"}));
    const Run run = finish(*command);
    QCOMPARE(run.code, 4);
    QCOMPARE(run.err, QByteArray("The window has unsaved changes; save or discard them first.\n"));
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(scene().evaluate("profileNo").toInt(), 0);
    QVERIFY(!scene().evaluate("questionBox.visible").toBool());
}

// A name wins over a number; the first profile answers to its name in every shipped language.
void TestCommandLine::profileNamesBeforeNumbers()
{
    writeProfileNames({QStringLiteral("标准0"), "Work1", "22"});
    Run run = runProgram({"--profile", "2"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("3 2\n"));
    QCOMPARE(rig->globalValue("mouse/profileNo").toInt(), 2);
    run = runProgram({"--profile", "Standard"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("1 Standard\n"));  // the window names it in its language
    writeProfileNames({"Standard0", "Work1"});
    run = runProgram({"--profile", QStringLiteral("标准")});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("1 Standard\n"));
}

// Export writes a regular file or a new name, beside the caller for a relative name, or to
// standard output; never onto a pipe, a device or the program's own files.
void TestCommandLine::exportOnlyOntoFiles()
{
    const QString caller = rig->file(QStringLiteral("caller"));
    QVERIFY(QDir().mkpath(caller));
    QCOMPARE(runProgram({"--export-profile", "Work", "out.pf"}, {}, caller).code, 0);
    QCOMPARE(rig->fileBytes(caller + "/out.pf"), rig->fileBytes(rig->profileFile(1)));
    Run run = runProgram({"--export-profile", "Work", "-"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, rig->fileBytes(rig->profileFile(1)));

    const QString fifo = rig->file(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QStringList targets {fifo, rig->profileFile(0)};
    const QString device = rig->file(QStringLiteral("null"));
    if (::geteuid() == 0
        && ::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets << device;
    const QByteArray profile1 = rig->fileBytes(rig->profileFile(0));
    for (const QString &target : std::as_const(targets)) {
        run = runProgram({"--export-profile", "Work", target});
        QCOMPARE(run.code, 4);
        QCOMPARE(run.err.count('\n'), 1);
    }
    QVERIFY(QFileInfo(fifo).isFile() == false && QFileInfo::exists(fifo));
    QCOMPARE(rig->fileBytes(rig->profileFile(0)), profile1);
    if (targets.size() == 3)
        QVERIFY(!QFileInfo(device).isFile());

    // A link is never written through: neither to a file nor, dangling, into the own files.
    const QString victim = rig->file(QStringLiteral("victim"));
    QFile(victim).open(QIODevice::WriteOnly);
    const QList<QPair<QString, QString>> links {{"to-file.pf", victim},
        {"l-prog", rig->file("modules/setting/programs.bin")},
        {"l-macro", rig->file("modules/macro/evil.bin")}};
    QFile::remove(links.at(1).second);
    const QMap<QString, QByteArray> before = snapshot(rig->file("modules"));
    for (const auto &[name, target] : links) {
        QVERIFY(QFile::link(target, caller + "/" + name));
        run = runProgram({"--export-profile", "Work", name}, {}, caller);
        QCOMPARE(run.code, 4);
        QCOMPARE(run.err, (caller + "/" + name + " is a link; nothing is written\n").toUtf8());
        QVERIFY(QFileInfo(caller + "/" + name).isSymLink());
    }
    QCOMPARE(rig->fileBytes(victim), QByteArray());
    QCOMPARE(snapshot(rig->file("modules")), before);

    // The caller's own descriptors are written by the caller; other names of its process are
    // refused.
    run = runProgram({"--export-profile", "Work", "/dev/fd/1"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, rig->fileBytes(rig->profileFile(1)));
    run = runProgram({"--export-profile", "Work", "/proc/self/environ"});
    QCOMPARE(run.code, 4);
    QVERIFY2(run.err.startsWith("/proc/self/environ names this command's own process"),
        run.err.constData());
}

// Another user's link in a shared folder, there before the export or swapped in and out while
// it runs: the file it points to is never made.
void TestCommandLine::exportIgnoresAnotherUsersLink()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as a second user");
    const QString other = otherUser();
    QVERIFY(!other.isEmpty());
    QTemporaryDir folder;
    const QString shared = shareFolder(folder);
    const QString closed = rig->file(QStringLiteral("root-only"));
    QVERIFY(QDir().mkpath(closed));
    const QString planted = closed + QStringLiteral("/planted");
    const QString target = shared + QStringLiteral("/shooter.pf");
    // The other user's link, in place for five seconds, then gone and back again and again for
    // ten seconds (until an export puts a file of its own there).
    QProcess swapper;
    swapper.start("runuser",
        {"-u", other, "--", "/usr/bin/python3", "-c",
            "import os, sys, time\n"
            "link, planted = sys.argv[1], sys.argv[2]\n"
            "os.symlink(planted, link); print('ready', flush=True); time.sleep(5)\n"
            "end = time.time() + 10\n"
            "while time.time() < end:\n"
            "    try:\n"
            "        os.unlink(link); os.symlink(planted, link)\n"
            "    except OSError:\n"
            "        pass\n",
            target, planted});
    QVERIFY(swapper.waitForReadyRead(10000));
    for (int i = 0; i < 8; ++i) {
        const Run run = runProgram({"--export-profile", "Work", target});
        QVERIFY2(run.code == 0 || run.code == 4, run.err.constData());
        QVERIFY(!QFileInfo::exists(planted));
    }
    QVERIFY(swapper.waitForFinished(20000));
    QVERIFY(!QFileInfo::exists(planted));
}

// Only a file that reads as a profile is imported; damaged and oversized files add nothing.
void TestCommandLine::importOnlyProfiles()
{
    const QString damaged = rig->file(QStringLiteral("damaged.pf"));
    QFile random(damaged);
    QVERIFY(random.open(QIODevice::WriteOnly));
    for (int i = 0; i < 4000; ++i)
        random.putChar(char((i * 7919) % 251));
    random.close();
    const QString oversized = rig->file(QStringLiteral("oversized.pf"));
    QFile large(oversized);
    QVERIFY(large.open(QIODevice::WriteOnly));
    large.write(
        rig->fileBytes(rig->profileFile(1)) + "[padding]\n" + QByteArray(200 * 1024, 'a') + "=1\n");
    large.close();
    const QMap<QString, QByteArray> before = snapshot(rig->file("modules"));
    for (const QString &file : {damaged, oversized, QStringLiteral("/proc/self/status")}) {
        const Run run = runProgram({"--import-profile", file});
        QCOMPARE(run.code, 4);
        QCOMPARE(run.err.count('\n'), 1);
    }
    QCOMPARE(snapshot(rig->file("modules")), before);

    // Refused from standard input, it is named so.
    QScopedPointer<QProcess> piped(startProgram({"--import-profile", "-"}));
    piped->write("not a profile");
    piped->closeWriteChannel();
    const Run run = finish(*piped);
    QCOMPARE(run.code, 4);
    QCOMPARE(run.err, QByteArray("standard input is not a profile file; nothing is added\n"));
}

// Another user swaps a profile file and a pipe of theirs while imports run: every import ends
// at once, with the profile or with a refusal, never waiting on the pipe.
void TestCommandLine::importIgnoresASwappedPipe()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as a second user");
    const QString other = otherUser();
    QVERIFY(!other.isEmpty());
    QTemporaryDir folder;
    const QString shared = shareFolder(folder);
    const QString profile = shared + QStringLiteral("/good.pf");
    QVERIFY(QFile::copy(rig->profileFile(1), shared + "/source.pf"));
    QProcess swapper;
    swapper.start("runuser",
        {"-u", other, "--", "/usr/bin/python3", "-c",
            "import ctypes, os, shutil, sys, time\n"
            "good, source = sys.argv[1], sys.argv[2]\n"
            "shutil.copyfile(source, good); os.mkfifo(good + '.fifo')\n"
            "libc = ctypes.CDLL(None, use_errno=True); print('ready', flush=True)\n"
            "end = time.time() + 15\n"
            "while time.time() < end:\n"
            "    libc.renameat2(-100, good.encode(), -100, (good + '.fifo').encode(), 2)\n",
            profile, shared + "/source.pf"});
    QVERIFY(swapper.waitForReadyRead(10000));
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer clock;
        clock.start();
        const Run run = runProgram({"--import-profile", profile});
        QVERIFY2(run.code == 0 || run.code == 4, run.err.constData());
        QVERIFY2(clock.elapsed() < 10000, QByteArray::number(clock.elapsed()).constData());
        writeProfileNames({"Standard0", "Work1"});
    }
    swapper.kill();
    swapper.waitForFinished();
}

// Names with control characters are printed escaped and kept exact in JSON; new ones are
// refused.
void TestCommandLine::namesListedSafely()
{
    const QString hostile = QStringLiteral("\x1b]0;TITLE\a\x1b[2J\x7f\u0085\u009b\u202e");
    writeProfileNames({"Standard0", "no number", hostile + "1"});  // the second is left out
    Run run = runProgram({"--list-profiles"});
    QCOMPARE(run.out,
        QByteArray("* 1 Standard\n  2 \\x1b]0;TITLE\\x07\\x1b[2J\\x7f\\x85\\x9b\\xe2\\x80\\xae\n"));
    run = runProgram({"--list-profiles", "--json"});
    QCOMPARE(QJsonDocument::fromJson(run.out).array().at(1).toObject().value("name").toString(),
        hostile);
    run = runProgram({"--export-profile", "1", rig->file("a.pf")});
    QCOMPARE(run.code, 0);
    const QMap<QString, QByteArray> before = snapshot(rig->file("modules"));
    run = runProgram({"--import-profile", rig->file("a.pf"), "two\nlines"});
    QCOMPARE(run.code, 4);
    QCOMPARE(snapshot(rig->file("modules")), before);
}

// With nothing running, twenty calls at once each get their turn.
void TestCommandLine::concurrentCallsTakeTurns()
{
    QList<QProcess *> calls;
    for (int i = 0; i < 20; ++i)
        calls << startProgram(i % 7 == 0 ? QStringList {"--profile", QString::number(1 + i % 2)}
                                         : QStringList {"--list-profiles"});
    for (QProcess *call : std::as_const(calls)) {
        const Run run = finish(*call);
        QVERIFY2(run.code == 0, run.err.constData());
    }
}

// A start during a headless switch (its exchanges with the mouse have begun) waits for it,
// then is the running copy.
void TestCommandLine::startWaitsForACommand()
{
    const QString wire = rig->file(QStringLiteral("wire.log"));
    QScopedPointer<QProcess> command(
        startProgram({"--profile", "2"}, {"STRYLA_SIM_WIRE_LOG=" + wire}));
    // The command listens once it holds the lock.
    const QString socket = PrivateChannel::chooseFolder().path
        + QStringLiteral("/stryla-config-%1-%2.socket")
              .arg(QString::number(::geteuid()),
                  QCryptographicHash::hash(
                      QFileInfo(program).canonicalFilePath().toUtf8(), QCryptographicHash::Sha1)
                      .toHex()
                      .left(16));
    QVERIFY(SceneDriver::waitFor([&] { return QFileInfo::exists(socket); }, 20000));
    // Held still until the start has knocked, so that it meets the command at work.
    ::kill(pid_t(command->processId()), SIGSTOP);
    QScopedPointer<QProcess> start(startProgram({}));
    // A start that may wait less gives up while the command is stopped, with its own code.
    QScopedPointer<QProcess> impatient(startProgram({}, {"STRYLA_TEST_TURN_WAIT_MS=1500"}));
    const Run gaveUp = finish(*impatient);
    QCOMPARE(gaveUp.code, 5);
    QVERIFY2(gaveUp.err.contains("did not answer in time"), gaveUp.err.constData());
    ::kill(pid_t(command->processId()), SIGCONT);
    QCOMPARE(finish(*command).code, 0);
    QTest::qWait(1500);
    QCOMPARE(start->state(), QProcess::Running);
    const Run run = runProgram({"--current-profile"}, {"STRYLA_SIM_DEVICE=none"});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, QByteArray("2 Work\n"));
    start->terminate();
    if (!start->waitForFinished(10000))
        start->kill();
}

void TestCommandLine::completionOffersProfileNames()
{
    writeProfileNames({"Standard0", "My Work1"});
    const QString bin = rig->file(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(QFile::link(program, bin + "/stryla-config"));
    QProcess bash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", bin + ":" + env.value("PATH"));
    bash.setProcessEnvironment(env);
    bash.start("bash",
        {"-c",
            "source " STRYLA_BINARY_DIR
            "/stryla-config.bash; COMP_WORDS=(stryla-config --profile My);"
            " COMP_CWORD=2; _stryla_config; printf '%s\\n' \"${COMPREPLY[@]}\""});
    const Run run = finish(bash);
    QCOMPARE(run.out, QByteArray("My\\ Work\n"));
}

// The copy holding the lock keeps doing one command alone: a call waits up to the bound (made
// short here), then gives up with its own code and line.
void TestCommandLine::givingUpHasItsOwnCode()
{
    auto *app = static_cast<QtSingleCoreApplication *>(QCoreApplication::instance());
    const QMetaObject::Connection busy = connect(
        app, &QtSingleCoreApplication::requestReceived, this, [app](quint64 id, const QString &) {
            CommandLine::Reply later;
            later.later = true;
            app->answerRequest(id, later.toText());
        });
    QProcess command;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("STRYLA_TEST_TURN_WAIT_MS", "400");
    // Found by the user id, whatever USER says.
    env.insert("USER", "someoneelse");
    command.setProcessEnvironment(env);
    command.start(QCoreApplication::applicationFilePath(), {"--command", "--list-profiles"});
    Run run = finish(command);
    disconnect(busy);
    QCOMPARE(run.code, 5);
    QCOMPARE(
        run.err, QByteArray("Another command of the program did not end in time; try again.\n"));

    // A running copy that takes the command and never answers (stopped, or stuck) is waited
    // for as long.
    const QMetaObject::Connection mute = connect(
        app, &QtSingleCoreApplication::requestReceived, this, [](quint64, const QString &) {});
    QElapsedTimer clock;
    clock.start();
    command.start(QCoreApplication::applicationFilePath(), {"--command", "--list-profiles"});
    run = finish(command);
    disconnect(mute);
    QCOMPARE(run.code, 5);
    QCOMPARE(run.err,
        QByteArray("The running copy of the program did not answer in time; try again.\n"));
    QVERIFY2(clock.elapsed() < 10000, QByteArray::number(clock.elapsed()).constData());
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--command") == 0) {
        // The command: the program's own command line, without the role argument.
        std::vector<char *> arguments {argv[0]};
        arguments.insert(arguments.end(), argv + 2, argv + argc);
        int count = int(arguments.size());
        return CommandLine::run(count, arguments.data());
    }
    // This process is the running copy for the commands it starts: they are copies of the
    // same executable, so they find it.
    QtSingleCoreApplication app(argc, argv);
    TestCommandLine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_command_line.moc"
