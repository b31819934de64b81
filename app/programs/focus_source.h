#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Where the program learns which window has the focus. Each desktop tells it its own way (the
// X server's _NET_ACTIVE_WINDOW, a Wayland compositor's protocol or script); each way is one
// small class behind this interface, and the switcher knows only the interface.
//
// A source reports through its own events, never by polling: focusChanged() when another
// window takes the focus or the focused window changes what it says of itself.
class FocusSource : public QObject
{
    Q_OBJECT

public:
    struct Window
    {
        QString id;        // the source's own handle of the window, unique while it exists
        qint64 pid = 0;    // the process behind it; 0 when the source cannot say
        QString appClass;  // X11 WM_CLASS class, Wayland app id; may be empty
        QString title;

        bool operator==(const Window &o) const
        {
            return id == o.id && pid == o.pid && appClass == o.appClass && title == o.title;
        }
        bool operator!=(const Window &o) const { return !(*this == o); }
    };

    // What a source covers, for the programs page and the README's table.
    enum class Coverage {
        AllWindows,      // every window of the desktop
        X11WindowsOnly,  // X11 windows of a Wayland session (XWayland)
    };

    using QObject::QObject;

    // A short name of the source in use ("X11", "wlroots", "KWin", "GNOME Shell").
    virtual QString name() const = 0;
    virtual Coverage coverage() const = 0;
    // Connected and reporting; a source that is not gives no focus.
    virtual bool isActive() const = 0;
    virtual Window focused() const = 0;
    // The top-level windows the desktop lists, for naming programs; may be empty.
    virtual QList<Window> windows() const { return {}; }
    // Starts or stops watching (the master switch); a source that costs nothing may ignore it.
    virtual void setWatching(bool on) { Q_UNUSED(on); }
    // For a source that would serve this desktop once the user enables something: the exact
    // command that does it; empty otherwise.
    virtual QString setupHint() const { return QString(); }
    // Why that source is not serving yet: not enabled, or enabled but refused by the desktop.
    enum class Setup {
        NotEnabled,
        OutOfDate,  // the desktop marks it as written for other versions of itself
        Failed,     // the desktop reports an error while loading it
    };
    virtual Setup setupState() const { return Setup::NotEnabled; }

signals:
    void focusChanged();
    // A source that was inactive came up, or an active one went away.
    void activeChanged();
};

// The sources this platform has, in the order they are tried: the first that comes up active
// on this desktop is used. Adding a desktop is adding one entry.
struct FocusSourceEntry
{
    const char *name;
    std::function<std::unique_ptr<FocusSource>()> create;
};
QList<FocusSourceEntry> focusSourceTable();

// The first source of the table that is active here, or nullptr when none is. With waiting,
// also an inactive source ahead of it that says how to enable it (setupHint()), to be used
// when it comes up (activeChanged()); nullptr when there is none.
std::unique_ptr<FocusSource> createFocusSource(std::unique_ptr<FocusSource> *waiting = nullptr);
