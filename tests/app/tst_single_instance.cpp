// Two real processes of the single-instance application: this test starts copies of its own
// executable as the "first" and "second" program.

#include "qtsinglecoreapplication.h"

#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <QCryptographicHash>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// An answer larger than what one read of the socket gives.
constexpr int kLongAnswer = 300000;

// The copy that runs as the first program: prints "ready" and its socket, then each message
// it receives; it answers every request with a long text.
int runFirst(int argc, char **argv)
{
    QtSingleCoreApplication app(argc, argv);
    if (app.isRunning()) {
        std::printf("already running\n");
        return 3;
    }
    QObject::connect(&app, &QtSingleCoreApplication::messageReceived, [](const QString &m) {
        std::printf("received [%s]\n", qPrintable(m));
        std::fflush(stdout);
    });
    QObject::connect(
        &app, &QtSingleCoreApplication::requestReceived, [&app](quint64 id, const QString &) {
            app.answerRequest(id, QString(kLongAnswer, QLatin1Char('x')) + QStringLiteral("end"));
        });
    std::printf("ready %s\n", qPrintable(app.socketPath()));
    std::fflush(stdout);
    QTimer::singleShot(20000, &app, &QCoreApplication::quit);
    return app.exec();
}

// The copy that runs as the second program: hands over an empty message like start-up does.
int runSecond(int argc, char **argv)
{
    QtSingleCoreApplication app(argc, argv);
    if (app.lockFailed()) {
        std::printf("lock failed\n");
        return 2;
    }
    if (app.channelUnsafe()) {
        std::printf("unsafe\n");
        return 4;
    }
    if (!app.isRunning())
        return 0;
    if (argc > 2 && qstrcmp(argv[2], "--ask") == 0) {
        QString answer;
        app.sendRequest(QStringLiteral("long"), &answer, 10000);
        std::printf(
            "%lld %s\n", static_cast<long long>(answer.size()), qPrintable(answer.right(3)));
        return 1;
    }
    const bool delivered = app.sendMessage(QString(), 5000);
    std::printf(delivered ? "delivered\n" : "not delivered\n");
    return 1;
}

}  // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartHandsOver();
    void crashedFirstDoesNotBlock();
    void aloneItRuns();
    void lockErrorIsNoRunningCopy_data();
    void lockErrorIsNoRunningCopy();
    void longAnswerArrivesWhole();
    void idleConnectionsPastTheDescriptorLimit();
    void squattedFolderIsNotUsed();
    void peerOfAnotherUserIsRefused();

private:
    QProcess *startFirst(const QStringList &prefix = {},
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    int runSecondCopy(QByteArray *output = nullptr, const QStringList &extra = {},
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    QString otherUser();

    QString socketPath;
};

// prefix: a command that runs the first program (prlimit, …).
QProcess *TestSingleInstance::startFirst(
    const QStringList &prefix, const QProcessEnvironment &environment)
{
    auto *first = new QProcess(this);
    const QStringList command =
        prefix + QStringList {QCoreApplication::applicationFilePath(), "--first"};
    first->setProcessEnvironment(environment);
    first->start(command.first(), command.mid(1));
    if (!first->waitForStarted(5000))
        return first;
    QElapsedTimer clock;
    clock.start();
    QByteArray output;
    while (!output.contains("\n") && clock.elapsed() < 10000) {
        first->waitForReadyRead(200);
        output += first->readAllStandardOutput();
    }
    socketPath = QString::fromLocal8Bit(output.trimmed()).section(QLatin1Char(' '), 1);
    return first;
}

int TestSingleInstance::runSecondCopy(
    QByteArray *output, const QStringList &extra, const QProcessEnvironment &environment)
{
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QCoreApplication::applicationFilePath(), QStringList {"--second"} + extra);
    second.waitForFinished(10000);
    if (output)
        *output = second.readAllStandardOutput();
    return second.exitCode();
}

