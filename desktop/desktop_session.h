#pragma once

// What kind of desktop session the program runs in, asked in one place.
namespace DesktopSession {

// A Wayland compositor runs the session (WAYLAND_DISPLAY or WAYLAND_SOCKET names one, or the
// session says it is one), whether or not the program's own window is a Wayland client: an
// X server there is XWayland and sees only the windows of X11 programs.
bool isWayland();

// The program's windows are Wayland windows (Qt's platform is wayland): only the compositor
// places them.
bool isWaylandClient();

// The program's windows are X11 windows (Qt's platform is xcb).
bool isX11Client();

}  // namespace DesktopSession
