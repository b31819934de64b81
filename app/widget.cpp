#include "widget.h"

#include "held_input.h"
#include "hook_callbacks.h"
#include "myqquickview.h"
#include "program_icon_provider.h"
#include "program_switcher.h"
#include "scene_gate.h"
#include "tray_menu.h"
#include "ui_controler.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QWindow>

Widget::Widget(QWidget *parent)
    : Widget(Presence::Resident, parent)
{ }

Widget::Widget(Presence presence, QWidget *parent)
    : QWidget(parent)
{
    hidThread.setOwner(this);
    connect(&hidThread, &Hid_Thread::interlockFree, this, &Widget::onInterlockFree);
    controler = new Ui_Controler;
    controler->setup(this, &hidThread);
    controler->view()->setHidThread(&hidThread);

    watch = new DeviceWatch(hidThread, view(), this);
    connect(watch, &DeviceWatch::balloon, this, &Widget::showBalloon);
    connect(watch, &DeviceWatch::accepted, this, &Widget::startUI);
    connect(watch, &DeviceWatch::lost, this, [this] { setVisible(false); });

    if (presence == Presence::Command)
        return;
    trayMenu = new TrayMenu(this, gate());
    connect(trayMenu->icon(), &QSystemTrayIcon::activated, this, &Widget::trayIconActivated);
    connect(trayMenu, &TrayMenu::quitRequested, this, &Widget::quitAsked);
    connect(controler, &Ui_Controler::quitRequested, this, &Widget::exitSYS);
    createProgramSwitcher();
    trayMenu->addProfiles(programs);
    watch->followSystemChanges();
}

Widget::~Widget()
{
    hidThread.stopMonitor();
    hidThread.waitForMonitor();
    controler->deleteLater();
}

myQQuickView *Widget::view() const
{
    return controler->view();
}

SceneGate *Widget::gate() const
{
    return controler->gate();
}

QSystemTrayIcon *Widget::tray() const
{
    return trayMenu ? trayMenu->icon() : nullptr;
}

// The rules that switch profiles by the programs the user runs, and the programs page's
// reach of them (ui_Programs, the icons of running programs).
void Widget::createProgramSwitcher()
{
    programs = new ProgramSwitcher(QString::fromLatin1(ProgramRulesFile::kPath), this);
    view()->rootContext()->setContextProperty(QStringLiteral("ui_Programs"), programs);
    view()->engine()->addImageProvider(
        QLatin1String(ProgramIconProvider::kName), new ProgramIconProvider);
    programs->setGate(controler->gate());
    connect(programs, &ProgramSwitcher::switchedByRule, this,
        [this](const QString &profile, const QString &program) {
            const QStringList texts = programs->texts();
            showBalloon(QStringLiteral("Info"),
                program.isEmpty() ? texts.at(14).arg(profile) : texts.at(13).arg(profile, program));
        });
}

void Widget::trayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    bool restores = reason == QSystemTrayIcon::DoubleClick;
#ifndef Q_OS_WIN
    // Trays of the D-Bus protocol (KDE Plasma, GNOME's AppIndicator extension) report every
    // activation as Trigger and never as DoubleClick.
    restores = restores || reason == QSystemTrayIcon::Trigger;
#endif
    if (restores && isDeviceConnected())
        postRestoreRequest();
}

void Widget::receiveMessage(QString)
{
    if (isDeviceConnected())
        postRestoreRequest();
}

void Widget::exitSYS()
{
    hidThread.stopMonitor();
    QCoreApplication::exit(0);
}

void Widget::quitAsked()
{
    if (!gate()->hasScene() || !gate()->unsaved()) {
        exitSYS();
        return;
    }
    restoreWindow();
    gate()->requestQuit();
}

void Widget::restoreWindow()
{
    setVisible(true);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void Widget::checkDevice()
{
    watch->checkDevice();
}

void Widget::deviceChanged()
{
    watch->deviceChanged();
}

void Widget::startUI()
{
    view()->initUI();
    QCoreApplication::postEvent(this, new UserEvent(UserEvent::kRunScene));
}

void Widget::customEvent(QEvent *event)
{
    if (event->type() == UserEvent::kType
        && static_cast<UserEvent *>(event)->code() == UserEvent::kRunScene)
        view()->runUI();
}

// A command is done: input held back during its pauses is handed on at the next turn of the
// event loop, and a device check that came due meanwhile runs.
void Widget::onInterlockFree()
{
#ifndef Q_OS_WIN
    HeldInput::release(windowHandle());
#endif
    if (watch)
        watch->commandDone();
}

// The scene's live preview runs only while someone can see it: the window shown, not
// minimised, and exposed where the platform says (an iconified or unmapped X11 window is not).
void Widget::tellWindowShown()
{
    if (!controler || !view())
        return;
    const QWindow *handle = windowHandle();
    const bool shown = isVisible() && !isMinimized() && (!handle || handle->isExposed());
    if (shown == windowShown)
        return;
    windowShown = shown;
    view()->setWindowShown(shown);
}

void Widget::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        tellWindowShown();
    // The window's language changed (the scene's choice): the tray menu follows at once.
    if (event->type() == QEvent::LanguageChange && trayMenu)
        trayMenu->retranslate();
}

// The desktop's close (Alt+F4, the title bar of a task list) does what the close icon does:
// the scene asks about unsaved changes, then the window goes to the tray; the program stays.
void Widget::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (gate()->poweredOn())
        gate()->requestClose();
    else
        setVisible(false);
}

void Widget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!exposureWatched && windowHandle()) {
        windowHandle()->installEventFilter(this);
        exposureWatched = true;
    }
    tellWindowShown();
}

void Widget::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    tellWindowShown();
}

bool Widget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle())
        tellWindowShown();  // the window's exposure is already updated when it is told
    return QWidget::eventFilter(watched, event);
}

QString Widget::icType() const
{
    return view()->icType();
}

bool Widget::isGun() const
{
    return view()->isGun();
}

void Widget::setCurrentDPI(int stage)
{
    view()->setCurrentDPI(stage);
}

void Widget::showBalloon(const QString &title, const QString &message)
{
    if (trayMenu)
        trayMenu->showBalloon(title, message);
    emit balloonShown(title, message);
}

void Widget::setViewEnabled(bool enabled)
{
    view()->setEnabled(enabled);
}

void Widget::onKeyboardHook(int code, int pressed, void *window)
{
    if (auto *self = static_cast<Widget *>(window))
        HookCallbacks::keyboard(code, pressed, self->view());
}

void Widget::onMouseHook(int code, int pressed, int x, int y, void *window)
{
    if (auto *self = static_cast<Widget *>(window))
        HookCallbacks::mouse(code, pressed, x, y, self->view());
}
