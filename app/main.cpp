// Start-up and shutdown of the program, in a fixed order.

#include "input_hook.h"
#include "qtsinglecoreapplication.h"
#include "widget.h"

#ifdef Q_OS_UNIX
#include "termination_signals.h"
#endif

#include <QDebug>
#include <QDir>

namespace {

constexpr int kHandOverTimeoutMs = 5000;
// Exit code when the single-instance lock cannot be taken at all (1 means another copy runs).
constexpr int kLockErrorExit = 2;

// The executable's folder becomes the working directory, so every "./modules/…" path resolves
// beside the program whatever folder it was started from.
void enterExecutableFolder(const QString &executable)
{
    const QString path = QDir::fromNativeSeparators(executable);
    QDir::setCurrent(path.left(path.lastIndexOf(QLatin1Char('/'))));
}

int run(QtSingleCoreApplication &app)
{
    enterExecutableFolder(QCoreApplication::applicationFilePath());

    Widget window;
    QObject::connect(
        &app, &QtSingleCoreApplication::messageReceived, &window, &Widget::receiveMessage);
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
