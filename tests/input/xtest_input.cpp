#include "xtest_input.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

XTestInput::~XTestInput()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XTestInput::open(const QByteArray &displayName)
{
    m_connection = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), nullptr);
    if (xcb_connection_has_error(m_connection))
        return false;
    const xcb_query_extension_reply_t *extension =
        xcb_get_extension_data(m_connection, &xcb_test_id);
    if (!extension || !extension->present)
        return false;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    return true;
}

void XTestInput::key(uint8_t keycode, bool press)
{
    fake(press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode);
}

void XTestInput::button(uint8_t button, bool press)
{
    fake(press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button);
}

void XTestInput::moveTo(int x, int y)
{
    fake(XCB_MOTION_NOTIFY, 0, x, y);  // detail 0: absolute position
}

void XTestInput::sync()
{
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void XTestInput::fake(uint8_t type, uint8_t detail, int x, int y)
{
    xcb_test_fake_input(
        m_connection, type, detail, XCB_CURRENT_TIME, m_root, int16_t(x), int16_t(y), 0);
    xcb_flush(m_connection);
}
