#include "window_platform.h"

#include "desktop_session.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformwindow_p.h>

namespace window_platform {

bool placesWindows()
{
    return !DesktopSession::isWaylandClient();
}

void fixSize(QWidget *window, int width, int height)
{
    window->setFixedSize(width, height);
#if QT_CONFIG(xcb)
    if (!DesktopSession::isX11Client())
        return;
    window->winId();  // the X window, so that its type can be set before it is mapped
    using XcbWindow = QNativeInterface::Private::QXcbWindow;
    if (auto *x11 = window->windowHandle()->nativeInterface<XcbWindow>())
        x11->setWindowType(XcbWindow::Dialog);
#endif
}

}  // namespace window_platform
