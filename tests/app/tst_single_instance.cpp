// Two real processes of the single-instance application: this test starts copies of its own
// executable as the "first" and "second" program.

#include "qtsinglecoreapplication.h"

#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <cstdio>

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
    QVERIFY(output.contains("delivered"));
    next->kill();
    next->waitForFinished();
}

void TestSingleInstance::aloneItRuns()
{
    QCOMPARE(runSecondCopy(), 0);  // nobody holds the lock: the copy would start normally
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
