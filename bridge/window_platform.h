#pragma once

class QWidget;

// What the windowing system lets a program do with its own top-level window.
namespace window_platform {

// False where the compositor alone places windows (Wayland): there a program can only ask it to
// start an interactive move.
bool placesWindows();

// Tells the window manager the window has one size and should float at it: minimum = maximum
// size, and on X11 the dialog window type as well (tiling managers float dialogs; Wayland's
// shell has no such type, its tiling compositors float windows of a fixed size).
void fixSize(QWidget *window, int width, int height);

}  // namespace window_platform
