#pragma once

#include "device_watch.h"
#include "hid_owner.h"
#include "hid_thread.h"

#include <QEvent>
#include <QSystemTrayIcon>
#include <QWidget>

class ProgramSwitcher;
class SceneGate;
class TrayMenu;
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
// the transport, the window-control object with the view and the scene's gate, the device
// watch and the tray menu; it lives in the tray: closing the window only hides it, and
// "Quit (&Q)" in the tray menu ends the program.
class Widget : public QWidget, public HidOwner
{
    Q_OBJECT

public:
    static constexpr int kPollInterval = DeviceWatch::kPollInterval;

    // How the window lives: as the resident program, or for one command of the command line,
    // never shown, with neither a tray icon nor a watch on device changes.
    enum class Presence { Resident, Command };

    explicit Widget(QWidget *parent = nullptr);
    explicit Widget(Presence presence, QWidget *parent = nullptr);
    ~Widget() override;

    Hid_Thread &hid() { return hidThread; }
    myQQuickView *view() const;
    SceneGate *gate() const;
    QSystemTrayIcon *tray() const;
    ProgramSwitcher *programSwitcher() const { return programs; }
    bool isDeviceConnected() const { return watch->isConnected(); }
    bool isPollPending() const { return watch->isPollPending(); }

    // Callbacks of the global input hooks with the window as context (see HookCallbacks,
    // whose context is the view).
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
    // The tray's Quit: with unsaved changes the window shows and asks first.
    void quitAsked();
    void receiveMessage(QString message);
    // The system says a device came or went (see DeviceWatch::deviceChanged).
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

private:
    void postRestoreRequest();
    void onInterlockFree();
    void tellWindowShown();
    void createProgramSwitcher();

    Ui_Controler *controler = nullptr;
    Hid_Thread hidThread;
    DeviceWatch *watch = nullptr;
    TrayMenu *trayMenu = nullptr;  // none for a command
    // The automatic profile switch.
    ProgramSwitcher *programs = nullptr;
    bool windowShown = false;  // as last told to the scene
    bool exposureWatched = false;
};
