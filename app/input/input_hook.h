#pragma once

#include "key_tables.h"

#include <QtGlobal>

#include <memory>

class QCoreApplication;
class X11InputSource;
class WindowInputFilter;
#ifdef Q_OS_WIN
struct tagCOPYDATASTRUCT;
#endif

// Watches the keyboard and the three standard mouse buttons of the whole desktop and hands every
// transition to a callback: keys as USB key codes without auto-repeat, buttons as F0 (left),
// F1 (right) and F2 (middle) with the pointer's screen position.
//
// One object per process, created on the GUI thread once the application object exists; the
// newest object is the current one, whose tables and callbacks the procedures use. On Windows
// the low-level keyboard and mouse hooks deliver the events; on X11 the raw XInput2 events of
// the root window. Where neither is available, only the application's own windows are watched:
// an application-wide event filter feeds their key and button events to the same procedures.
class InputHook
{
public:
    using KeyboardCallback = void (*)(int usbCode, int pressed, void *context);
    using MouseCallback = void (*)(int buttonCode, int pressed, int x, int y, void *context);

    enum class Mode {
        Off,         // nothing installed
        Global,      // every key and button of the desktop
        WindowOnly,  // the application's own windows, while they have the input focus
    };

    // Makes this the current object, fills both tables and installs the hooks.
    explicit InputHook(bool isoBackslash);
    ~InputHook();
    Q_DISABLE_COPY_MOVE(InputHook)

    // Removes installed hooks first. True when global capture is in place; false when
    // nothing, or only the own windows, can be watched.
    bool installHooks();
    void removeHooks();

    // The next event uses the new pair. Events without a callback still record key states.
    void setKeyboardCallback(KeyboardCallback callback, void *context);
    void setMouseCallback(MouseCallback callback, void *context);

#ifdef Q_OS_WIN
    using CopyDataCallback = void (*)(const tagCOPYDATASTRUCT *data, void *context);
    // Installs the application-wide filter that hands every WM_COPYDATA to callback.
    void setCopyDataFilter(CopyDataCallback callback, QCoreApplication *application, void *context);
#endif

    bool isoBackslash() const
    {
        return m_isoBackslash;
    }
    Mode mode() const
    {
        return m_mode;
    }
    static const char *modeName(Mode mode);
    const KeyTables::KeyTranslator &translator() const
    {
        return m_translator;
    }

    static InputHook *current();

    // 256 bytes indexed by USB key code, 1 while the key is down. Lives as long as the process
    // and is never reset.
    static const uchar *keyDownState();

    // The keyboard procedure for one key event as the platform delivers it. Reports the USB key
    // code when its state changes; auto-repeat and releases of keys never seen pressed report
    // nothing. Returns the USB key code whose state changed, 0 for none. The caller passes the
    // event on to the rest of the system itself.
    static uchar keyboardProcedure(uint scanCode, bool extended, bool altDown, bool pressed);

    // The mouse procedure for one button message (WM_LBUTTONDOWN 0x201 … WM_MBUTTONUP 0x208;
    // every other message and the double-click messages are ignored). Every press and release
    // is reported. Returns the button code (0: nothing reported).
    static uchar mouseProcedure(uint message, int x, int y);

private:
    bool installPlatformHooks();
    void removePlatformHooks();

    bool m_isoBackslash;
    Mode m_mode = Mode::Off;
    KeyTables::KeyTranslator m_translator;
    KeyboardCallback m_keyboardCallback = nullptr;
    void *m_keyboardContext = nullptr;
    MouseCallback m_mouseCallback = nullptr;
    void *m_mouseContext = nullptr;
#ifndef Q_OS_WIN
    std::unique_ptr<X11InputSource> m_x11Source;
    std::unique_ptr<WindowInputFilter> m_windowFilter;
#endif
};
