#include "focus_source_wlr.h"

#include "desktop_session.h"
#include "focus_source_x11.h"

#include "wlr-foreign-toplevel-client.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace {

// The protocol's highest version this source knows; "parent" (3) is not used.
constexpr quint32 kManagerVersion = 3;

WlrFocusSource *sourceOf(void *data)
{
    return static_cast<WlrFocusSource *>(data);
}

void onTitle(void *data, zwlr_foreign_toplevel_handle_v1 *handle, const char *title)
{
    if (WlrFocusSource::Toplevel *t = sourceOf(data)->toplevel(handle))
        t->pending.title = QString::fromUtf8(title);
}

void onAppId(void *data, zwlr_foreign_toplevel_handle_v1 *handle, const char *appId)
{
    if (WlrFocusSource::Toplevel *t = sourceOf(data)->toplevel(handle))
        t->pending.appClass = QString::fromUtf8(appId);
}

void onOutput(void *, zwlr_foreign_toplevel_handle_v1 *, wl_output *) { }

void onState(void *data, zwlr_foreign_toplevel_handle_v1 *handle, wl_array *states)
{
    WlrFocusSource::Toplevel *t = sourceOf(data)->toplevel(handle);
    if (!t)
        return;
    t->pendingActive = false;
    const auto *state = static_cast<const uint32_t *>(states->data);
    for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i)
        t->pendingActive =
            t->pendingActive || state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
}

void onDone(void *data, zwlr_foreign_toplevel_handle_v1 *handle)
{
    sourceOf(data)->toplevelDone(handle);
}

void onClosed(void *data, zwlr_foreign_toplevel_handle_v1 *handle)
{
    sourceOf(data)->toplevelClosed(handle);
}

void onParent(void *, zwlr_foreign_toplevel_handle_v1 *, zwlr_foreign_toplevel_handle_v1 *) { }

const zwlr_foreign_toplevel_handle_v1_listener kToplevelListener = {
    onTitle, onAppId, onOutput, onOutput, onState, onDone, onClosed, onParent};

void onToplevel(
    void *data, zwlr_foreign_toplevel_manager_v1 *, zwlr_foreign_toplevel_handle_v1 *handle)
{
    sourceOf(data)->addToplevel(handle);
}

void onFinished(void *data, zwlr_foreign_toplevel_manager_v1 *)
{
    sourceOf(data)->managerFinished();
}

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {onToplevel, onFinished};

void onGlobal(
    void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    if (qstrcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0)
        sourceOf(data)->bindManager(registry, name, version);
}

void onGlobalRemove(void *, wl_registry *, uint32_t) { }

const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

void onSyncDone(void *data, wl_callback *callback, uint32_t)
{
    *static_cast<bool *>(data) = true;
    wl_callback_destroy(callback);
}

const wl_callback_listener kSyncListener = {onSyncDone};

}  // namespace

WlrFocusSource::WlrFocusSource(QObject *parent)
    : FocusSource(parent)
{
    if (!DesktopSession::isWayland())
        return;
    m_display = wl_display_connect(nullptr);
    if (!m_display)
        return;
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    // The first answer names the globals (and binds the manager); the second brings the
    // toplevels that exist now.
    if (!roundtrip(kSetupMs) || !m_manager || !roundtrip(kSetupMs)) {
        disconnect();
        return;
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WlrFocusSource::readEvents);
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        m_x11 = std::make_unique<X11FocusSource>();
        connect(m_x11.get(), &FocusSource::focusChanged, this, &WlrFocusSource::x11FocusChanged);
    }
    updateFocused();
    m_announced = m_focused;
}

// The compositor and XWayland tell a move of the focus on connections of their own, in either
// order: the process of an XWayland window is filled in when the X server's word comes.
void WlrFocusSource::x11FocusChanged()
{
    updateFocused();
    announce();
}

// The X server's active window is the XWayland window the compositor focused when their
// classes agree; another class there is a report still on its way.
FocusSource::Window WlrFocusSource::withProcess(Window window) const
{
    if (window.pid != 0 || window.appClass.isEmpty() || !m_x11 || !m_x11->isActive())
        return window;
    const Window x11 = m_x11->focused();
    if (x11.pid > 0 && x11.appClass.compare(window.appClass, Qt::CaseInsensitive) == 0)
        window.pid = x11.pid;
    return window;
}

WlrFocusSource::~WlrFocusSource()
{
    disconnect();
}

void WlrFocusSource::disconnect()
{
    delete m_notifier;
    m_notifier = nullptr;
    for (auto it = m_toplevels.begin(); it != m_toplevels.end(); ++it)
        zwlr_foreign_toplevel_handle_v1_destroy(it.key());
    m_toplevels.clear();
    m_focusedHandle = nullptr;
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    m_manager = nullptr;
    if (m_registry)
        wl_registry_destroy(m_registry);
    m_registry = nullptr;
    if (m_display)
        wl_display_disconnect(m_display);
    m_display = nullptr;
}

