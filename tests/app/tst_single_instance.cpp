// Two real processes of the single-instance application: this test starts copies of its own
// executable as the "first" and "second" program.

#include "qtsinglecoreapplication.h"

#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// The copy that runs as the first program: prints "ready", then each message it receives.
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
    std::printf("ready\n");
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
    if (!app.isRunning())
        return 0;
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

private:
    QProcess *startFirst();
    int runSecondCopy(QByteArray *output = nullptr);
};

QProcess *TestSingleInstance::startFirst()
{
    auto *first = new QProcess(this);
    first->setProgram(QCoreApplication::applicationFilePath());
    first->setArguments({"--first"});
    first->start();
    if (!first->waitForStarted(5000))
        return first;
    QElapsedTimer clock;
    clock.start();
    while (!first->readAllStandardOutput().contains("ready") && clock.elapsed() < 10000)
        first->waitForReadyRead(200);
    return first;
}

int TestSingleInstance::runSecondCopy(QByteArray *output)
{
    QProcess second;
    second.start(QCoreApplication::applicationFilePath(), {"--second"});
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
