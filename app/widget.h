#pragma once

#include "hid_owner.h"
#include "hid_thread.h"

#include <QEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

class DeviceChangeMonitor;
class ProgramSwitcher;
class QAction;
class QMenu;
#ifdef Q_OS_WIN
struct tagCOPYDATASTRUCT;
#endif
class Ui_Controler;
class myQQuickView;

// The event the window posts to itself once the scene has been asked to initialise.
class UserEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = QEvent::User;  // 1000
    static constexpr int kRunScene = 2177;

    explicit UserEvent(int code)
        : QEvent(kType)
        , m_code(code)
    { }
    int code() const { return m_code; }

private:
    int m_code;
};

// The one top-level window: frameless and translucent, painted entirely by the scene. It owns
// the device-poll timer, the transport, the window-control object with the view, and the tray
// icon; it finds the configured device, and it lives in the tray: closing the window only
// hides it, and "Quit (&Q)" in the tray menu ends the program.
class Widget : public QWidget, public HidOwner
{
    Q_OBJECT

public:
    static constexpr int kPollInterval = 2048;  // ms after the last device change

    // How the window lives: as the resident program, or for one command of the command line,
    // never shown, with neither a tray icon nor a watch on device changes.
    enum class Presence { Resident, Command };

    explicit Widget(QWidget *parent = nullptr);
    explicit Widget(Presence presence, QWidget *parent = nullptr);
    ~Widget() override;

    Hid_Thread &hid() { return hidThread; }
    myQQuickView *view() const;
    QSystemTrayIcon *tray() const { return trayIcon; }
    ProgramSwitcher *programSwitcher() const { return programs; }
    bool isDeviceConnected() const { return deviceConnected; }
    bool isPollPending() const { return pollTimer.isActive(); }

    // Callbacks of the global input hooks; the context is the window.
    static void onKeyboardHook(int code, int pressed, void *window);
    static void onMouseHook(int code, int pressed, int x, int y, void *window);
#ifdef Q_OS_WIN
    // WM_COPYDATA request of another program: a warning box with its text.
    static void onCopyData(const tagCOPYDATASTRUCT *data, void *window);
#endif

    // HidOwner: what the transport and its monitor need from the window.
    QString icType() const override;
    bool isGun() const override;
    void setCurrentDPI(int stage) override;
    void showBalloon(const QString &title, const QString &message) override;
    void setViewEnabled(bool enabled) override;

    // Initialise the scene, then run it from a posted event.
    void startUI();

signals:
    // Every tray balloon, also where no tray is available (tests, diagnostics).
    void balloonShown(const QString &title, const QString &message);

public slots:
    void trayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void checkDevice();
    void exitSYS();
    void receiveMessage(QString message);
    // The system says a device came or went: one check 2048 ms after the last of a burst,
    // and none while the monitor watches a connected device.
    void deviceChanged();

protected:
    void customEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

private slots:
    void restoreWindow();
    void runDeferredCheck();

private:
    void createTrayIcon();
    void postRestoreRequest();
    void acceptDevice(int index);
    void onInterlockFree();
    void checkPermissions(const QString &path);
    void tellWindowShown();
    void createProgramSwitcher();
    void updateTrayProfiles();

    QTimer pollTimer;
    Ui_Controler *controler = nullptr;
    Hid_Thread hidThread;
    QSystemTrayIcon *trayIcon = nullptr;
    DeviceChangeMonitor *deviceChanges = nullptr;
    // The automatic profile switch and the tray menu's profile entries and master switch.
    ProgramSwitcher *programs = nullptr;
    QList<QAction *> trayProfileActions;
    QAction *trayProfilesEnd = nullptr;
    QAction *trayAutomatic = nullptr;
    QAction *trayQuit = nullptr;
    bool deviceConnected = false;
    bool checkDeferred = false;        // a check came due while a command was in progress
    bool deferredCheckPosted = false;  // … and is queued to run once the interlock is free
    bool permissionHintShown = false;
    bool windowShown = false;  // as last told to the scene
    bool exposureWatched = false;
};