void WlrFocusSource::bindManager(wl_registry *registry, quint32 name, quint32 version)
{
    if (m_manager)
        return;
    m_manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(wl_registry_bind(registry, name,
        &zwlr_foreign_toplevel_manager_v1_interface, std::min(version, kManagerVersion)));
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &kManagerListener, this);
}

// A round trip like wl_display_roundtrip, bounded: a compositor that does not answer within
// timeoutMs leaves the source inactive instead of holding the window up.
bool WlrFocusSource::roundtrip(int timeoutMs)
{
    bool done = false;
    wl_callback *callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &kSyncListener, &done);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done) {
        while (wl_display_prepare_read(m_display) != 0)
            wl_display_dispatch_pending(m_display);
        if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(m_display);
            return false;
        }
        pollfd fd = {wl_display_get_fd(m_display), POLLIN, 0};
        const int ready = poll(&fd, 1, int(deadline.remainingTime()));
        if (ready <= 0) {
            wl_display_cancel_read(m_display);
            if (ready < 0 && errno == EINTR)
                continue;
            qDebug().noquote() << "The Wayland compositor did not answer: focus rules see no "
                                  "Wayland window";
            return false;
        }
        if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0)
            return false;
    }
    return true;
}

void WlrFocusSource::readEvents()
{
    while (wl_display_prepare_read(m_display) != 0)
        wl_display_dispatch_pending(m_display);
    if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0) {
        qDebug().noquote() << "The connection to the Wayland compositor broke: focus rules stop";
        m_notifier->setEnabled(false);
        m_focused = Window {};
        announce();
        return;
    }
    wl_display_flush(m_display);
    announce();
}

void WlrFocusSource::addToplevel(zwlr_foreign_toplevel_handle_v1 *handle)
{
    Toplevel t;
    t.pending.id = QStringLiteral("wlr-%1").arg(m_nextId++);
    m_toplevels.insert(handle, t);
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kToplevelListener, this);
}

WlrFocusSource::Toplevel *WlrFocusSource::toplevel(zwlr_foreign_toplevel_handle_v1 *handle)
{
    const auto it = m_toplevels.find(handle);
    return it == m_toplevels.end() ? nullptr : &it.value();
}

void WlrFocusSource::toplevelDone(zwlr_foreign_toplevel_handle_v1 *handle)
{
    Toplevel *t = toplevel(handle);
    if (!t)
        return;
    const bool activated = t->pendingActive && !t->active;
    t->shown = t->pending;
    t->active = t->pendingActive;
    if (activated)
        m_focusedHandle = handle;
    updateFocused();
}

void WlrFocusSource::toplevelClosed(zwlr_foreign_toplevel_handle_v1 *handle)
{
    m_toplevels.remove(handle);
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (m_focusedHandle == handle)
        m_focusedHandle = nullptr;
    updateFocused();
}

void WlrFocusSource::managerFinished()
{
    // The compositor sends no more toplevels; the manager object is gone on its side.
    qDebug().noquote() << "The Wayland compositor stopped telling its windows: focus rules stop";
    zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    m_manager = nullptr;
}

// The focus is the toplevel activated last; when it loses that state, another one that has it
// (a second seat), else none.
void WlrFocusSource::updateFocused()
{
    if (m_focusedHandle && !m_toplevels.value(m_focusedHandle).active)
        m_focusedHandle = nullptr;
    for (auto it = m_toplevels.cbegin(); !m_focusedHandle && it != m_toplevels.cend(); ++it) {
        if (it->active)
            m_focusedHandle = it.key();
    }
    m_focused = m_focusedHandle ? withProcess(m_toplevels.value(m_focusedHandle).shown) : Window {};
}

// A move of the focus comes as two changes, the old window losing it and the new one gaining
// it, usually read together: only what holds after all that was read is told.
void WlrFocusSource::announce()
{
    if (m_focused == m_announced)
        return;
    m_announced = m_focused;
    emit focusChanged();
}

// XWayland windows with their processes, found by class among the X server's windows.
QList<FocusSource::Window> WlrFocusSource::windows() const
{
    QHash<QString, qint64> x11Pids;
    if (m_x11) {
        for (const Window &window : m_x11->windows()) {
            if (window.pid > 0 && !window.appClass.isEmpty())
                x11Pids.insert(window.appClass.toLower(), window.pid);
        }
    }
    QList<Window> list;
    for (const Toplevel &t : m_toplevels) {
        Window window = t.shown;
        if (window.pid == 0)
            window.pid = x11Pids.value(window.appClass.toLower());
        list.append(window);
    }
    return list;
}
