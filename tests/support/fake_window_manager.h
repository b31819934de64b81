#pragma once

// Plays the window manager of an X display for tests and benchmarks: top-level windows that
// name their process, and the active window named on the root window.

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>

class FakeWindowManager
{
public:
    FakeWindowManager()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_active = atom("_NET_ACTIVE_WINDOW");
        m_pid = atom("_NET_WM_PID");
        m_clientList = atom("_NET_CLIENT_LIST");
        xcb_delete_property(m_connection, m_root, m_clientList);
    }
    ~FakeWindowManager() { xcb_disconnect(m_connection); }

    // A top-level window whose _NET_WM_PID is pid (none for 0) and whose WM_CLASS class is
    // windowClass (none when empty), listed in _NET_CLIENT_LIST.
    xcb_window_t window(qint64 pid, const char *windowClass = "")
    {
        const xcb_window_t id = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, id, m_root, 0, 0, 10, 10, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const uint32_t value = uint32_t(pid);
        if (pid != 0)
            xcb_change_property(
                m_connection, XCB_PROP_MODE_REPLACE, id, m_pid, XCB_ATOM_CARDINAL, 32, 1, &value);
        if (*windowClass) {
            // Instance and class, each ended by a NUL.
            const std::string both = std::string("game") + '\0' + windowClass + '\0';
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_CLASS,
                XCB_ATOM_STRING, 8, uint32_t(both.size()), both.data());
        }
        xcb_change_property(
            m_connection, XCB_PROP_MODE_APPEND, m_root, m_clientList, XCB_ATOM_WINDOW, 32, 1, &id);
        xcb_flush(m_connection);
        return id;
    }
    // The top-level window of another client whose WM_CLASS instance is instance, 0 while
    // there is none.
    xcb_window_t find(const QByteArray &instance)
    {
        xcb_window_t found = 0;
        xcb_query_tree_reply_t *tree =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
        if (!tree)
            return 0;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
            xcb_get_property_reply_t *reply = xcb_get_property_reply(m_connection,
                xcb_get_property(
                    m_connection, 0, children[i], XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
                nullptr);
            if (reply) {
                const QByteArray text(static_cast<const char *>(xcb_get_property_value(reply)),
                    xcb_get_property_value_length(reply));
                if (text.split('\0').value(0) == instance)
                    found = children[i];
                std::free(reply);
            }
        }
        std::free(tree);
        return found;
    }
    // Sets _NET_WM_PID of a window, as a client in another process namespace names itself.
    void setPid(xcb_window_t window, quint32 pid)
    {
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, window, m_pid, XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_flush(m_connection);
    }
    void activate(xcb_window_t window)
    {
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, m_root, m_active, XCB_ATOM_WINDOW, 32, 1, &window);
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
    xcb_atom_t m_clientList = 0;
};
