#include "key_tables.h"

#include <algorithm>

namespace KeyTables {

// scanToVirtualKey: the scan code and extended flag of a keyboard event give the virtual key.
// Right Windows (5C extended) and F13 … F22, F24 have no entry: only F23 (6E) is here.
constexpr std::array<ScanEntry, kScanEntryCount> kScanToVirtualKey = {{
    {scanKey(0x01, false), 0x1B},  // Esc
    {scanKey(0x02, false), 0x31},  // Digit 1
    {scanKey(0x03, false), 0x32},  // Digit 2
    {scanKey(0x04, false), 0x33},  // Digit 3
    {scanKey(0x05, false), 0x34},  // Digit 4
    {scanKey(0x06, false), 0x35},  // Digit 5
    {scanKey(0x07, false), 0x36},  // Digit 6
    {scanKey(0x08, false), 0x37},  // Digit 7
    {scanKey(0x09, false), 0x38},  // Digit 8
    {scanKey(0x0A, false), 0x39},  // Digit 9
    {scanKey(0x0B, false), 0x30},  // Digit 0
    {scanKey(0x0C, false), 0xBD},  // Minus
    {scanKey(0x0D, false), 0xBB},  // Equals
    {scanKey(0x0E, false), 0x08},  // Backspace
    {scanKey(0x0F, false), 0x09},  // Tab
    {scanKey(0x10, false), 0x51},  // Letter Q
    {scanKey(0x11, false), 0x57},  // Letter W
    {scanKey(0x12, false), 0x45},  // Letter E
    {scanKey(0x13, false), 0x52},  // Letter R
    {scanKey(0x14, false), 0x54},  // Letter T
    {scanKey(0x15, false), 0x59},  // Letter Y
    {scanKey(0x16, false), 0x55},  // Letter U
    {scanKey(0x17, false), 0x49},  // Letter I
    {scanKey(0x18, false), 0x4F},  // Letter O
    {scanKey(0x19, false), 0x50},  // Letter P
    {scanKey(0x1A, false), 0xDB},  // Left bracket
    {scanKey(0x1B, false), 0xDD},  // Right bracket
    {scanKey(0x1C, false), 0x0D},  // Enter
    {scanKey(0x1C, true), 0x0E},   // Keypad Enter
    {scanKey(0x1D, false), 0xA2},  // Left Ctrl
    {scanKey(0x1D, true), 0xA3},   // Right Ctrl
    {scanKey(0x1E, false), 0x41},  // Letter A
    {scanKey(0x1F, false), 0x53},  // Letter S
    {scanKey(0x20, false), 0x44},  // Letter D
    {scanKey(0x21, false), 0x46},  // Letter F
    {scanKey(0x22, false), 0x47},  // Letter G
    {scanKey(0x23, false), 0x48},  // Letter H
    {scanKey(0x24, false), 0x4A},  // Letter J
    {scanKey(0x25, false), 0x4B},  // Letter K
    {scanKey(0x26, false), 0x4C},  // Letter L
    {scanKey(0x27, false), 0xBA},  // Semicolon
    {scanKey(0x28, false), 0xDE},  // Apostrophe
    {scanKey(0x29, false), 0xC0},  // Grave accent
    {scanKey(0x2A, false), 0xA0},  // Left Shift
    {scanKey(0x2B, false), 0xDC},  // Backslash
    {scanKey(0x2C, false), 0x5A},  // Letter Z
    {scanKey(0x2D, false), 0x58},  // Letter X
    {scanKey(0x2E, false), 0x43},  // Letter C
    {scanKey(0x2F, false), 0x56},  // Letter V
    {scanKey(0x30, false), 0x42},  // Letter B
    {scanKey(0x31, false), 0x4E},  // Letter N
    {scanKey(0x32, false), 0x4D},  // Letter M
    {scanKey(0x33, false), 0xBC},  // Comma
    {scanKey(0x34, false), 0xBE},  // Period
    {scanKey(0x35, false), 0xBF},  // Slash
    {scanKey(0x35, true), 0x6F},   // Keypad divide
    {scanKey(0x36, true), 0xA1},   // Right Shift
    {scanKey(0x37, false), 0x6A},  // Keypad multiply
    {scanKey(0x37, true), 0x2C},   // Print Screen
    {scanKey(0x38, false), 0xA4},  // Left Alt
    {scanKey(0x38, true), 0xA5},   // Right Alt
    {scanKey(0x39, false), 0x20},  // Space
    {scanKey(0x3A, false), 0x14},  // Caps Lock
    {scanKey(0x3B, false), 0x70},  // F1
    {scanKey(0x3C, false), 0x71},  // F2
    {scanKey(0x3D, false), 0x72},  // F3
    {scanKey(0x3E, false), 0x73},  // F4
    {scanKey(0x3F, false), 0x74},  // F5
    {scanKey(0x40, false), 0x75},  // F6
    {scanKey(0x41, false), 0x76},  // F7
    {scanKey(0x42, false), 0x77},  // F8
    {scanKey(0x43, false), 0x78},  // F9
    {scanKey(0x44, false), 0x79},  // F10
    {scanKey(0x45, false), 0x13},  // Pause
    {scanKey(0x45, true), 0x90},   // Num Lock
    {scanKey(0x46, false), 0x91},  // Scroll Lock
    {scanKey(0x47, false), 0x67},  // Keypad 7
    {scanKey(0x47, true), 0x24},   // Home
    {scanKey(0x48, false), 0x68},  // Keypad 8
    {scanKey(0x48, true), 0x26},   // Up arrow
    {scanKey(0x49, false), 0x69},  // Keypad 9
    {scanKey(0x49, true), 0x21},   // Page Up
    {scanKey(0x4A, false), 0x6D},  // Keypad minus
    {scanKey(0x4B, false), 0x64},  // Keypad 4
    {scanKey(0x4B, true), 0x25},   // Left arrow
    {scanKey(0x4C, false), 0x65},  // Keypad 5
    {scanKey(0x4D, false), 0x66},  // Keypad 6
    {scanKey(0x4D, true), 0x27},   // Right arrow
    {scanKey(0x4E, false), 0x6B},  // Keypad plus
    {scanKey(0x4F, false), 0x61},  // Keypad 1
    {scanKey(0x4F, true), 0x23},   // End
    {scanKey(0x50, false), 0x62},  // Keypad 2
    {scanKey(0x50, true), 0x28},   // Down arrow
    {scanKey(0x51, false), 0x63},  // Keypad 3
    {scanKey(0x51, true), 0x22},   // Page Down
    {scanKey(0x52, false), 0x60},  // Keypad 0
    {scanKey(0x52, true), 0x2D},   // Insert
    {scanKey(0x53, false), 0x6E},  // Keypad decimal point
    {scanKey(0x53, true), 0x2E},   // Delete
    {scanKey(0x56, false), 0xE2},  // Extra key beside Left Shift (102nd key)
    {scanKey(0x57, false), 0x7A},  // F11
    {scanKey(0x58, false), 0x7B},  // F12
    {scanKey(0x5B, true), 0x5B},   // Left Windows
    {scanKey(0x5D, true), 0x5D},   // Menu
    {scanKey(0x6E, false), 0x86},  // F23
}};

// virtualKeyToUsb: every virtual key scanToVirtualKey produces, plus a few it never does.
// 0E is this system's own code for Keypad Enter, not a Windows virtual key.
constexpr std::array<VirtualKeyEntry, kVirtualKeyEntryCount> kVirtualKeyToUsb = {{
    {0x08, 0x2A},  // Backspace
    {0x09, 0x2B},  // Tab
    {0x0D, 0x28},  // Enter
    {0x0E, 0x58},  // Keypad Enter
    {0x13, 0x48},  // Pause
    {0x14, 0x39},  // Caps Lock
    {0x1B, 0x29},  // Esc
    {0x20, 0x2C},  // Space
    {0x21, 0x4B},  // Page Up
    {0x22, 0x4E},  // Page Down
    {0x23, 0x4D},  // End
    {0x24, 0x4A},  // Home
    {0x25, 0x50},  // Left arrow
    {0x26, 0x52},  // Up arrow
    {0x27, 0x4F},  // Right arrow
    {0x28, 0x51},  // Down arrow
    {0x2C, 0x46},  // Print Screen
    {0x2D, 0x49},  // Insert
    {0x2E, 0x4C},  // Delete
    {0x30, 0x27},  // Digit 0
    {0x31, 0x1E},  // Digit 1
    {0x32, 0x1F},  // Digit 2
    {0x33, 0x20},  // Digit 3
    {0x34, 0x21},  // Digit 4
    {0x35, 0x22},  // Digit 5
    {0x36, 0x23},  // Digit 6
    {0x37, 0x24},  // Digit 7
    {0x38, 0x25},  // Digit 8
    {0x39, 0x26},  // Digit 9
    {0x41, 0x04},  // Letter A
    {0x42, 0x05},  // Letter B
    {0x43, 0x06},  // Letter C
    {0x44, 0x07},  // Letter D
    {0x45, 0x08},  // Letter E
    {0x46, 0x09},  // Letter F
    {0x47, 0x0A},  // Letter G
    {0x48, 0x0B},  // Letter H
    {0x49, 0x0C},  // Letter I
    {0x4A, 0x0D},  // Letter J
    {0x4B, 0x0E},  // Letter K
    {0x4C, 0x0F},  // Letter L
    {0x4D, 0x10},  // Letter M
    {0x4E, 0x11},  // Letter N
    {0x4F, 0x12},  // Letter O
    {0x50, 0x13},  // Letter P
    {0x51, 0x14},  // Letter Q
    {0x52, 0x15},  // Letter R
    {0x53, 0x16},  // Letter S
    {0x54, 0x17},  // Letter T
    {0x55, 0x18},  // Letter U
    {0x56, 0x19},  // Letter V
    {0x57, 0x1A},  // Letter W
    {0x58, 0x1B},  // Letter X
    {0x59, 0x1C},  // Letter Y
    {0x5A, 0x1D},  // Letter Z
    {0x5B, 0xE3},  // Left Windows
    {0x5C, 0xE7},  // Right Windows
    {0x5D, 0x65},  // Menu
    {0x60, 0x62},  // Keypad 0
    {0x61, 0x59},  // Keypad 1
    {0x62, 0x5A},  // Keypad 2
    {0x63, 0x5B},  // Keypad 3
    {0x64, 0x5C},  // Keypad 4
    {0x65, 0x5D},  // Keypad 5
    {0x66, 0x5E},  // Keypad 6
    {0x67, 0x5F},  // Keypad 7
    {0x68, 0x60},  // Keypad 8
    {0x69, 0x61},  // Keypad 9
    {0x6A, 0x55},  // Keypad multiply
    {0x6B, 0x57},  // Keypad plus
    {0x6D, 0x56},  // Keypad minus
    {0x6E, 0x63},  // Keypad decimal point
    {0x6F, 0x54},  // Keypad divide
    {0x70, 0x3A},  // F1
    {0x71, 0x3B},  // F2
    {0x72, 0x3C},  // F3
    {0x73, 0x3D},  // F4
    {0x74, 0x3E},  // F5
    {0x75, 0x3F},  // F6
    {0x76, 0x40},  // F7
    {0x77, 0x41},  // F8
    {0x78, 0x42},  // F9
    {0x79, 0x43},  // F10
    {0x7A, 0x44},  // F11
    {0x7B, 0x45},  // F12
    {0x7C, 0x68},  // F13
    {0x7D, 0x69},  // F14
    {0x7E, 0x6A},  // F15
    {0x7F, 0x6B},  // F16
    {0x80, 0x6C},  // F17
    {0x81, 0x6D},  // F18
    {0x82, 0x6E},  // F19
    {0x83, 0x6F},  // F20
    {0x84, 0x70},  // F21
    {0x85, 0x71},  // F22
    {0x86, 0x72},  // F23
    {0x87, 0x73},  // F24
    {0x90, 0x53},  // Num Lock
    {0x91, 0x47},  // Scroll Lock
    {0xA0, 0xE1},  // Left Shift
    {0xA1, 0xE5},  // Right Shift
    {0xA2, 0xE0},  // Left Ctrl
    {0xA3, 0xE4},  // Right Ctrl
    {0xA4, 0xE2},  // Left Alt
    {0xA5, 0xE6},  // Right Alt
    {0xBA, 0x33},  // Semicolon
    {0xBB, 0x2E},  // Equals
    {0xBC, 0x36},  // Comma
    {0xBD, 0x2D},  // Minus
    {0xBE, 0x37},  // Period
    {0xBF, 0x38},  // Slash
    {0xC0, 0x35},  // Grave accent
    {0xC1, 0x87},  // International 1 (Ro)
    {0xC2, 0x85},  // Keypad comma (Brazil)
    {0xDB, 0x2F},  // Left bracket
    {0xDC, 0x31},  // Backslash
    {0xDD, 0x30},  // Right bracket
    {0xDE, 0x34},  // Apostrophe
    {0xE2, 0x64},  // Extra key beside Left Shift (102nd key)
    {0xEB, 0x8B},  // International 5 (Muhenkan)
    {0xFF, 0x66},  // Power
}};

namespace {

template<typename Entry, std::size_t N, typename Key>
constexpr bool strictlyAscending(const std::array<Entry, N> &table, Key key)
{
    for (std::size_t i = 1; i < N; ++i) {
        if (!(key(table[i - 1]) < key(table[i])))
            return false;
    }
    return true;
}

static_assert(strictlyAscending(kScanToVirtualKey, [](const ScanEntry &e) { return e.key; }),
    "scanToVirtualKey must be sorted and free of duplicates");
static_assert(
    strictlyAscending(kVirtualKeyToUsb, [](const VirtualKeyEntry &e) { return e.virtualKey; }),
    "virtualKeyToUsb must be sorted and free of duplicates");

// X buttons 1, 2, 3 as the Windows button messages of the same button (down, up).
struct XButtonMessages
{
    uint down;
    uint up;
};
constexpr std::array<XButtonMessages, 3> kXButtonMessages = {{
    {0x201, 0x202},  // 1: left
    {0x207, 0x208},  // 2: middle
    {0x204, 0x205},  // 3: right
}};

constexpr std::size_t scanIndex(uint scanCode, bool extended)
{
    return std::size_t(scanCode) * 2 + (extended ? 1 : 0);
}

}  // namespace

uint messageForXButton(uint button, bool pressed)
{
    if (button < 1 || button > kXButtonMessages.size())
        return 0;
    const XButtonMessages &m = kXButtonMessages[button - 1];
    return pressed ? m.down : m.up;
}

void KeyTranslator::fill(bool isoBackslash)
{
    m_scanToVirtualKey.fill(0);
    for (const ScanEntry &e : kScanToVirtualKey)
        m_scanToVirtualKey[scanIndex(e.key >> 8, e.key & 1)] = e.virtualKey;

    m_virtualKeyToUsb.fill(0);
    for (const VirtualKeyEntry &e : kVirtualKeyToUsb)
        m_virtualKeyToUsb[e.virtualKey] = e.usb;
    m_virtualKeyToUsb[kVkBackslash] = isoBackslash ? kUsbIsoBackslash : kUsbBackslash;
}

uchar KeyTranslator::virtualKey(uint scanCode, bool extended, bool altDown) const
{
    if (scanCode > 0xFF)
        scanCode = 0;
    // Two keys arrive with scan codes of their own when a modifier is held.
    if (scanCode == kScanCtrlBreak && extended)
        return kVkPause;
    if (scanCode == kScanAltPrintScreen && altDown)
        return kVkPrintScreen;
    return m_scanToVirtualKey[scanIndex(scanCode, extended)];
}

uchar KeyTranslator::usb(uint scanCode, bool extended, bool altDown) const
{
    const uchar vk = virtualKey(scanCode, extended, altDown);
    return vk ? m_virtualKeyToUsb[vk] : 0;
}

int KeyTranslator::scanEntryCount() const
{
    return int(std::count_if(
        m_scanToVirtualKey.begin(), m_scanToVirtualKey.end(), [](uchar vk) { return vk != 0; }));
}

int KeyTranslator::virtualKeyEntryCount() const
{
    return int(std::count_if(
        m_virtualKeyToUsb.begin(), m_virtualKeyToUsb.end(), [](uchar usb) { return usb != 0; }));
}

}  // namespace KeyTables
