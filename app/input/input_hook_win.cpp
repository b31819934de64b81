// The Windows desktop's low-level keyboard and mouse hooks, and the application-wide filter that
// hands WM_COPYDATA requests to the host window.
#include <QtGlobal>

#ifdef Q_OS_WIN

#include "input_hook.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>

#include <windows.h>

namespace {

// Process-wide, like the hooks themselves: one set for the whole desktop session.
HHOOK keyboardHook = nullptr;
HHOOK mouseHook = nullptr;

constexpr DWORD kExtendedFlag = LLKHF_EXTENDED;  // 0x01
constexpr DWORD kAltDownFlag = LLKHF_ALTDOWN;    // 0x20

LRESULT CALLBACK lowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    // A negative code asks for the event to be passed on untouched.
    if (code >= 0) {
        const auto *event = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
        const bool pressed = code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN);
        InputHook::keyboardProcedure(event->scanCode, (event->flags & kExtendedFlag) != 0,
            (event->flags & kAltDownFlag) != 0, pressed);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK lowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0) {
        const auto *event = reinterpret_cast<const MSLLHOOKSTRUCT *>(lParam);
        InputHook::mouseProcedure(UINT(wParam), event->pt.x, event->pt.y);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void unhook(HHOOK &hook)
{
    if (hook)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
}

class CopyDataFilter : public QAbstractNativeEventFilter
{
public:
    InputHook::CopyDataCallback callback = nullptr;
    void *context = nullptr;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override
    {
        // WM_COPYDATA is only ever sent, so it arrives through the window procedure.
        if (!callback || eventType != "windows_generic_MSG")
            return false;
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message != WM_COPYDATA)
            return false;
        callback(reinterpret_cast<const COPYDATASTRUCT *>(msg->lParam), context);
        if (result)
            *result = 1;
        return true;
    }
};

CopyDataFilter copyDataFilter;

}  // namespace

bool InputHook::installPlatformHooks()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, lowLevelKeyboardProc, module, 0);
    mouseHook = SetWindowsHookExW(WH_MOUSE_LL, lowLevelMouseProc, module, 0);
    // A hook that did install keeps delivering events; its handle stays recorded so that the
    // next removal or installation takes it away and it is never installed twice.
    m_mode = keyboardHook || mouseHook ? Mode::Global : Mode::Off;
    return keyboardHook && mouseHook;
}

void InputHook::removePlatformHooks()
{
    unhook(keyboardHook);
    unhook(mouseHook);
}

void InputHook::setCopyDataFilter(
    CopyDataCallback callback, QCoreApplication *application, void *context)
{
    copyDataFilter.callback = callback;
    copyDataFilter.context = context;
    if (application) {
        application->removeNativeEventFilter(&copyDataFilter);
        application->installNativeEventFilter(&copyDataFilter);
    }
}

#endif  // Q_OS_WIN
