#pragma once

#include <QStringList>

// KWin's input devices on the session bus (service org.kde.KWin): Plasma on Wayland applies
// each device's settings through them, and KWin keeps what is set in its own input settings.
// Plasma on X11 has none. Every call waits at most kBusTimeoutMs for each answer and stops at
// the first that does not come.
namespace KWinInputDevices {

constexpr int kBusTimeoutMs = 1000;

// Object paths of the mice whose speed can be set: pointer devices, not touchpads, with
// pointer acceleration. Empty where KWin offers no such device or does not answer.
QStringList adjustableMice();

// Sets "pointerAcceleration" (−1 … 1) of each device and reads it back; true when every one
// took the value.
bool setPointerAcceleration(const QStringList &devices, double speed);

}  // namespace KWinInputDevices
