// Installing the hooks where the Windows desktop hooks do not exist: X11 raw input for the whole
// desktop, the application's own windows otherwise.
#include "input_hook.h"

#include "desktop_session.h"
#include "input_source_x11.h"
#include "window_input_filter.h"

#include <QCoreApplication>
#include <QDebug>

bool InputHook::installPlatformHooks()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application) {
        qDebug().noquote() << "Input hooks: no application object";
        return false;
    }
    // Wayland sessions usually run an X server beside them for older programs; its raw events
    // cover those programs' windows, but not the Wayland windows, ours included.
    const bool x11 = DesktopSession::isX11Client();
    if (x11 || (DesktopSession::isWaylandClient() && qEnvironmentVariableIsSet("DISPLAY"))) {
        auto source = std::make_unique<X11InputSource>();
        if (source->open())
            m_x11Source = std::move(source);
    }
    if (!m_x11Source || !x11) {
        m_windowFilter = std::make_unique<WindowInputFilter>();
        application->installEventFilter(m_windowFilter.get());
    }
    m_mode = m_x11Source ? Mode::Global : Mode::WindowOnly;
    return m_mode == Mode::Global;
}

void InputHook::removePlatformHooks()
{
    m_x11Source.reset();
    m_windowFilter.reset();  // leaves the application's filter list by itself
}
