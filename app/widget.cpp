#include "widget.h"

#include "device_change_monitor.h"
#include "device_list.h"
#include "held_input.h"
#include "myqquickview.h"
#include "program_switcher.h"
#include "ui_controler.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDebug>
#include <QIcon>
#include <QMenu>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QQuickItem>
#include <QSettings>
#include <QWindow>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace {

const char kTrayToolTip[] = "KORVANE STRYLA MOUSE Z7";
const char kTrayIconFile[] = "./modules/img/logo.ico";
const char kGlobalConfig[] = "./modules/setting/apConfig.bin";
const char kTrayMenuStyle[] =
    "QMenu { border: 1px solid rgb(100, 100, 100); background: rgb(68, 69, 73); } "
    "QMenu::item { height: 22px; padding: 0px 25px 0px 20px; } "
    "QMenu::item:enabled { color: rgb(225, 225, 225); } "
    "QMenu::item:!enabled { color: rgb(155, 155, 155); } "
    "QMenu::item:enabled:selected { color: rgb(230, 230, 230); background: rgba(255, 255, 255, "
    "40); } "
    "QMenu::separator { height: 1px; background: rgb(100, 100, 100); } "
    "QMenu::indicator { width: 13px; height: 13px; } "
    "QMenu::icon { padding-left: 2px; padding-right: 2px; } ";
constexpr int kBalloonMs = 10000;

}  // namespace

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

    pollTimer.setInterval(kPollInterval);
    pollTimer.setSingleShot(true);
    pollTimer.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
    connect(&pollTimer, &QTimer::timeout, this, &Widget::checkDevice);

    if (presence == Presence::Command)
        return;
    createTrayIcon();
    createProgramSwitcher();

#ifndef Q_OS_WIN
    deviceChanges = new DeviceChangeMonitor(this);
    connect(deviceChanges, &DeviceChangeMonitor::deviceChanged, this, &Widget::deviceChanged);
#endif
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

void Widget::createTrayIcon()
{
    trayIcon = new QSystemTrayIcon(this);
    auto *quit = new QAction(tr("Quit (&Q)"), this);
    connect(quit, &QAction::triggered, this, &Widget::exitSYS);
    auto *menu = new QMenu(this);
    menu->addAction(quit);
    trayQuit = quit;
    menu->setStyleSheet(QString::fromLatin1(kTrayMenuStyle));
    trayIcon->setContextMenu(menu);
    trayIcon->setToolTip(QString::fromLatin1(kTrayToolTip));
    trayIcon->setIcon(QIcon(QString::fromLatin1(kTrayIconFile)));
    connect(trayIcon, &QSystemTrayIcon::activated, this, &Widget::trayIconActivated);
    // A tray of the D-Bus protocol is found when the icon is made, or never; on X11 Qt also
    // waits for a tray that starts later. Elsewhere an icon without a tray only draws warnings.
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (trayAvailable || QGuiApplication::platformName() == QLatin1String("xcb"))
        trayIcon->setVisible(true);
    if (!trayAvailable)
        qDebug().noquote()
            << "No system tray on this desktop: while the window is hidden the program is "
               "reached by starting it again with the device connected, and ended with "
               "'pkill stryla-config'";
}

void Widget::trayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    bool restores = reason == QSystemTrayIcon::DoubleClick;
#ifndef Q_OS_WIN
    // Trays of the D-Bus protocol (KDE Plasma, GNOME's AppIndicator extension) report every
    // activation as Trigger and never as DoubleClick.
    restores = restores || reason == QSystemTrayIcon::Trigger;
#endif
    if (restores && deviceConnected)
        postRestoreRequest();
}

void Widget::receiveMessage(QString)
{
    if (deviceConnected)
        postRestoreRequest();
}

void Widget::exitSYS()
{
    hidThread.stopMonitor();
    QCoreApplication::exit(0);
}

#ifndef Q_OS_WIN
// Posted, like the system's restore command, so it arrives through the event loop.
void Widget::postRestoreRequest()
{
    QMetaObject::invokeMethod(this, &Widget::restoreWindow, Qt::QueuedConnection);
}
#endif

