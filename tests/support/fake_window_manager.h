#pragma once

// Plays the window manager of an X display for tests and benchmarks: top-level windows that
// name their process, and the active window named on the root window.

#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

class FakeWindowManager
{
public:
    FakeWindowManager()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_active = atom("_NET_ACTIVE_WINDOW");
        m_pid = atom("_NET_WM_PID");
    }
    ~FakeWindowManager() { xcb_disconnect(m_connection); }

    // A top-level window whose _NET_WM_PID is pid.
    xcb_window_t window(qint64 pid)
    {
        const xcb_window_t id = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, id, m_root, 0, 0, 10, 10, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const uint32_t value = uint32_t(pid);
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, id, m_pid, XCB_ATOM_CARDINAL, 32, 1, &value);
        xcb_flush(m_connection);
        return id;
    }
    void activate(xcb_window_t window)
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_root, m_active,
            XCB_ATOM_WINDOW, 32, 1, &window);
        xcb_flush(m_connection);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(m_connection,
            xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply->atom;
        std::free(reply);
        return result;
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_active = 0;
    xcb_atom_t m_pid = 0;
};