void TestSingleInstance::secondStartHandsOver()
{
    QProcess *first = startFirst();
    const auto stop = qScopeGuard([first] {
        first->kill();
        first->waitForFinished();
    });
    QByteArray output;
    QCOMPARE(runSecondCopy(&output), 1);
    QVERIFY2(output.contains("delivered") && !output.contains("not"), output.constData());
    QByteArray seen;
    QTRY_VERIFY((seen += first->readAllStandardOutput()).contains("received []"));
}

// A first program killed without cleaning up leaves its lock file and socket behind; the next
// start takes over both.
void TestSingleInstance::crashedFirstDoesNotBlock()
{
    QProcess *first = startFirst();
    ::kill(pid_t(first->processId()), SIGKILL);
    first->waitForFinished();

    QProcess *next = startFirst();
    QVERIFY(next->state() == QProcess::Running);
    QByteArray output;
    QCOMPARE(runSecondCopy(&output), 1);
    QCOMPARE(output, QByteArray("delivered\n"));
    next->kill();
    next->waitForFinished();
}

void TestSingleInstance::aloneItRuns()
{
    QCOMPARE(runSecondCopy(), 0);  // nobody holds the lock: the copy would start normally

    // A private folder of the user's that the group may write in is not used.
    QTemporaryDir temporary;
    const QString folder = temporary.filePath(QStringLiteral("stryla-config-%1").arg(::geteuid()));
    QVERIFY(QDir().mkdir(folder));
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0770), 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    QByteArray output;
    QCOMPARE(runSecondCopy(&output, {}, environment), 4);
    QCOMPARE(output, QByteArray("unsafe\n"));
}

// Neither the runtime folder (XDG_RUNTIME_DIR) nor the temporary folder that Qt and the
// program fall back to can take the lock file: the runtime folder lies inside the temporary
// folder, which is a regular file (which stops root too) or a read-only folder (which stops
// every other user).
void TestSingleInstance::lockErrorIsNoRunningCopy_data()
{
    QTest::addColumn<bool>("regularFile");
    QTest::addColumn<QString>("reason");
    QTest::newRow("temporary folder is a file") << true << "%1 is not a folder";
    QTest::newRow("read-only folders") << false << "no permission to create it in %1";
}

void TestSingleInstance::lockErrorIsNoRunningCopy()
{
    QFETCH(bool, regularFile);
    QFETCH(QString, reason);
    if (!regularFile && ::geteuid() == 0)
        QSKIP("root writes to read-only folders");
    QTemporaryDir dir;
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    if (regularFile) {
        QFile file(blocked);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(blocked));
        QVERIFY(QFile::setPermissions(blocked, QFile::ReadOwner | QFile::ExeOwner));
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), blocked + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("TMPDIR"), blocked);

    // The application object says it is no second copy.
    QProcess copy;
    copy.setProcessEnvironment(environment);
    copy.start(QCoreApplication::applicationFilePath(), {"--second"});
    QVERIFY(copy.waitForFinished(10000));
    QCOMPARE(copy.readAllStandardOutput(), QByteArray("lock failed\n"));

    // The program ends at once, with its own exit code and one line naming the lock file.
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(STRYLA_BINARY_DIR "/stryla-config-sim"), QStringList());
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    const QStringList lines = QString::fromLocal8Bit(program.readAllStandardError())
                                  .split(QLatin1Char('\n'))
                                  .filter(QStringLiteral("lock file"));
    QCOMPARE(lines.size(), 1);
    const QRegularExpression expected(
        QStringLiteral("^Single instance: cannot take the lock file "
                       "%1/stryla-config-\\d+/stryla-config-[^/]+\\.lock "
                       "\\(%2\\)$")
            .arg(QRegularExpression::escape(blocked),
                QRegularExpression::escape(reason.arg(blocked))));
    QVERIFY2(expected.match(lines.first()).hasMatch(), qPrintable(lines.first()));
}

