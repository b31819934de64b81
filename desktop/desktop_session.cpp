#include "desktop_session.h"

#include <QGuiApplication>

namespace DesktopSession {

bool isWayland()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET")
        || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

bool isWaylandClient()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool isX11Client()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

}  // namespace DesktopSession
