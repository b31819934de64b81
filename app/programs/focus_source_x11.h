#pragma once

#include "focus_source.h"

class QSocketNotifier;
struct xcb_connection_t;

// The window that has the focus on an X11 display (also the X11 windows of a Wayland session),
// as the window manager names it in _NET_ACTIVE_WINDOW on the root window. The source has a
// connection of its own and hears every change of that property as an event, so it does
// nothing while the focus stays where it is. It reads nothing of a window but _NET_WM_PID,
// WM_CLASS and, from the X server's X-Resource extension, the process of the client that made
// it.
class X11FocusSource : public FocusSource
{
    Q_OBJECT

public:
    // Connects to $DISPLAY; without a display the source stays idle (isActive() false).
    explicit X11FocusSource(QObject *parent = nullptr);
    ~X11FocusSource() override;

    QString name() const override { return QStringLiteral("X11"); }
    Coverage coverage() const override;
    bool isActive() const override { return m_connection != nullptr; }
    Window focused() const override { return m_focused; }
    // The top-level windows the window manager lists (_NET_CLIENT_LIST).
    QList<Window> windows() const override;

private:
    void readEvents();
    void readActiveWindow();
    Window describe(quint32 window) const;
    static bool hasClientIds(xcb_connection_t *connection);
    qint64 clientPid(quint32 window) const;
    qint64 windowPid(quint32 window) const;

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    quint32 m_root = 0;
    quint32 m_activeAtom = 0;
    quint32 m_pidAtom = 0;
    quint32 m_clientListAtom = 0;
    bool m_clientIds = false;  // the X server names the process behind a client
    Window m_focused;
};
