#pragma once

class QWindow;

// User input that arrives while the device transport waits in one of its pauses is held back
// until the command is done. Under X11 with the GLib event loop, Qt then leaves it waiting until
// the X server sends the program its next event of any kind: a click or a key press made during
// a command would be handled only when the pointer next moves. release() hands the window such
// an event (a change of a property of its own that nothing else reads), so held input is
// handled at the next turn of the event loop. Elsewhere it does nothing.
namespace HeldInput {
void release(QWindow *window);
}
