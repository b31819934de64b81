// The X11 focus source under a real window manager: openbox on a virtual X server (the test
// starts it), two windows of the test's own, activated in turn as a pager or a task bar asks
// for it. Openbox names no window (None) and then the new one at every switch.

#include "focus_source_x11.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

}  // namespace

class TestFocusOpenbox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyActivationIsSeen();

private:
    xcb_window_t makeWindow(const QByteArray &wmClass);
    void activate(xcb_window_t window);
    bool managed(xcb_window_t window);

    QProcess m_openbox;
    xcb_connection_t *m_c = nullptr;
    xcb_screen_t *m_screen = nullptr;
};

void TestFocusOpenbox::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
        QSKIP("openbox is not installed");
    int screen = 0;
    m_c = xcb_connect(nullptr, &screen);
    QVERIFY(!xcb_connection_has_error(m_c));
    m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
    m_openbox.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    QVERIFY(m_openbox.waitForStarted());
}

void TestFocusOpenbox::cleanupTestCase()
{
    m_openbox.terminate();
    m_openbox.waitForFinished();
    if (m_c)
        xcb_disconnect(m_c);
}

// A top-level window with the given WM_CLASS ("instance\0Class\0"), shown.
xcb_window_t TestFocusOpenbox::makeWindow(const QByteArray &wmClass)
{
    const xcb_window_t w = xcb_generate_id(m_c);
    xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_screen->root, 0, 0, 200, 100, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, 0, nullptr);
    xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
        uint32_t(wmClass.size()), wmClass.constData());
    xcb_map_window(m_c, w);
    xcb_flush(m_c);
    return w;
}

// Openbox has reparented the window into its frame.
bool TestFocusOpenbox::managed(xcb_window_t window)
{
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, window), nullptr);
    const bool framed = tree && tree->parent != m_screen->root;
    std::free(tree);
    return framed;
}

// What a task bar sends: _NET_ACTIVE_WINDOW for the window, from a pager (source 2).
void TestFocusOpenbox::activate(xcb_window_t window)
{
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(m_c, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_c, 0, m_screen->root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&message));
    xcb_flush(m_c);
}

void TestFocusOpenbox::everyActivationIsSeen()
{
    const xcb_window_t windows[] = {makeWindow(QByteArray("one\0StrylaOne\0", 14)),
        makeWindow(QByteArray("two\0StrylaTwo\0", 14))};
    const QString classes[] = {QStringLiteral("StrylaOne"), QStringLiteral("StrylaTwo")};
    QTRY_VERIFY_WITH_TIMEOUT(managed(windows[0]) && managed(windows[1]), 10000);

    X11FocusSource source;
    QVERIFY(source.isActive());
    // The source also asks the X server for the window list (the programs page, class rules):
    // a switch that comes while it waits for those answers counts as well.
    for (int i = 0; i < 50; ++i) {
        activate(windows[i % 2]);
        for (int n = 0; n < 20; ++n)
            source.windows();
        QTRY_COMPARE_WITH_TIMEOUT(source.focused().appClass, classes[i % 2], 3000);
    }
}

QTEST_GUILESS_MAIN(TestFocusOpenbox)
#include "tst_focus_openbox.moc"