void Widget::restoreWindow()
{
    setVisible(true);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void Widget::deviceChanged()
{
    if (!hidThread.isMonitorRunning())
        pollTimer.start();
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

// A check releases the interlock and runs exchanges of its own; one that comes due while a
// command is in progress (the command's pauses keep the event loop turning) would overwrite
// the reports of that command. It waits until the command is done instead.
void Widget::checkDevice()
{
    if (hidThread.isCommandInProgress()) {
        if (!checkDeferred)
            qDebug().noquote() << "A device check waits for the command in progress";
        checkDeferred = true;
        return;
    }
    checkDeferred = false;
    QSettings config(QString::fromLatin1(kGlobalConfig), QSettings::IniFormat);
    DevInfoList devices = DeviceList::read(config);
    DeviceList::locateInterfaces(devices);
    hidThread.setDevices(devices);

    const int accepted = DeviceList::firstAttached(devices);
    if (accepted >= 0) {
        acceptDevice(accepted);
        return;
    }
    qDebug().noquote() << "Device DisConnect";
    deviceConnected = false;
    setVisible(false);
}

// A command is done: input held back during its pauses is handed on at the next turn of the
// event loop, and a check that came due meanwhile runs, from the event loop rather than from
// inside the command that has just ended. A sequence of commands (a Save is several) ends
// first, since a check that comes round inside the pauses of a later command waits again.
void Widget::onInterlockFree()
{
#ifndef Q_OS_WIN
    HeldInput::release(windowHandle());
#endif
    if (checkDeferred && !deferredCheckPosted) {
        deferredCheckPosted = true;
        QMetaObject::invokeMethod(this, &Widget::runDeferredCheck, Qt::QueuedConnection);
    }
}

void Widget::runDeferredCheck()
{
    deferredCheckPosted = false;
    if (checkDeferred)
        checkDevice();
}

void Widget::acceptDevice(int index)
{
    hidThread.setCurrentDevice(index);
    qDebug().noquote() << "Device Connect";
    view()->clearHidBusy();
    deviceConnected = true;
    showBalloon(QStringLiteral("Info"), QStringLiteral("Detect Device"));
    checkPermissions(hidThread.devices().at(index).path);
    hidThread.startMonitor(uint(index));
    if (view()->icType() == QLatin1String("560")) {
        const uint last = view()->isGun() ? 4 : 1;
        for (uint profile = 0; profile <= last; ++profile)
            view()->mouseReadProfile(profile);
    }
    view()->setEnabled(true);
    startUI();
}

// The first thing Linux users of such tools trip over: the hidraw node of the device is
// readable by root only until a udev rule gives the logged-in user access.
void Widget::checkPermissions(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray node = path.toLocal8Bit();
    if (!path.startsWith(QLatin1String("/dev/")) || ::access(node.constData(), R_OK | W_OK) == 0
        || errno != EACCES)
        return;
    qDebug().noquote() << QStringLiteral(
        "No permission to open %1: install packaging/70-stryla-config.rules "
        "into /etc/udev/rules.d/, run 'udevadm control --reload' and plug "
        "the device in again")
                              .arg(path);
    if (!permissionHintShown) {
        permissionHintShown = true;
        showBalloon(QStringLiteral("Info"),
            tr("The mouse was found but cannot be opened: the udev rule from the "
               "README is not installed."));
    }
#else
    Q_UNUSED(path);
#endif
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
    if (event->type() == QEvent::LanguageChange && trayQuit) {
        trayQuit->setText(tr("Quit (&Q)"));
        if (trayAutomatic)
            updateTrayProfiles();
    }
}

// The desktop's close (Alt+F4, the title bar of a task list) does what the close icon does:
// the scene asks about unsaved changes, then the window goes to the tray; the program stays.
void Widget::closeEvent(QCloseEvent *event)
{
    event->ignore();
    QObject *scene = view()->rootObject();
    if (scene && scene->property("isPownOn").toBool())
        QMetaObject::invokeMethod(scene, "closeRequested", Qt::QueuedConnection);
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
    if (trayIcon)
        trayIcon->showMessage(title, message, QSystemTrayIcon::Information, kBalloonMs);
    emit balloonShown(title, message);
}

void Widget::setViewEnabled(bool enabled)
{
    view()->setEnabled(enabled);
}

void Widget::onKeyboardHook(int code, int pressed, void *window)
{
    if (auto *self = static_cast<Widget *>(window))
        self->view()->detectKeyboard(pressed & 0xFF, code & 0xFF);
}

void Widget::onMouseHook(int code, int pressed, int x, int y, void *window)
{
    if (auto *self = static_cast<Widget *>(window))
        self->view()->detectMouse((pressed & 0xFF) != 0, uint(code) & 0xFF, uint(x), uint(y));
}

// --- profiles that follow the programs -------------------------------------------------------

namespace {

// The icons of running programs for the programs page, from the desktop's icon theme
// ("image://programicon/<name>"); an empty picture where the theme has none.
class ProgramIconProvider : public QQuickImageProvider
{
public:
    ProgramIconProvider()
        : QQuickImageProvider(QQuickImageProvider::Pixmap)
    { }
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requested) override
    {
        const QSize want = requested.isValid() ? requested : QSize(20, 20);
        QPixmap pixmap = QIcon::fromTheme(QUrl::fromPercentEncoding(id.toUtf8())).pixmap(want);
        if (pixmap.isNull()) {
            pixmap = QPixmap(want);
            pixmap.fill(Qt::transparent);
        }
        if (size)
            *size = pixmap.size();
        return pixmap;
    }
};

}  // namespace

void Widget::createProgramSwitcher()
{
    programs = new ProgramSwitcher(QString::fromLatin1(ProgramRulesFile::kPath), this);
    view()->rootContext()->setContextProperty(QStringLiteral("ui_Programs"), programs);
    view()->engine()->addImageProvider(QStringLiteral("programicon"), new ProgramIconProvider);
    programs->setGate(controler->gate());
    connect(&hidThread, &Hid_Thread::interlockFree, programs, &ProgramSwitcher::retry,
        Qt::QueuedConnection);
    connect(programs, &ProgramSwitcher::switchedByRule, this,
        [this](const QString &profile, const QString &program) {
            const QStringList texts = programs->texts();
            showBalloon(QStringLiteral("Info"),
                program.isEmpty() ? texts.at(14).arg(profile) : texts.at(13).arg(profile, program));
        });

    QMenu *menu = trayIcon->contextMenu();
    trayAutomatic = new QAction(this);
    trayAutomatic->setObjectName(QStringLiteral("trayAutomatic"));
    trayAutomatic->setCheckable(true);
    connect(trayAutomatic, &QAction::toggled, programs, &ProgramSwitcher::setAutomatic);
    menu->insertAction(trayQuit, trayAutomatic);
    menu->insertSeparator(trayQuit);
    trayProfilesEnd = menu->insertSeparator(trayAutomatic);  // a leading separator collapses
    connect(programs, &ProgramSwitcher::profilesChanged, this, &Widget::updateTrayProfiles);
    connect(programs, &ProgramSwitcher::rulesChanged, this, &Widget::updateTrayProfiles);
    connect(menu, &QMenu::aboutToShow, this, &Widget::updateTrayProfiles);
    updateTrayProfiles();
}

// One entry per profile of the scene's list, the one in use checked; choosing one switches as
// the drop-down does. They wait while a page of the window is open.
void Widget::updateTrayProfiles()
{
    QMenu *menu = trayIcon->contextMenu();
    const QStringList texts = programs->texts();
    trayAutomatic->setText(texts.at(8));
    {
        const QSignalBlocker blocker(trayAutomatic);
        trayAutomatic->setChecked(programs->automatic());
    }
    const auto profiles = programs->profiles();
    const int inUse = programs->profileInUse();
    const QObject *scene = view()->rootObject();
    const bool pageOpen = scene && scene->property("popupOpen").toBool();
    while (trayProfileActions.size() > profiles.size())
        delete trayProfileActions.takeLast();
    while (trayProfileActions.size() < profiles.size()) {
        auto *action = new QAction(this);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, action] {
            programs->requestProfile(action->data().toInt());
            updateTrayProfiles();  // a refused switch leaves the mark where it was
        });
        menu->insertAction(trayProfilesEnd, action);
        trayProfileActions.append(action);
    }
    for (int i = 0; i < profiles.size(); ++i) {
        QAction *action = trayProfileActions.at(i);
        action->setText(profiles.at(i).second);
        action->setData(profiles.at(i).first);
        action->setObjectName(QStringLiteral("trayProfile%1").arg(profiles.at(i).first));
        action->setChecked(profiles.at(i).first == inUse);
        action->setEnabled(!pageOpen);
    }
}