// A second copy asks; the answer is longer than one read of the socket gives.
void TestSingleInstance::longAnswerArrivesWhole()
{
    QScopedPointer<QProcess> first(startFirst());
    QByteArray output;
    QCOMPARE(runSecondCopy(&output, {"--ask"}), 1);
    QCOMPARE(output, QByteArray::number(kLongAnswer + 3) + " end\n");
    first->kill();
    first->waitForFinished();
}

// Connections that never send anything, more than the running copy has descriptors: they are
// let go, and a start after them is still handed over, after a second flood too. Each
// connection has two seconds to speak, from its start and again after an answer; one that
// announces more than a message is closed at once.
void TestSingleInstance::idleConnectionsPastTheDescriptorLimit()
{
    QScopedPointer<QProcess> first(startFirst({"prlimit", "--nofile=64"}));
    QVERIFY(first->state() == QProcess::Running);
    for (int flood = 0; flood < 2; ++flood) {
        std::vector<int> idle;
        for (int i = 0; i < 200; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                sizeof address.sun_path);
            ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
            idle.push_back(fd);
        }
        QByteArray output;
        QCOMPARE(runSecondCopy(&output), 1);
        QCOMPARE(output, QByteArray("delivered\n"));
        for (const int fd : idle)
            ::close(fd);
    }

    QLocalSocket silent, oversized, answered;
    for (QLocalSocket *socket : {&silent, &oversized, &answered}) {
        socket->connectToServer(socketPath);
        QVERIFY(socket->waitForConnected(5000));
    }
    oversized.write(QByteArray::fromHex("00020000"));  // 128 KiB to come
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out << QStringLiteral("stryla-request:x");
    answered.write(request);
    const qint64 answerBytes = 4 + 2 * (kLongAnswer + 3);
    QByteArray answer;
    while (answer.size() < answerBytes && answered.waitForReadyRead(5000))
        answer += answered.readAll();
    QCOMPARE(answer.size(), answerBytes);
    QTRY_COMPARE_WITH_TIMEOUT(oversized.state(), QLocalSocket::UnconnectedState, 1500);
    QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QLocalSocket::UnconnectedState, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(answered.state(), QLocalSocket::UnconnectedState, 5000);
    first->kill();
    first->waitForFinished();
}

// A user made for the test, for the cases where another user is at work.
QString TestSingleInstance::otherUser()
{
    const QString name = QStringLiteral("strylaother");
    if (QProcess::execute("id", {"-u", name}) != 0)
        QProcess::execute("useradd", {"--no-create-home", name});
    return QProcess::execute("id", {"-u", name}) == 0 ? name : QString();
}

