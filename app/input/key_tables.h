#pragma once

#include <QtGlobal>

#include <array>
#include <cstddef>

// Translation of keyboard events into USB key codes (HID keyboard usages), the codes by which
// keys travel to the scene and the device. A key goes scan code → virtual key → USB key code,
// the way the Windows low-level keyboard hook sees it; other platforms first turn their own key
// numbers into the scan code and extended flag of the same key.
namespace KeyTables {

// One entry of scanToVirtualKey: key = scan code << 8 | extended-key flag.
struct ScanEntry
{
    quint16 key;
    uchar virtualKey;
};

// One entry of virtualKeyToUsb.
struct VirtualKeyEntry
{
    uchar virtualKey;
    uchar usb;
};

// What a mouse button message reports: button code 0 means the message is ignored.
struct ButtonEntry
{
    uchar code;
    uchar pressed;
};

constexpr quint16 scanKey(uint scanCode, bool extended)
{
    return quint16((scanCode & 0xFF) << 8 | (extended ? 1 : 0));
}

constexpr std::size_t kScanEntryCount = 105;
constexpr std::size_t kVirtualKeyEntryCount = 121;

// Both sorted by key, without duplicates (checked at compile time).
extern const std::array<ScanEntry, kScanEntryCount> kScanToVirtualKey;
extern const std::array<VirtualKeyEntry, kVirtualKeyEntryCount> kVirtualKeyToUsb;

// Virtual keys and USB key codes the translation refers to by name.
constexpr uchar kVkPause = 0x13;
constexpr uchar kVkPrintScreen = 0x2C;
constexpr uchar kVkBackslash = 0xDC;
constexpr uchar kUsbBackslash = 0x31;     // ANSI backslash
constexpr uchar kUsbIsoBackslash = 0x32;  // the key left of Enter on ISO boards

// Scan codes of the two keyboard-procedure special cases.
constexpr uint kScanCtrlBreak = 0x46;       // with the extended flag: Pause in its Ctrl+Break form
constexpr uint kScanAltPrintScreen = 0x54;  // with Alt held: Print Screen in its Alt form

// Mouse button messages of the Windows desktop and the button codes they report.
constexpr uint kFirstButtonMessage = 0x201;  // WM_LBUTTONDOWN
constexpr uint kLastButtonMessage = 0x208;   // WM_MBUTTONUP
constexpr uchar kButtonLeft = 0xF0;
constexpr uchar kButtonRight = 0xF1;
constexpr uchar kButtonMiddle = 0xF2;

// Indexed by message − 0x201.
constexpr std::array<ButtonEntry, kLastButtonMessage - kFirstButtonMessage + 1> kMouseButtons = {{
    {kButtonLeft, 1},    // WM_LBUTTONDOWN
    {kButtonLeft, 0},    // WM_LBUTTONUP
    {0, 0},              // WM_LBUTTONDBLCLK: ignored
    {kButtonRight, 1},   // WM_RBUTTONDOWN
    {kButtonRight, 0},   // WM_RBUTTONUP
    {0, 0},              // WM_RBUTTONDBLCLK: ignored
    {kButtonMiddle, 1},  // WM_MBUTTONDOWN
    {kButtonMiddle, 0},  // WM_MBUTTONUP
}};

// Button code and pressed state of a button message; {0, 0} for any other message.
constexpr ButtonEntry buttonForMessage(uint message)
{
    if (message < kFirstButtonMessage || message > kLastButtonMessage)
        return {0, 0};
    return kMouseButtons[message - kFirstButtonMessage];
}

// The button message that a press or release of X button 1 (left), 2 (middle) or 3 (right)
// stands for; 0 for every other button (wheel 4 … 7, back and forward 8, 9).
uint messageForXButton(uint button, bool pressed);

// Both tables as flat arrays, filled at creation of the hook object; a look-up is one index.
class KeyTranslator
{
public:
    KeyTranslator() = default;

    // Empties both tables and fills them; the virtual key of Backslash gives 31, or 32 on an
    // ISO keyboard.
    void fill(bool isoBackslash);

    // Steps 2 to 4 of the keyboard procedure: the virtual key, 0 for none. Scan codes above
    // 255 count as 0.
    uchar virtualKey(uint scanCode, bool extended, bool altDown) const;
    uchar usbForVirtualKey(uchar virtualKey) const { return m_virtualKeyToUsb[virtualKey]; }
    // The whole road; 0 means no key.
    uchar usb(uint scanCode, bool extended, bool altDown) const;

    // Table sizes as filled (entries that translate to something).
    int scanEntryCount() const;
    int virtualKeyEntryCount() const;

private:
    std::array<uchar, 512> m_scanToVirtualKey {};  // index: scan code * 2 + extended flag
    std::array<uchar, 256> m_virtualKeyToUsb {};
};

}  // namespace KeyTables
