#pragma once

// Control API of the simulated device.
//
// The simulator is a static library that defines the hidapi C functions (hid_init,
// hid_enumerate, hid_open_path, hid_send_feature_report, hid_get_feature_report, hid_write,
// hid_read, hid_read_timeout, hid_close, …) and is linked instead of libhidapi. Behind them
// sit virtual devices of the 553 and 560 controller families that behave as the firmware
// would: every command report is checked for its checksum and acted on, data blocks
// arriving in interrupt OUT reports are collected and stored where the command says,
// queries are answered, profile images are read back in interrupt IN reports, and DPI-switch
// reports can be queued on the event interface.
//
// Everything here is thread-safe: the product's monitor reads the event interface from a
// pool thread while commands run on the GUI thread. Product code never includes this header.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

enum class Family { F553, F560 };
enum class Interface { Command, Event };

// Direction of one report on the wire, seen from the host.
enum class Direction {
    FeatureOut,    // hid_send_feature_report
    FeatureIn,     // hid_get_feature_report (what the device answered)
    InterruptOut,  // hid_write
    InterruptIn,   // hid_read / hid_read_timeout (what the device delivered)
};

using Bytes = std::vector<uint8_t>;
using DeviceId = int;

// One HID interface (a top-level collection with its own system path).
struct InterfaceSpec
{
    bool present = true;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::string path;   // empty: derived from the device id when plugged
};

struct DeviceSpec
{
    std::string name;
    Family family = Family::F553;
    uint16_t vid = 0;
    uint16_t pid = 0;
    int reportLength = 32;    // data bytes per interrupt report
    InterfaceSpec command;
    InterfaceSpec event;
};

// The two devices of the reference device list, in the requested family.
DeviceSpec referenceMouse(Family family);      // 04d9:a1ee, ff00/ff00 and ff01/ff01, 32
DeviceSpec referenceKeyboard(Family family);   // 04d9:8008, ff01/0001 and ff02/0001, 64

// What the firmware keeps. Both families share one record; each uses its own fields.
struct DeviceState
{
    // 553: four keyboard option bytes (0x03 / 0x83). 560: the first two (0x01 / 0x81).
    std::array<uint8_t, 4> options {};
    uint8_t reportRate = 1;             // 553 0x01
    uint8_t currentKeyMatrix = 0;       // 553 0x02
    uint8_t currentDpi = 2;             // 553 0x0B / 0x8B, stage counted from 1
    uint8_t liftOff = 0;                // 553 0x07, byte 3
    uint8_t liftOffTop = 0;             // 553 0x07, byte 4 (0x7D)
    std::array<uint8_t, 3> fixColor {};     // 553 0x0C
    std::array<uint8_t, 3> ledEffect {};    // 553 0x0D: effect, option1, option2
    uint8_t ledType = 0;                    // 553 0x10, byte 2
    Bytes ledColors;                        // 553 0x10: the n bytes received
    uint8_t dpiStageCount = 0;              // 553 0x11, byte 2
    std::array<uint8_t, 8> dpiTable {};     // 553 0x11 data
    std::array<std::array<uint8_t, 3>, 3> gun {};  // 553 0x04, per slot 0 … 2: shots, x, y
    // Key matrices by number (1 … 4): the whole data block received (553: 64 bytes,
    // 560: 128 bytes).
    std::map<int, Bytes> keyMatrices;
    // Macro records by macro id (1 … ): 128 bytes each.
    std::map<int, Bytes> macros;

    // 560 family.
    uint8_t currentProfile = 1;                          // 0x02 / 0x82
    std::array<std::array<uint8_t, 128>, 5> profiles {}; // 0x0C / 0x8C
    std::array<uint8_t, 5> profileReportRate {};         // 0x03, per profile
    std::array<uint8_t, 5> profileCurrentDpi { 1, 1, 1, 1, 1 };  // 0x04 / 0x84, per profile

    // What the firmware noticed about the host.
    int checksumErrors = 0;       // command reports with a wrong byte 8 (ignored)
    int unknownCommands = 0;      // codes this family does not know (ignored)
    int abortedTransfers = 0;     // data blocks cut short by a new command report
    int commandsReceived = 0;     // command reports accepted
};

struct WireRecord
{
    DeviceId device = 0;
    Interface interface = Interface::Command;
    Direction direction = Direction::FeatureOut;
    Bytes bytes;                                  // the whole report as it crossed the wire
    std::chrono::steady_clock::time_point time;  // monotonic
};

// Devices ------------------------------------------------------------------------------

// Attaches a device; its interfaces appear in hid_enumerate from now on.
DeviceId plug(const DeviceSpec &spec);
// Detaches it: enumeration no longer lists it, opens fail, and every open handle on it
// fails its next call (a read blocked in it returns -1 at once).
void unplug(DeviceId id);
bool isPlugged(DeviceId id);
// System path of an interface of a plugged device.
std::string path(DeviceId id, Interface iface);

// Removes every device and handle, clears the wire log and every fault.
void reset();

// Faults -------------------------------------------------------------------------------

// hid_open_path on this interface fails (returns null) while set.
void setOpenFails(DeviceId id, Interface iface, bool fails);
// hid_get_feature_report fails (returns -1) while set: the device stops answering queries.
void setFeatureReadsFail(DeviceId id, bool fails);
// Interrupt IN reads on the command interface deliver nothing while set (they time out).
void setInterruptReadsSilent(DeviceId id, bool silent);
// Unplugs the device right after it has accepted this many more interrupt OUT reports
// (unplugging in the middle of a transfer).
void unplugAfterInterruptWrites(DeviceId id, int reports);

// Events -------------------------------------------------------------------------------

// Queues one input report on the event interface, e.g. {0x06, 0x07, 0x00, 0x03}.
void queueEvent(DeviceId id, const Bytes &report);
// Reports queued and not yet read.
int pendingEvents(DeviceId id);

// State --------------------------------------------------------------------------------

DeviceState state(DeviceId id);
void setState(DeviceId id, const DeviceState &state);
// Changes the state in place under the simulator's lock.
void modifyState(DeviceId id, const std::function<void(DeviceState &)> &change);

// Wire log -----------------------------------------------------------------------------

std::vector<WireRecord> wireLog();
void clearWireLog();

// Handles: how many hid_open_path calls succeeded, and how many handles are open now.
int openCount(DeviceId id, Interface iface);
int openHandles(DeviceId id, Interface iface);

// Demo ---------------------------------------------------------------------------------

// Writes the wire log as text, one report per line: milliseconds since the first record,
// interface, direction, bytes in hex.
std::string formatWireLog(const std::vector<WireRecord> &log);

} // namespace sim
