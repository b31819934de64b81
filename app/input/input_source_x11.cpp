#include "input_source_x11.h"

#include "input_hook.h"
#include "key_tables.h"
#include "linux_key_map.h"

#include <QCursor>
#include <QDebug>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace {

// XInput 2.1 and later deliver raw events to the root window whatever grabs are active.
constexpr uint16_t kXInputMajor = 2;
constexpr uint16_t kXInputMinor = 2;

constexpr uint32_t kRawEventMask = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS
    | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS
    | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;

// The request carries each device's mask words right behind its header.
struct RawEventSelection
{
    xcb_input_event_mask_t head;
    uint32_t mask;
};

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

void dispatchKey(uint32_t keycode, bool pressed)
{
    if (keycode < LinuxKeyMap::kXKeycodeOffset)
        return;
    const LinuxKeyMap::ScanCode key =
        LinuxKeyMap::scanCodeFor(keycode - LinuxKeyMap::kXKeycodeOffset);
    if (key.scan)
        InputHook::keyboardProcedure(key.scan, key.extended, false, pressed);
}

void dispatchButton(uint32_t button, bool pressed)
{
    const uint message = KeyTables::messageForXButton(button, pressed);
    if (!message)
        return;
    const QPoint pos = QCursor::pos();
    InputHook::mouseProcedure(message, pos.x(), pos.y());
}

xcb_window_t rootWindow(xcb_connection_t *connection, int screenNumber)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    return it.rem ? it.data->root : XCB_NONE;
}

bool hasXInput2(xcb_connection_t *connection)
{
    const XcbReply<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, kXInputMajor, kXInputMinor), nullptr));
    return version && version->major_version >= 2;
}

}  // namespace

X11InputSource::X11InputSource(QObject *parent)
    : QObject(parent)
{ }

X11InputSource::~X11InputSource()
{
    close();
}

bool X11InputSource::open(const QByteArray &displayName)
{
    close();
    int screenNumber = 0;
    xcb_connection_t *connection =
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        qDebug().noquote() << "X11 input: no X display";
        return false;
    }
    m_connection = connection;
    if (!selectRawEvents(screenNumber)) {
        close();
        return false;
    }
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11InputSource::drain);
    // Replies read during set-up may have queued events that the socket no longer signals.
    drain();
    return isOpen();
}

void X11InputSource::close()
{
    if (m_notifier) {
        // close() may run inside the notifier's own activation.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_connection) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
    m_xinputOpcode = 0;
}

bool X11InputSource::selectRawEvents(int screenNumber)
{
    const xcb_query_extension_reply_t *extension =
        xcb_get_extension_data(m_connection, &xcb_input_id);
    if (!extension || !extension->present || !hasXInput2(m_connection)) {
        qDebug().noquote() << "X11 input: the X display has no XInput 2";
        return false;
    }
    m_xinputOpcode = extension->major_opcode;
    const xcb_window_t root = rootWindow(m_connection, screenNumber);
    const RawEventSelection selection {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, kRawEventMask};
    const XcbReply<xcb_generic_error_t> error(xcb_request_check(
        m_connection, xcb_input_xi_select_events_checked(m_connection, root, 1, &selection.head)));
    if (root == XCB_NONE || error) {
        qDebug().noquote() << "X11 input: raw events cannot be selected";
        return false;
    }
    return true;
}

void X11InputSource::drain()
{
    if (!m_connection)
        return;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        dispatch(event, m_xinputOpcode);
        std::free(event);
        if (!m_connection)  // a callback closed the source
            return;
    }
    if (xcb_connection_has_error(m_connection)) {
        qDebug().noquote() << "X11 input: connection to the X display lost";
        close();
    }
}

bool X11InputSource::dispatch(const xcb_generic_event_t *event, uint8_t xinputOpcode)
{
    if ((event->response_type & 0x7F) != XCB_GE_GENERIC)
        return false;
    const auto *ge = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
    if (ge->extension != xinputOpcode)
        return false;
    // The four raw events share one layout; detail is the keycode or the button number.
    const auto *raw = reinterpret_cast<const xcb_input_raw_key_press_event_t *>(event);
    switch (ge->event_type) {
    case XCB_INPUT_RAW_KEY_PRESS:
    case XCB_INPUT_RAW_KEY_RELEASE:
        dispatchKey(raw->detail, ge->event_type == XCB_INPUT_RAW_KEY_PRESS);
        return true;
    case XCB_INPUT_RAW_BUTTON_PRESS:
    case XCB_INPUT_RAW_BUTTON_RELEASE:
        dispatchButton(raw->detail, ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS);
        return true;
    default:
        return false;
    }
}
