#pragma once

// The callbacks of the global input hooks (InputHook): each key or button transition goes to
// the view, whose scene shows it where a key or button is being assigned. The context is the
// view (myQQuickView); a null context drops the event.
namespace HookCallbacks {
void keyboard(int usbCode, int pressed, void *view);
void mouse(int buttonCode, int pressed, int x, int y, void *view);
}  // namespace HookCallbacks
