#include "linux_key_map.h"

#include <Qt>

#include <array>

namespace LinuxKeyMap {

namespace {

struct LinuxKey
{
    quint16 linuxCode;
    uchar scan;
    bool extended;
};

// Every key of the translation table, plus Right Windows, F13 … F22 and F24, which Windows
// reports with scan codes the table does not translate. Right Shift is given the extended
// flag, the form under which the table knows it.
constexpr std::array<LinuxKey, 117> kLinuxKeys = {{
    {1, 0x01, false},    // KEY_ESC
    {2, 0x02, false},    // KEY_1
    {3, 0x03, false},    // KEY_2
    {4, 0x04, false},    // KEY_3
    {5, 0x05, false},    // KEY_4
    {6, 0x06, false},    // KEY_5
    {7, 0x07, false},    // KEY_6
    {8, 0x08, false},    // KEY_7
    {9, 0x09, false},    // KEY_8
    {10, 0x0A, false},   // KEY_9
    {11, 0x0B, false},   // KEY_0
    {12, 0x0C, false},   // KEY_MINUS
    {13, 0x0D, false},   // KEY_EQUAL
    {14, 0x0E, false},   // KEY_BACKSPACE
    {15, 0x0F, false},   // KEY_TAB
    {16, 0x10, false},   // KEY_Q
    {17, 0x11, false},   // KEY_W
    {18, 0x12, false},   // KEY_E
    {19, 0x13, false},   // KEY_R
    {20, 0x14, false},   // KEY_T
    {21, 0x15, false},   // KEY_Y
    {22, 0x16, false},   // KEY_U
    {23, 0x17, false},   // KEY_I
    {24, 0x18, false},   // KEY_O
    {25, 0x19, false},   // KEY_P
    {26, 0x1A, false},   // KEY_LEFTBRACE
    {27, 0x1B, false},   // KEY_RIGHTBRACE
    {28, 0x1C, false},   // KEY_ENTER
    {29, 0x1D, false},   // KEY_LEFTCTRL
    {30, 0x1E, false},   // KEY_A
    {31, 0x1F, false},   // KEY_S
    {32, 0x20, false},   // KEY_D
    {33, 0x21, false},   // KEY_F
    {34, 0x22, false},   // KEY_G
    {35, 0x23, false},   // KEY_H
    {36, 0x24, false},   // KEY_J
    {37, 0x25, false},   // KEY_K
    {38, 0x26, false},   // KEY_L
    {39, 0x27, false},   // KEY_SEMICOLON
    {40, 0x28, false},   // KEY_APOSTROPHE
    {41, 0x29, false},   // KEY_GRAVE
    {42, 0x2A, false},   // KEY_LEFTSHIFT
    {43, 0x2B, false},   // KEY_BACKSLASH
    {44, 0x2C, false},   // KEY_Z
    {45, 0x2D, false},   // KEY_X
    {46, 0x2E, false},   // KEY_C
    {47, 0x2F, false},   // KEY_V
    {48, 0x30, false},   // KEY_B
    {49, 0x31, false},   // KEY_N
    {50, 0x32, false},   // KEY_M
    {51, 0x33, false},   // KEY_COMMA
    {52, 0x34, false},   // KEY_DOT
    {53, 0x35, false},   // KEY_SLASH
    {54, 0x36, true},    // KEY_RIGHTSHIFT
    {55, 0x37, false},   // KEY_KPASTERISK
    {56, 0x38, false},   // KEY_LEFTALT
    {57, 0x39, false},   // KEY_SPACE
    {58, 0x3A, false},   // KEY_CAPSLOCK
    {59, 0x3B, false},   // KEY_F1
    {60, 0x3C, false},   // KEY_F2
    {61, 0x3D, false},   // KEY_F3
    {62, 0x3E, false},   // KEY_F4
    {63, 0x3F, false},   // KEY_F5
    {64, 0x40, false},   // KEY_F6
    {65, 0x41, false},   // KEY_F7
    {66, 0x42, false},   // KEY_F8
    {67, 0x43, false},   // KEY_F9
    {68, 0x44, false},   // KEY_F10
    {69, 0x45, true},    // KEY_NUMLOCK
    {70, 0x46, false},   // KEY_SCROLLLOCK
    {71, 0x47, false},   // KEY_KP7
    {72, 0x48, false},   // KEY_KP8
    {73, 0x49, false},   // KEY_KP9
    {74, 0x4A, false},   // KEY_KPMINUS
    {75, 0x4B, false},   // KEY_KP4
    {76, 0x4C, false},   // KEY_KP5
    {77, 0x4D, false},   // KEY_KP6
    {78, 0x4E, false},   // KEY_KPPLUS
    {79, 0x4F, false},   // KEY_KP1
    {80, 0x50, false},   // KEY_KP2
    {81, 0x51, false},   // KEY_KP3
    {82, 0x52, false},   // KEY_KP0
    {83, 0x53, false},   // KEY_KPDOT
    {86, 0x56, false},   // KEY_102ND
    {87, 0x57, false},   // KEY_F11
    {88, 0x58, false},   // KEY_F12
    {96, 0x1C, true},    // KEY_KPENTER
    {97, 0x1D, true},    // KEY_RIGHTCTRL
    {98, 0x35, true},    // KEY_KPSLASH
    {99, 0x37, true},    // KEY_SYSRQ
    {100, 0x38, true},   // KEY_RIGHTALT
    {102, 0x47, true},   // KEY_HOME
    {103, 0x48, true},   // KEY_UP
    {104, 0x49, true},   // KEY_PAGEUP
    {105, 0x4B, true},   // KEY_LEFT
    {106, 0x4D, true},   // KEY_RIGHT
    {107, 0x4F, true},   // KEY_END
    {108, 0x50, true},   // KEY_DOWN
    {109, 0x51, true},   // KEY_PAGEDOWN
    {110, 0x52, true},   // KEY_INSERT
    {111, 0x53, true},   // KEY_DELETE
    {119, 0x45, false},  // KEY_PAUSE
    {125, 0x5B, true},   // KEY_LEFTMETA
    {126, 0x5C, true},   // KEY_RIGHTMETA
    {127, 0x5D, true},   // KEY_COMPOSE
    {183, 0x64, false},  // KEY_F13
    {184, 0x65, false},  // KEY_F14
    {185, 0x66, false},  // KEY_F15
    {186, 0x67, false},  // KEY_F16
    {187, 0x68, false},  // KEY_F17
    {188, 0x69, false},  // KEY_F18
    {189, 0x6A, false},  // KEY_F19
    {190, 0x6B, false},  // KEY_F20
    {191, 0x6C, false},  // KEY_F21
    {192, 0x6D, false},  // KEY_F22
    {193, 0x6E, false},  // KEY_F23
    {194, 0x76, false},  // KEY_F24
}};

constexpr std::array<ScanCode, 256> flatten()
{
    std::array<ScanCode, 256> flat {};
    for (const LinuxKey &k : kLinuxKeys)
        flat[k.linuxCode] = ScanCode {k.scan, k.extended};
    return flat;
}

constexpr std::array<ScanCode, 256> kScanByLinuxCode = flatten();

struct QtKey
{
    int qtKey;
    quint16 linuxCode;
};

// Keys outside the keypad.
constexpr std::array<QtKey, 91> kQtKeys = {{
    {Qt::Key_Escape, 1},
    {Qt::Key_1, 2},
    {Qt::Key_2, 3},
    {Qt::Key_3, 4},
    {Qt::Key_4, 5},
    {Qt::Key_5, 6},
    {Qt::Key_6, 7},
    {Qt::Key_7, 8},
    {Qt::Key_8, 9},
    {Qt::Key_9, 10},
    {Qt::Key_0, 11},
    {Qt::Key_Minus, 12},
    {Qt::Key_Equal, 13},
    {Qt::Key_Backspace, 14},
    {Qt::Key_Tab, 15},
    {Qt::Key_Backtab, 15},
    {Qt::Key_Q, 16},
    {Qt::Key_W, 17},
    {Qt::Key_E, 18},
    {Qt::Key_R, 19},
    {Qt::Key_T, 20},
    {Qt::Key_Y, 21},
    {Qt::Key_U, 22},
    {Qt::Key_I, 23},
    {Qt::Key_O, 24},
    {Qt::Key_P, 25},
    {Qt::Key_BracketLeft, 26},
    {Qt::Key_BracketRight, 27},
    {Qt::Key_Return, 28},
    {Qt::Key_Control, 29},
    {Qt::Key_A, 30},
    {Qt::Key_S, 31},
    {Qt::Key_D, 32},
    {Qt::Key_F, 33},
    {Qt::Key_G, 34},
    {Qt::Key_H, 35},
    {Qt::Key_J, 36},
    {Qt::Key_K, 37},
    {Qt::Key_L, 38},
    {Qt::Key_Semicolon, 39},
    {Qt::Key_Apostrophe, 40},
    {Qt::Key_QuoteLeft, 41},
    {Qt::Key_Shift, 42},
    {Qt::Key_Backslash, 43},
    {Qt::Key_Z, 44},
    {Qt::Key_X, 45},
    {Qt::Key_C, 46},
    {Qt::Key_V, 47},
    {Qt::Key_B, 48},
    {Qt::Key_N, 49},
    {Qt::Key_M, 50},
    {Qt::Key_Comma, 51},
    {Qt::Key_Period, 52},
    {Qt::Key_Slash, 53},
    {Qt::Key_Alt, 56},
    {Qt::Key_Space, 57},
    {Qt::Key_CapsLock, 58},
    {Qt::Key_F1, 59},
    {Qt::Key_F2, 60},
    {Qt::Key_F3, 61},
    {Qt::Key_F4, 62},
    {Qt::Key_F5, 63},
    {Qt::Key_F6, 64},
    {Qt::Key_F7, 65},
    {Qt::Key_F8, 66},
    {Qt::Key_F9, 67},
    {Qt::Key_F10, 68},
    {Qt::Key_NumLock, 69},
    {Qt::Key_ScrollLock, 70},
    {Qt::Key_F11, 87},
    {Qt::Key_F12, 88},
    {Qt::Key_Enter, 96},
    {Qt::Key_Print, 99},
    {Qt::Key_SysReq, 99},
    {Qt::Key_AltGr, 100},
    {Qt::Key_Home, 102},
    {Qt::Key_Up, 103},
    {Qt::Key_PageUp, 104},
    {Qt::Key_Left, 105},
    {Qt::Key_Right, 106},
    {Qt::Key_End, 107},
    {Qt::Key_Down, 108},
    {Qt::Key_PageDown, 109},
    {Qt::Key_Insert, 110},
    {Qt::Key_Delete, 111},
    {Qt::Key_Pause, 119},
    {Qt::Key_Meta, 125},
    {Qt::Key_Super_L, 125},
    {Qt::Key_Super_R, 126},
    {Qt::Key_Menu, 127},
    {Qt::Key_F23, 193},
}};

// Keys that carry Qt::KeypadModifier; with Num Lock off the keypad reports navigation keys.
constexpr std::array<QtKey, 28> kQtKeypadKeys = {{
    {Qt::Key_0, 82},
    {Qt::Key_1, 79},
    {Qt::Key_2, 80},
    {Qt::Key_3, 81},
    {Qt::Key_4, 75},
    {Qt::Key_5, 76},
    {Qt::Key_6, 77},
    {Qt::Key_7, 71},
    {Qt::Key_8, 72},
    {Qt::Key_9, 73},
    {Qt::Key_Asterisk, 55},
    {Qt::Key_Minus, 74},
    {Qt::Key_Plus, 78},
    {Qt::Key_Slash, 98},
    {Qt::Key_Period, 83},
    {Qt::Key_Comma, 83},
    {Qt::Key_Enter, 96},
    {Qt::Key_Insert, 82},
    {Qt::Key_End, 79},
    {Qt::Key_Down, 80},
    {Qt::Key_PageDown, 81},
    {Qt::Key_Left, 75},
    {Qt::Key_Clear, 76},
    {Qt::Key_Right, 77},
    {Qt::Key_Home, 71},
    {Qt::Key_Up, 72},
    {Qt::Key_PageUp, 73},
    {Qt::Key_Delete, 83},
}};

template<std::size_t N>
uint find(const std::array<QtKey, N> &table, int qtKey)
{
    for (const QtKey &k : table) {
        if (k.qtKey == qtKey)
            return k.linuxCode;
    }
    return 0;
}

}  // namespace

ScanCode scanCodeFor(uint linuxCode)
{
    return linuxCode < kScanByLinuxCode.size() ? kScanByLinuxCode[linuxCode] : ScanCode {};
}

int knownCodeCount()
{
    return int(kLinuxKeys.size());
}

uint knownCode(int index)
{
    return index >= 0 && index < knownCodeCount() ? kLinuxKeys[std::size_t(index)].linuxCode : 0;
}

uint linuxCodeForQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        if (const uint code = find(kQtKeypadKeys, qtKey))
            return code;
    }
    return find(kQtKeys, qtKey);
}

}  // namespace LinuxKeyMap
