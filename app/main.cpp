// Start-up and shutdown of the program, in a fixed order.

#include "command_executor.h"
#include "data_folder.h"
#include "display_check.h"
#include "file_dialogs.h"
#include "file_replace.h"
#include "hook_callbacks.h"
#include "input_hook.h"
#include "myqquickview.h"
#include "qtsinglecoreapplication.h"
#include "widget.h"

#ifndef Q_OS_WIN
#include "termination_signals.h"
#endif

#include <QDeadlineTimer>
#include <QDebug>
#include <QThread>

namespace {

constexpr int kHandOverTimeoutMs = 5000;
// Exit code when the single-instance lock cannot be taken at all (1 means another copy runs).
constexpr int kLockErrorExit = 2;
// Exit code when another command of the program held the lock for longer than the bound.
constexpr int kGaveUpExit = CommandLine::GaveUp;
constexpr int kRetryMs = 50;

int run(QtSingleCoreApplication &app)
{
    // The data folder becomes the working directory, so every "./modules/…" path resolves
    // there whatever folder the program was started from: the executable's own folder, or,
    // for an installed program, a folder of the user's.
    enterDataFolder(QCoreApplication::applicationFilePath());
    // Wayland compositors know the window by this name (its app id): the desktop entry's icon
    // and name in task switchers and docks.
    QGuiApplication::setDesktopFileName(QStringLiteral("stryla-config"));
    removeWriteLeftovers(QStringLiteral("./modules"));

    Widget window;
    QObject::connect(
        &app, &QtSingleCoreApplication::messageReceived, &window, &Widget::receiveMessage);
    // Commands of the command line started meanwhile are done here, by the running copy.
    CommandLine::Executor commands(window.view()->store(), &window);
    commands.serve(app);
#ifndef Q_OS_WIN
    TerminationSignals terminationSignals;
    QObject::connect(
        &terminationSignals, &TerminationSignals::quitRequested, &window, &Widget::exitSYS);
#endif

    InputHook hooks(false);
    hooks.setKeyboardCallback(&HookCallbacks::keyboard, window.view());
    hooks.setMouseCallback(&HookCallbacks::mouse, window.view());
    qDebug().noquote() << "Input hooks:" << InputHook::modeName(hooks.mode());
#ifdef Q_OS_WIN
    hooks.setCopyDataFilter(&Widget::onCopyData, &app, &window);
#endif

    window.showNormal();
    window.checkDevice();
    return QCoreApplication::exec();
    // The hooks go first, then the window with everything it owns.
}

// A start that finds another copy hands over to it and ends with 1. A copy that only does one
// command (a switch from the command line) takes nothing: the start waits for it to end, then
// becomes the running copy itself; it gives up after the bound with its own exit code.
int startOrHandOver(QtSingleCoreApplication &app)
{
    const QDeadlineTimer deadline(QtSingleCoreApplication::turnWaitMs());
    while (app.isRunning()) {
        const auto outcome = app.handOver(QString(),
            int(qBound(qint64(0), deadline.remainingTime(), qint64(kHandOverTimeoutMs))));
        if (outcome == QtSingleCoreApplication::Outcome::Answered)
            return 1;
        if (outcome == QtSingleCoreApplication::Outcome::Unsafe)
            break;
        // A copy that does not answer (stopped, or stuck in a command) is waited for as one
        // that is busy.
        if (deadline.hasExpired()) {
            qDebug().noquote() << (outcome == QtSingleCoreApplication::Outcome::NoAnswer
                    ? "The running copy of the program did not answer in time."
                    : "Another command of the program did not end in time.");
            return kGaveUpExit;
        }
        QThread::msleep(kRetryMs);
        app.retryLock();
    }
    if (app.channelUnsafe())
        qDebug().noquote() << app.problem();
    const int code = run(app);
    // The window released its controller by deferred deletion; let that happen now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc > 1)
        return CommandLine::run(argc, argv);
    preferDesktopFileDialogs();
    const QString noDisplay = DisplayCheck::problem();
    if (!noDisplay.isEmpty()) {
        qDebug().noquote() << noDisplay;
        return 1;
    }
    QtSingleCoreApplication app(argc, argv);
    if (app.lockFailed())
        return kLockErrorExit;
    return startOrHandOver(app);
}
