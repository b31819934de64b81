// Reports how long the program takes to end after SIGTERM, next to a bare Qt Quick program (a
// frameless 1024×640 QWidget hosting a QQuickWidget with a rectangle and a text) ended the
// same way: from the signal sent to the process gone. The program is a copy of
// stryla-config-sim in a folder of its own with its data, started with the simulated mouse;
// it is ended once it has shown its main screen and sits idle (nothing being written). The
// two alternate, each in a process of its own, for the rounds given (7 by default). Run it on
// a display (xvfb-run).

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QQuickWidget>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

// The bare program: quits on SIGTERM through the event loop, as a Qt program should.
int bare()
{
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe);
    QSocketNotifier notifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    ::sigaction(SIGTERM, &action, nullptr);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("scene.qml"));
    QFile qml(file);
    qml.open(QIODevice::WriteOnly);
    qml.write("import QtQuick\nRectangle { width: 1024; height: 640; color: \"#202228\"\n"
              "  Text { anchors.centerIn: parent; text: \"STRYLA\"; color: \"white\" } }\n");
    qml.close();
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    auto *view = new QQuickWidget(&window);
    view->setSource(QUrl::fromLocalFile(file));
    window.resize(1024, 640);
    window.show();
    QObject::connect(view->quickWindow(), &QQuickWindow::afterRendering, [] {
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "Device Connect\n");  // the line the harness waits for
        told = true;
    });
    return QApplication::exec();
}

// A copy of the program with its data in a folder of its own, so it runs as its own single
// instance and writes nothing of the build's.
bool installCopy(const QString &to)
{
    const QString from = QStringLiteral(STRYLA_BINARY_DIR);
    if (!QFile::copy(from + QStringLiteral("/stryla-config-sim"), to + QStringLiteral("/stryla-config-sim")))
        return false;
    QProcess copy;
    copy.start(QStringLiteral("cp"), {QStringLiteral("-r"), from + QStringLiteral("/modules"), to});
    return copy.waitForFinished() && copy.exitCode() == 0;
}

// Starts the program, waits for its device connection and idle main screen, sends SIGTERM and
// returns the milliseconds until the process has gone (-1 when it did not start).
double endAfterSignal(const QString &program, const QStringList &arguments, int idleMs)
{
    QProcess process;
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QByteArray err;
    QElapsedTimer wait;
    wait.start();
    while (!err.contains("Device Connect") && wait.elapsed() < 20000) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    if (!err.contains("Device Connect"))
        return -1;
    QThread::msleep(ulong(idleMs));
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(process.processId()), SIGTERM);
    process.waitForFinished(10000);
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc == 2 && std::strcmp(argv[1], "--bare") == 0) {
        QApplication app(argc, argv);
        return bare();
    }
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    QTemporaryDir install;
    if (!installCopy(install.path())) {
        std::printf("cannot copy the program from %s\n", STRYLA_BINARY_DIR);
        return 1;
    }
    const QString program = install.filePath(QStringLiteral("stryla-config-sim"));
    std::vector<double> bareMs, programMs;
    for (int i = 0; i < rounds; ++i) {
        bareMs.push_back(endAfterSignal(
            QCoreApplication::applicationFilePath(), {QStringLiteral("--bare")}, 500));
        programMs.push_back(endAfterSignal(program, {}, 2500));  // past the start picture
    }
    std::printf("end after SIGTERM, median of %d alternated rounds:\n"
                "  bare Qt Quick program: %6.1f ms (%.1f … %.1f)\n"
                "  program, idle:         %6.1f ms (%.1f … %.1f)\n",
        rounds, median(bareMs), *std::min_element(bareMs.begin(), bareMs.end()),
        *std::max_element(bareMs.begin(), bareMs.end()), median(programMs),
        *std::min_element(programMs.begin(), programMs.end()),
        *std::max_element(programMs.begin(), programMs.end()));
    return 0;
}
