// Windows: the three desktop settings through SystemParametersInfoW.
#include "pointer_settings.h"

#ifdef Q_OS_WIN

#include <QDebug>

#include <windows.h>

namespace PointerSettings {

namespace {

constexpr UINT kSetMouseSpeed = 0x71;        // SPI_SETMOUSESPEED: speed 1 … 20 in pvParam
constexpr UINT kSetDoubleClickTime = 0x20;   // SPI_SETDOUBLECLICKTIME: milliseconds in uiParam
constexpr UINT kSetWheelScrollLines = 0x69;  // SPI_SETWHEELSCROLLLINES: lines in uiParam
constexpr UINT kPersistAndBroadcast = 3;     // SPIF_UPDATEINIFILE | SPIF_SENDCHANGE

bool reportFailure(bool done, const char *failureLine)
{
    if (!done)
        qDebug().noquote() << failureLine;
    return done;
}

}  // namespace

bool canSetCursorSpeed()
{
    return true;
}

bool mouseSetCursorSpeed(uint step)
{
    // Step 0 would be speed 0, which Windows does not take: the slowest speed is 1.
    const UINT speed = step == 0 ? 1 : 2 * step;
    return reportFailure(step <= kMaxStep
            && SystemParametersInfoW(
                kSetMouseSpeed, 0, reinterpret_cast<PVOID>(UINT_PTR(speed)), kPersistAndBroadcast),
        "setCursorSpeed Failed");
}

bool mouseSetDoubleClickSpeed(uint step)
{
    // Steps above 10 would wrap below 0 ms.
    return reportFailure(step <= kMaxStep
            && SystemParametersInfoW(
                kSetDoubleClickTime, 900 - 70 * step, nullptr, kPersistAndBroadcast),
        "setDoubleClickSpeed Failed");
}

bool mouseSetVerticalScrollLines(uint lines)
{
    return reportFailure(
        SystemParametersInfoW(kSetWheelScrollLines, lines, nullptr, kPersistAndBroadcast),
        "setVerticalScrollLines Failed");
}

}  // namespace PointerSettings

#endif  // Q_OS_WIN
