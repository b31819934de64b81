#include "display_check.h"

#include <QStringList>

#include <wayland-client.h>
#include <xcb/xcb.h>

namespace {

bool waylandAnswers()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return false;
    wl_display_disconnect(display);
    return true;
}

bool x11Answers()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool ok = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return ok;
}

// What one variable names and why it does not serve: "WAYLAND_DISPLAY wayland-1 does not
// answer", "DISPLAY is not set".
QString why(const char *variable)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty()
        ? QStringLiteral("%1 is not set").arg(QLatin1String(variable))
        : QStringLiteral("%1 %2 does not answer").arg(QLatin1String(variable), value);
}

}  // namespace

QString DisplayCheck::problem()
{
    // QT_QPA_PLATFORM may name several platforms, tried in turn ("wayland;xcb"); the others
    // (offscreen, minimal, vnc …) need no display, nor do its options after a colon.
    const QString asked = qEnvironmentVariable("QT_QPA_PLATFORM");
    QStringList platforms;
    for (const QString &entry : asked.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        platforms.append(entry.section(QLatin1Char(':'), 0, 0).trimmed());
    if (platforms.isEmpty())
        platforms = {QStringLiteral("wayland"), QStringLiteral("xcb")};
    bool needsDisplay = false;
    for (const QString &platform : platforms) {
        if (platform != QLatin1String("wayland") && platform != QLatin1String("xcb"))
            return QString();
        needsDisplay = true;
    }
    const bool wayland = platforms.contains(QLatin1String("wayland"));
    const bool x11 = platforms.contains(QLatin1String("xcb"));
    const bool waylandNamed = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET");
    if (!needsDisplay || (wayland && waylandNamed && waylandAnswers())
        || (x11 && !qEnvironmentVariableIsEmpty("DISPLAY") && x11Answers()))
        return QString();
    QStringList reasons;
    if (wayland)
        reasons.append(why("WAYLAND_DISPLAY"));
    if (x11)
        reasons.append(why("DISPLAY"));
    return QStringLiteral("No display to connect to: %1").arg(reasons.join(QStringLiteral(", ")));
}
