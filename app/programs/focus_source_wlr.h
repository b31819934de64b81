#pragma once

#include "focus_source.h"

#include <QHash>

#include <memory>

class QSocketNotifier;
class X11FocusSource;
struct wl_display;
struct wl_registry;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

// The focused window on a wlroots-based compositor (sway, Hyprland, labwc, river, Wayfire …),
// from the toplevel list of the wlr-foreign-toplevel-management protocol: the compositor tells
// every toplevel's app id, title and states, the activated one among them, and each change as
// an event. The source has a Wayland connection of its own, read on the GUI thread when its
// socket has data, so it does nothing while the focus stays where it is. The protocol names no
// process: a native Wayland window carries pid 0 and rules find it by its app id. An XWayland
// window (Wine and Proton games, older programs) is also an X11 window, which the compositor
// lists with its X11 class as app id: its process comes from the X server, as on an X11 desktop.
class WlrFocusSource : public FocusSource
{
    Q_OBJECT

public:
    // How long setting up may wait for the compositor's answers.
    static constexpr int kSetupMs = 1000;

    // Connects to $WAYLAND_DISPLAY; inactive without one or where the compositor does not
    // offer the protocol.
    explicit WlrFocusSource(QObject *parent = nullptr);
    ~WlrFocusSource() override;

    QString name() const override { return QStringLiteral("wlroots"); }
    Coverage coverage() const override { return Coverage::AllWindows; }
    bool isActive() const override { return m_manager != nullptr; }
    Window focused() const override { return m_announced; }
    QList<Window> windows() const override;

    // What the compositor told of one toplevel; a change counts once "done" closes it.
    struct Toplevel
    {
        Window pending;
        bool pendingActive = false;
        Window shown;
        bool active = false;
    };

    // Called from the protocol's listeners.
    void addToplevel(zwlr_foreign_toplevel_handle_v1 *handle);
    Toplevel *toplevel(zwlr_foreign_toplevel_handle_v1 *handle);
    void toplevelDone(zwlr_foreign_toplevel_handle_v1 *handle);
    void toplevelClosed(zwlr_foreign_toplevel_handle_v1 *handle);
    void managerFinished();
    void bindManager(wl_registry *registry, quint32 name, quint32 version);

private:
    bool roundtrip(int timeoutMs);
    void readEvents();
    void updateFocused();
    void announce();
    void disconnect();
    void x11FocusChanged();
    // The window with its process from the X server when it is an XWayland window.
    Window withProcess(Window window) const;

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    zwlr_foreign_toplevel_manager_v1 *m_manager = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QHash<zwlr_foreign_toplevel_handle_v1 *, Toplevel> m_toplevels;
    quint64 m_nextId = 1;
    zwlr_foreign_toplevel_handle_v1 *m_focusedHandle = nullptr;
    Window m_focused;                       // as the events read so far leave it
    Window m_announced;                     // as last told
    std::unique_ptr<X11FocusSource> m_x11;  // XWayland's windows; nullptr without $DISPLAY
};
