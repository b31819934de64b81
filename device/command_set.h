#pragma once

#include <QtGlobal>

// One row of a command table: what differs between the device commands. Everything else
// (interlock, framing, checksum, exchange) is the same for every command.
struct CommandSpec
{
    uchar code;               // byte 1 of the command report
    bool settle;              // 128 ms after the command report and again after the data
    bool pause;               // 8 ms more before the slot returns
    const char *failureText;  // written when the interlock cannot be taken
    // The command report's byte that names which of several places the command sets (a
    // profile, a key matrix, a macro slot, a gun slot); 0 for a setting the device has once.
    int placeByte = 0;
};

// Commands of the 553 family: one command per setting. Byte numbers are those of the
// 9-byte command report (byte 0 report id, byte 8 checksum).
namespace Cmd553 {
// Set commands, host to device.
constexpr CommandSpec SetReportRate {0x01, true, false, "cmd Failed 01"};        // 2: rate code
constexpr CommandSpec SetCurrentKeyMatrix {0x02, true, false, "cmd Failed 02"};  // 2: matrix − 1
constexpr CommandSpec SetKeyboardOption {0x03, false, true, "cmd Failed 03"};    // 2–5: options
constexpr CommandSpec SetGunData {0x04, false, true, "cmd Failed 04", 6};   // 3–6: shots x y slot
constexpr CommandSpec Lod {0x07, true, false, "hid553_07H_Lod"};            // 3: lift-off, 4: 0x7D
constexpr CommandSpec SetCurrentDpi {0x0B, true, false, "cmd Failed 0B"};   // 2: stage
constexpr CommandSpec SetFixLedColor {0x0C, true, false, "cmd Failed 0C"};  // 2–4: R G B
constexpr CommandSpec SetRgbLedEffect {0x0D, true, false, "cmd Failed 0D"};    // 2–4
constexpr CommandSpec SetLed8StageColor {0x10, true, false, "cmd Failed 10"};  // + n colour bytes
constexpr CommandSpec SetDpiSet {0x11, true, false, "cmd Failed 11"};          // + 8 stage codes
constexpr CommandSpec SetKeyMatrix {0x12, true, false, "cmd Failed 12", 2};    // + 64-byte matrix
constexpr CommandSpec SetMacroKey {0x13, true, false, "cmd Failed 13", 2};     // + 128-byte record
// Queries, device to host (reply bytes 2 …).
constexpr CommandSpec GetKeyboardOption {0x83, false, false, "cmd Failed 83"};  // 2–5
constexpr CommandSpec GetCurrentDpi {0x8B, false, false, "cmd Failed 8BH"};     // 2: stage

constexpr uchar kLodTop = 0x7D;           // byte 4 of 0x07: the top of the lift-off range
constexpr uchar kKeyMatrixLength = 0x40;  // byte 3 of 0x12
constexpr uchar kKeyMatrixByte4 = 0x08;   // byte 4 of 0x12
constexpr uchar kDpiTableLength = 0x08;   // byte 3 of 0x11
constexpr uchar kRecordLength = 0x80;     // byte 3 of 0x13
constexpr uchar kLedShortType = 2;        // 0x10 type that carries only 4 colour bytes
constexpr int kLedShortLength = 4;
constexpr int kLedFullLength = 24;
}  // namespace Cmd553

// Commands of the 560 family: settings live in five 128-byte profiles written whole.
namespace Cmd560 {
// Set commands, host to device.
constexpr CommandSpec SetKeyboardOption {0x01, false, true, "cmd Failed 01"};  // 2–3: options
constexpr CommandSpec SetCurrentProfile {0x02, false, true, "cmd Failed 02"};  // 2: profile
constexpr CommandSpec SetReportRate {0x03, true, false, "cmd Failed 03", 2};  // 2: profile, 3: rate
constexpr CommandSpec SetCurrentDpi {
    0x04, true, false, "cmd Failed 04", 2};                                  // 2: profile, 3: stage
constexpr CommandSpec SetProfile {0x0C, true, false, "cmd Failed 0C", 2};    // + 128-byte image
constexpr CommandSpec SetKeyMatrix {0x0D, true, false, "cmd Failed 0D", 2};  // + 64 bytes, 64 zeros
constexpr CommandSpec SetMacroKey {0x0F, true, false, "cmd Failed 0F", 2};   // + 128-byte record
// Queries, device to host (reply bytes 2 …).
constexpr CommandSpec GetKeyboardOption {0x81, false, false, "cmd Failed 81"};  // 2–3
constexpr CommandSpec GetCurrentProfile {0x82, false, false, "cmd Failed 82"};  // 2
constexpr CommandSpec GetCurrentDpi {0x84, false, false, "cmd Failed 84"};  // 2: profile, 3: stage
constexpr CommandSpec ReadProfile {0x8C, false, false, "cmd Failed 8c"};    // 2 + 128 bytes in

constexpr uchar kBlockLength = 0x80;  // byte 3 of 0x0C, 0x0D and 0x0F
constexpr int kKeyMatrixLength = 64;  // matrix bytes at the start of the 0x0D block
constexpr int kFirstProfile = 1;      // 0x03 / 0x04 go to profiles 1 …
constexpr int kLastProfile = 4;       // … 4, or to profile 1 only on gun models
}  // namespace Cmd560
