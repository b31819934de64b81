#pragma once

#include <QtGlobal>

// Linux input key codes (KEY_* of <linux/input-event-codes.h>; an X keycode is the input code
// + 8) as the PC set-1 scan code and extended flag that the same key gives on Windows, so that
// both platforms run one translation to USB key codes.
namespace LinuxKeyMap {

struct ScanCode
{
    uchar scan = 0;  // 0: the key has no scan code here
    bool extended = false;
};

constexpr uint kXKeycodeOffset = 8;

// The scan code of a Linux input code; {0, false} for keys the map does not know.
ScanCode scanCodeFor(uint linuxCode);

// Linux input codes the map knows, in ascending order (for checks over the whole map).
int knownCodeCount();
uint knownCode(int index);

// The Linux input code of a Qt key, for key events that carry no native scan code. keypad
// selects the keypad form (Qt::KeypadModifier). 0 for keys outside the translation table.
// Qt does not tell left from right modifiers: Ctrl, Shift, Alt and Meta give the left key.
uint linuxCodeForQtKey(int qtKey, bool keypad);

}  // namespace LinuxKeyMap
