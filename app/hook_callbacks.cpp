#include "hook_callbacks.h"

#include "myqquickview.h"

void HookCallbacks::keyboard(int usbCode, int pressed, void *view)
{
    if (auto *target = static_cast<myQQuickView *>(view))
        target->detectKeyboard(pressed & 0xFF, usbCode & 0xFF);
}

void HookCallbacks::mouse(int buttonCode, int pressed, int x, int y, void *view)
{
    if (auto *target = static_cast<myQQuickView *>(view))
        target->detectMouse((pressed & 0xFF) != 0, uint(buttonCode) & 0xFF, uint(x), uint(y));
}
