#pragma once

#include <QByteArray>
#include <QtGlobal>

// The desktop's pointer speed, double-click time and wheel scroll lines, set from the system
// page. Each setter makes its one change and, when the desktop refuses it, writes its failure
// line ("setCursorSpeed Failed", "setDoubleClickSpeed Failed", "setVerticalScrollLines Failed")
// and returns false.
//
// Windows: SystemParametersInfoW, made permanent for the user and broadcast. Linux, where a
// setter succeeds only when the running desktop takes the value:
// - KDE Plasma: double-click time and wheel lines in kdeglobals (group KDE), followed by
//   Plasma's change notice on the session bus; the pointer speed of every mouse through KWin's
//   input devices on the session bus (Plasma on Wayland, where KWin applies and keeps it),
//   failing where KWin offers none (Plasma on X11).
// - other desktops: speed and double-click time in GSettings
//   "org.gnome.desktop.peripherals.mouse" (GNOME reads them), failing when GSettings only
//   keeps them in memory (no dconf) or cannot commit them; wheel lines fail.
namespace PointerSettings {

// Steps of the two sliders: 0 (slowest) … 10 (fastest).
constexpr uint kMaxStep = 10;
// Wheel lines the page stores for "Scroll one Screen".
constexpr uint kOneScreen = 1000;

// Step of a slider position (pixels, 3 … 337): the position of the first threshold above it.
uint sliderStep(int position);

// Wheel lines to apply for a stored "mouse/scrollRate": 1 … 100 as they are, above 100 one
// screen (1000), below 1 one line.
uint scrollLinesForRate(int rate);

bool mouseSetCursorSpeed(uint step);
// Whether this desktop lets a program set the pointer speed at all (the page says so beside
// the control when it does not). Asks the desktop, within a bounded wait.
bool canSetCursorSpeed();
bool mouseSetDoubleClickSpeed(uint step);
bool mouseSetVerticalScrollLines(uint lines);

#ifndef Q_OS_WIN
// Linux details, open for tests.

// GSettings "speed" and KWin's "pointerAcceleration" (both libinput's speed) for a step: the
// desktop's default (0) at step 5, −1 at step 0, 1 at step 10.
double gnomeSpeedForStep(uint step);
// GSettings "double-click" in milliseconds: 900 at step 0 down to 200 at step 10.
int doubleClickMsForStep(uint step);

// Writes one key of an installed schema; false (never a crash) when the schema or key is
// missing, the value has the wrong type or lies outside the key's range, the key is not
// writable, the backend keeps nothing beyond this process, or the value did not stay.
bool writeGSettingsDouble(const char *schemaId, const char *key, double value);
bool writeGSettingsInt(const char *schemaId, const char *key, int value);

// kdeglobals text with key=value in group [KDE]; every other line stays as it was.
QByteArray withKdeSetting(
    const QByteArray &kdeglobals, const QByteArray &key, const QByteArray &value);
#endif

}  // namespace PointerSettings
