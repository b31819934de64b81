#include "held_input.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

const char kWakeProperty[] = "_STRYLA_HELD_INPUT";

xcb_atom_t wakeAtom(xcb_connection_t *connection)
{
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom == XCB_ATOM_NONE) {
        const xcb_intern_atom_cookie_t cookie =
            xcb_intern_atom(connection, 0, sizeof kWakeProperty - 1, kWakeProperty);
        if (xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr)) {
            atom = reply->atom;
            std::free(reply);
        }
    }
    return atom;
}

}  // namespace

void HeldInput::release(QWindow *window)
{
    // The offscreen platform answers for X11 too, without a connection.
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window || !window->handle()
        || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    xcb_connection_t *connection = x11->connection();
    const xcb_atom_t atom = wakeAtom(connection);
    if (atom == XCB_ATOM_NONE)
        return;
    static uint32_t count = 0;
    ++count;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), atom,
        XCB_ATOM_CARDINAL, 32, 1, &count);
    xcb_flush(connection);
}
