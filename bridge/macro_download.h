#pragma once

#include <QVariant>
#include <QVariantList>

class Hid_Thread;
struct DeviceFacts;

// Hands a macro record (the 128 bytes the macro editor encodes) to the device's set-macro
// command. The device numbers its macro slots from 1 and holds twelve of them.
namespace MacroDownload {

constexpr int kRecordSize = 128;
constexpr uint kMaxSlot = 11;

// macroData: the record bytes, element i becoming byte i; missing bytes are 0, values beyond
// the 128th are dropped with a diagnostic line, each value is cut to its low byte (a value
// that is not a number counts as 0, with a diagnostic line). macroIndex: the macro slot of
// the scene (the button's position); a slot whose low byte is above 11 sends nothing, an
// index that is not a number sends nothing and says so. The slot goes out as macro id
// slot + 1, with the 560 command when facts.icType is "560", else with the 553 command.
// The result is always true: a failed command speaks only through the transport's line.
QVariant mouseSendMacroData(Hid_Thread *hid, const DeviceFacts &facts,
    const QVariantList &macroData, const QVariant &macroIndex);

}  // namespace MacroDownload
