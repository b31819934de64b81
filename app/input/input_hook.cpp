#include "input_hook.h"

#ifndef Q_OS_WIN
#include "input_source_x11.h"
#include "window_input_filter.h"
#endif

#include <array>

namespace {

InputHook *currentHook = nullptr;
std::array<uchar, 256> keyDown {};

}  // namespace

InputHook::InputHook(bool isoBackslash)
    : m_isoBackslash(isoBackslash)
{
    currentHook = this;
    m_translator.fill(m_isoBackslash);
    installHooks();
}

InputHook::~InputHook()
{
    removeHooks();
    // A hook procedure that still runs must not reach a destroyed object.
    if (currentHook == this)
        currentHook = nullptr;
}

bool InputHook::installHooks()
{
    removeHooks();
    return installPlatformHooks();
}

void InputHook::removeHooks()
{
    removePlatformHooks();
    m_mode = Mode::Off;
}

void InputHook::setKeyboardCallback(KeyboardCallback callback, void *context)
{
    m_keyboardCallback = callback;
    m_keyboardContext = context;
}

void InputHook::setMouseCallback(MouseCallback callback, void *context)
{
    m_mouseCallback = callback;
    m_mouseContext = context;
}

const char *InputHook::modeName(Mode mode)
{
    switch (mode) {
    case Mode::Global:
#ifdef Q_OS_WIN
        return "global";
#else
        // Raw events of the X server: under XWayland, native Wayland windows are not seen.
        return "global (X11 programs only)";
#endif
    case Mode::WindowOnly:
        return "window only";
    case Mode::Off:
        break;
    }
    return "off";
}

InputHook *InputHook::current()
{
    return currentHook;
}

const uchar *InputHook::keyDownState()
{
    return keyDown.data();
}

uchar InputHook::keyboardProcedure(uint scanCode, bool extended, bool altDown, bool pressed)
{
    InputHook *hook = currentHook;
    if (!hook)
        return 0;
    const uchar usb = hook->m_translator.usb(scanCode, extended, altDown);
    if (!usb || keyDown[usb] == uchar(pressed))
        return 0;
    keyDown[usb] = uchar(pressed);
    if (hook->m_keyboardCallback)
        hook->m_keyboardCallback(usb, pressed ? 1 : 0, hook->m_keyboardContext);
    return usb;
}

uchar InputHook::mouseProcedure(uint message, int x, int y)
{
    InputHook *hook = currentHook;
    const KeyTables::ButtonEntry button = KeyTables::buttonForMessage(message);
    if (!hook || !button.code || !hook->m_mouseCallback)
        return 0;
    hook->m_mouseCallback(button.code, button.pressed, x, y, hook->m_mouseContext);
    return button.code;
}
