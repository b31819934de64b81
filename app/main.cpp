// Start-up and shutdown of the program, in a fixed order.

#include "command_executor.h"
#include "data_folder.h"
#include "file_dialogs.h"
#include "file_replace.h"
#include "input_hook.h"
#include "myqquickview.h"
#include "qtsinglecoreapplication.h"
#include "widget.h"

#ifdef Q_OS_UNIX
#include "termination_signals.h"
#endif

#include <QDebug>

namespace {

constexpr int kHandOverTimeoutMs = 5000;
// Exit code when the single-instance lock cannot be taken at all (1 means another copy runs).
constexpr int kLockErrorExit = 2;

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
#ifdef Q_OS_UNIX
    TerminationSignals terminationSignals;
    QObject::connect(
        &terminationSignals, &TerminationSignals::quitRequested, &window, &Widget::exitSYS);
#endif

    InputHook hooks(false);
    hooks.setKeyboardCallback(&Widget::onKeyboardHook, &window);
    hooks.setMouseCallback(&Widget::onMouseHook, &window);
    qDebug().noquote() << "Input hooks:" << InputHook::modeName(hooks.mode());
#ifdef Q_OS_WIN
    hooks.setCopyDataFilter(&Widget::onCopyData, &app, &window);
#endif

    window.showNormal();
    window.checkDevice();
    return QCoreApplication::exec();
    // The hooks go first, then the window with everything it owns.
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc > 1)
        return CommandLine::run(argc, argv);
    preferDesktopFileDialogs();
    QtSingleCoreApplication app(argc, argv);
    if (app.lockFailed())
        return kLockErrorExit;
    if (app.isRunning()) {
        app.sendMessage(QString(), kHandOverTimeoutMs);
        return 1;
    }
    const int code = run(app);
    // The window released its controller by deferred deletion; let that happen now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}