// Another user made the private folder first (the runtime folder is not set), with a lock file
// and a listening socket in it: the copy uses none of it, says why, and hands nothing over.
void TestSingleInstance::squattedFolderIsNotUsed()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as a second user");
    const QString other = otherUser();
    QVERIFY(!other.isEmpty());
    QTemporaryDir temporary;
    QVERIFY(QFile::setPermissions(temporary.path(), QFileDevice::Permissions(0x7777)));
    ::chmod(QFile::encodeName(temporary.path()).constData(), 01777);
    const QString squatted = temporary.filePath(QStringLiteral("stryla-config-0"));
    const QString received = temporary.filePath(QStringLiteral("received"));
    // The squatter listens on every name a copy might try and keeps what it is sent; it gives
    // up after two minutes, so it ends even where the test stops early.
    QProcess squatter;
    squatter.start("runuser",
        {"-u", other, "--", "/usr/bin/python3", "-c",
            "import os, socket, sys\n"
            "d = sys.argv[1]; os.mkdir(d); os.chmod(d, 0o777)\n"
            "s = socket.socket(socket.AF_UNIX)\n"
            "s.bind(d + '/"
                + QString(QStringLiteral("stryla-config-0-%1"))
                      .arg(QString::fromLatin1(
                          QCryptographicHash::hash(QCoreApplication::applicationFilePath().toUtf8(),
                              QCryptographicHash::Sha1)
                              .toHex()
                              .left(16)))
                + ".socket'); s.listen(5)\n"
                  "print('listening', flush=True)\n"
                  "s.settimeout(120)\n"
                  "try:\n"
                  "    c, _ = s.accept()\n"
                  "except OSError:\n"
                  "    sys.exit(0)\n"
                  "c.settimeout(5); open(sys.argv[2], 'wb').write(c.recv(1000))\n",
            squatted, received});
    QByteArray said;
    for (int i = 0; i < 50 && !said.contains("listening"); ++i) {
        squatter.waitForReadyRead(200);
        said += squatter.readAllStandardOutput();
    }
    QVERIFY2(said.contains("listening"), squatter.readAllStandardError().constData());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    QByteArray output;
    QCOMPARE(runSecondCopy(&output, {}, environment), 4);
    QCOMPARE(output, QByteArray("unsafe\n"));

    // A command says so in one line and ends with its own code.
    QProcess command;
    command.setProcessEnvironment(environment);
    command.start(QStringLiteral(STRYLA_BINARY_DIR "/stryla-config-sim"), {"--list-profiles"});
    QVERIFY(command.waitForFinished(20000));
    QCOMPARE(command.exitCode(), 6);
    QCOMPARE(command.readAllStandardOutput(), QByteArray());
    const QByteArray why = command.readAllStandardError();
    QVERIFY2(why.contains("belongs to another user") && why.count('\n') == 1, why.constData());

    // The program starts on its own and says so in one line.
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(STRYLA_BINARY_DIR "/stryla-config-sim"), QStringList());
    QByteArray diagnostics;
    for (int i = 0; i < 100 && !diagnostics.contains("Single instance"); ++i) {
        program.waitForReadyRead(100);
        diagnostics += program.readAllStandardError();
    }
    QTest::qWait(500);
    QCOMPARE(program.state(), QProcess::Running);
    diagnostics += program.readAllStandardError();
    const QStringList lines =
        QString::fromLocal8Bit(diagnostics).split('\n').filter(QStringLiteral("Single instance"));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains("belongs to another user"), qPrintable(lines.first()));
    program.kill();
    program.waitForFinished();
    squatter.terminate();  // runuser hands the signal on to the listener
    QVERIFY(squatter.waitForFinished(10000));
    QVERIFY(!QFile::exists(received));
}

// Another user reaches the running copy's socket (its folder opened for the test): the
// connection is closed unanswered and nothing is passed on.
void TestSingleInstance::peerOfAnotherUserIsRefused()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as a second user");
    const QString other = otherUser();
    QVERIFY(!other.isEmpty());
    QTemporaryDir runtime;
    QVERIFY(QFile::setPermissions(
        runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QScopedPointer<QProcess> first(startFirst({}, environment));
    QVERIFY2(socketPath.startsWith(runtime.path()), first->readAllStandardError().constData());
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0711);
    ::chmod(QFile::encodeName(socketPath).constData(), 0777);
    QProcess peer;
    peer.start("runuser",
        {"-u", other, "--", "/usr/bin/python3", "-c",
            "import socket, sys\n"
            "s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1])\n"
            "try:\n"
            "    s.sendall(b'\\xff\\xff\\xff\\xff'); s.settimeout(5)\n"
            "    print('answer', s.recv(10))\n"
            "except OSError:\n"
            "    print('answer closed')\n",
            socketPath});
    QVERIFY(peer.waitForFinished(10000));
    const QByteArray answer = peer.readAllStandardOutput() + peer.readAllStandardError();
    QVERIFY2(answer == "answer b''\n" || answer == "answer closed\n", answer.constData());
    QTest::qWait(200);
    QVERIFY(!first->readAllStandardOutput().contains("received"));
    first->kill();
    first->waitForFinished();
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--first") == 0)
        return runFirst(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--second") == 0)
        return runSecond(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_single_instance.moc"
