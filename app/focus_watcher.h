#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
struct xcb_connection_t;

// The window that has the focus on an X11 display (also the X11 windows of a Wayland session),
// as the window manager names it in _NET_ACTIVE_WINDOW on the root window. The watcher has a
// connection of its own and hears every change of that property as an event, so it does
// nothing while the focus stays where it is. It reads nothing of a window but _NET_WM_PID and
// WM_CLASS.
class FocusWatcher : public QObject
{
    Q_OBJECT

public:
    struct Window
    {
        quint32 id = 0;
        qint64 pid = 0;    // 0 when the window names no process
        QString appClass;  // the class part of WM_CLASS ("Firefox"), may be empty
    };

    // Connects to $DISPLAY; without a display the watcher stays idle (isConnected() false).
    explicit FocusWatcher(QObject *parent = nullptr);
    ~FocusWatcher() override;

    bool isConnected() const { return m_connection != nullptr; }
    Window focused() const { return m_focused; }
    // The top-level windows the window manager lists (_NET_CLIENT_LIST), for naming programs.
    QList<Window> clientWindows() const;

signals:
    void focusChanged();

private:
    void readEvents();
    void readActiveWindow();
    Window describe(quint32 window) const;

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    quint32 m_root = 0;
    quint32 m_activeAtom = 0;
    quint32 m_pidAtom = 0;
    quint32 m_clientListAtom = 0;
    Window m_focused;
};
