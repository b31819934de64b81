#include "focus_source_x11.h"

#include "desktop_session.h"

#include <QDebug>
#include <QSocketNotifier>

#include <QFile>

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A property of window as 32-bit values (at most max of them).
QList<quint32> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
    xcb_atom_t type, uint32_t max = 1)
{
    QList<quint32> values;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, max), nullptr));
    if (!reply || reply->format != 32)
        return values;
    const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i)
        values.append(data[i]);
    return values;
}

// The process ids of pid in its own process namespace and the ones above it, the innermost
// last (/proc/PID/status, line NSpid); empty when the process cannot be read.
QList<qint64> namespacePids(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (!line.startsWith("NSpid:"))
            continue;
        QList<qint64> pids;
        for (const QByteArray &field : line.mid(6).simplified().split(' '))
            pids.append(field.toLongLong());
        return pids;
    }
    return {};
}

}  // namespace

X11FocusSource::X11FocusSource(QObject *parent)
    : FocusSource(parent)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = screens.data->root;
    m_activeAtom = internAtom(connection, "_NET_ACTIVE_WINDOW");
    m_pidAtom = internAtom(connection, "_NET_WM_PID");
    m_clientListAtom = internAtom(connection, "_NET_CLIENT_LIST");
    m_clientIds = hasClientIds(connection);

    // Only property changes of the root window; every other client's events stay theirs.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11FocusSource::readEvents);
    readActiveWindow();
    readEvents();  // events that came while setting up do not wake the notifier
}

// In a Wayland session the X server is XWayland: only X11 windows are its own.
FocusSource::Coverage X11FocusSource::coverage() const
{
    return DesktopSession::isWayland() ? Coverage::X11WindowsOnly : Coverage::AllWindows;
}

X11FocusSource::~X11FocusSource()
{
    delete m_notifier;
    if (m_connection)
        xcb_disconnect(m_connection);
}

// Reading the active window waits for replies, and xcb queues the events that arrive
// meanwhile (a window manager that sets _NET_ACTIVE_WINDOW twice per switch, None first): those
// never wake the socket notifier again, so the queue is read until a read leaves it empty.
void X11FocusSource::readEvents()
{
    for (;;) {
        bool activeChanged = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
                activeChanged = activeChanged || notify->atom == m_activeAtom;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(m_connection)) {
            qDebug().noquote() << "The connection to the X display broke: focus rules stop";
            m_notifier->setEnabled(false);
            return;
        }
        if (!activeChanged)
            return;
        readActiveWindow();
    }
}

void X11FocusSource::readActiveWindow()
{
    const QList<quint32> active = cardinals(m_connection, m_root, m_activeAtom, XCB_ATOM_WINDOW);
    const Window now = describe(active.isEmpty() ? 0 : active.constFirst());
    if (now == m_focused)
        return;
    m_focused = now;
    emit focusChanged();
}

bool X11FocusSource::hasClientIds(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_res_id);
    if (!extension || !extension->present)
        return false;
    const Reply<xcb_res_query_version_reply_t> version(
        xcb_res_query_version_reply(connection, xcb_res_query_version(connection, 1, 2), nullptr));
    return version
        && (version->server_major > 1
            || (version->server_major == 1 && version->server_minor >= 2));
}

// The X server knows the process behind the connection that made a window (for clients on
// this machine), whatever the window says of itself.
qint64 X11FocusSource::clientPid(quint32 window) const
{
    if (!m_clientIds)
        return 0;
    const xcb_res_client_id_spec_t asked {window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const Reply<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(
        m_connection, xcb_res_query_client_ids(m_connection, 1, &asked), nullptr));
    if (!reply)
        return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        // Each value starts with the client and kind it answers for.
        const auto &answered = *reinterpret_cast<const xcb_res_client_id_spec_t *>(it.data);
        if ((answered.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
            && xcb_res_client_id_value_value_length(it.data) >= 1)
            return *xcb_res_client_id_value_value(it.data);
    }
    return 0;
}

// The window's own _NET_WM_PID when the X server agrees or cannot say, or names another
// process (a window made for another program); the X server's process when the window names
// none, or names the process as its own process namespace numbers it (Flatpak, containers).
qint64 X11FocusSource::windowPid(quint32 window) const
{
    const QList<quint32> property = cardinals(m_connection, window, m_pidAtom, XCB_ATOM_CARDINAL);
    const qint64 named = property.isEmpty() ? 0 : property.constFirst();
    const qint64 client = clientPid(window);
    if (client <= 0 || client == named)
        return named;
    if (named <= 0)
        return client;
    const QList<qint64> inner = namespacePids(client);
    return inner.size() > 1 && inner.constLast() == named ? client : named;
}

FocusSource::Window X11FocusSource::describe(quint32 window) const
{
    Window result;
    if (window == 0)
        return result;
    result.id = QString::number(window, 16);
    result.pid = windowPid(window);
    // WM_CLASS: instance name NUL class name NUL.
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
        nullptr));
    if (reply && reply->format == 8) {
        const QByteArray text(static_cast<const char *>(xcb_get_property_value(reply.get())),
            xcb_get_property_value_length(reply.get()));
        const QList<QByteArray> parts = text.split('\0');
        if (parts.size() >= 2)
            result.appClass = QString::fromLocal8Bit(parts.at(1));
    }
    return result;
}

QList<FocusSource::Window> X11FocusSource::windows() const
{
    QList<Window> windows;
    if (!m_connection)
        return windows;
    const QList<quint32> ids =
        cardinals(m_connection, m_root, m_clientListAtom, XCB_ATOM_WINDOW, 4096);
    for (quint32 id : ids)
        windows.append(describe(id));
    // Events that came while waiting for those replies are queued, and wake nothing.
    QMetaObject::invokeMethod(
        const_cast<X11FocusSource *>(this), &X11FocusSource::readEvents, Qt::QueuedConnection);
    return windows;
}
