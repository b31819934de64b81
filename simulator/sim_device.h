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
// How the firmware takes a command: a feature report of 9 bytes with report id 0x00 whose
// byte 8 is 0xFF minus the 8-bit sum of bytes 1 … 7 is counted in commandsReceived, ends a
// transfer still in progress (abortedTransfers) and is acted on by the command table of
// the family; one with a wrong checksum is counted in checksumErrors and dropped (the call
// still returns 9), as is one of the wrong size in malformedReports. A data command's block
// (byte 3 of its command report gives the length) arrives in the following interrupt OUT
// reports of reportLength + 1 bytes (report id 0x00, then data); a setting takes effect
// only when its whole block has arrived. hid_get_feature_report answers the last query:
// 0x00, the code, the values from byte 2, a checksum in byte 8. A 560 profile read (0x8C)
// queues the 128-byte image as interrupt IN reports of reportLength bytes without report
// id, which hid_read on the command interface delivers.
//
// Reads: hid_read_timeout waits up to its time-out (real time) and returns 0 when nothing
// came; hid_read in non-blocking mode returns 0 at once; a blocking hid_read waits for a
// report or unplug, but gives up after 10 s with 0 and one line on stderr. hid_error never
// returns null.
//
// Everything here is thread-safe (one lock inside the simulator): the product's monitor
// reads the event interface from a pool thread while commands run on the GUI thread.
// Product code never includes this header.

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
    std::string path;  // empty: derived from the device id when plugged
};

struct DeviceSpec
{
    std::string name;  // product string (ASCII)
    Family family = Family::F553;
    uint16_t vid = 0;
    uint16_t pid = 0;
    int reportLength = 32;  // data bytes per interrupt report, 1 … kMaxReportLength
    InterfaceSpec command;
    InterfaceSpec event;
    std::string manufacturer = "Stryla";  // manufacturer string (ASCII)
    uint16_t releaseNumber = 0x0100;      // bcdDevice
};

// Largest report length plug() accepts; anything outside 1 … this is replaced by 32.
constexpr int kMaxReportLength = 1024;

// The two devices of the reference device list, in the requested family.
DeviceSpec referenceMouse(Family family);     // 04d9:a1ee, ff00/ff00 and ff01/ff01, 32
DeviceSpec referenceKeyboard(Family family);  // 04d9:8008, ff01/0001 and ff02/0001, 64

// What the firmware keeps. Both families share one record; each uses its own fields.
struct DeviceState
{
    // 553: four keyboard option bytes (0x03 / 0x83). 560: the first two (0x01 / 0x81).
    std::array<uint8_t, 4> options {};
    uint8_t reportRate = 1;                        // 553 0x01
    uint8_t currentKeyMatrix = 0;                  // 553 0x02
    uint8_t currentDpi = 2;                        // 553 0x0B / 0x8B, stage counted from 1
    uint8_t liftOff = 0;                           // 553 0x07, byte 3
    uint8_t liftOffTop = 0;                        // 553 0x07, byte 4 (0x7D)
    std::array<uint8_t, 3> fixColor {};            // 553 0x0C
    std::array<uint8_t, 3> ledEffect {};           // 553 0x0D: effect, option1, option2
    uint8_t ledType = 0;                           // 553 0x10, byte 2
    Bytes ledColors;                               // 553 0x10: the n bytes received
    uint8_t dpiStageCount = 0;                     // 553 0x11, byte 2
    std::array<uint8_t, 8> dpiTable {};            // 553 0x11 data
    std::array<std::array<uint8_t, 3>, 3> gun {};  // 553 0x04, per slot 0 … 2: shots, x, y
    // Key matrices by number (1 … 4): the whole data block received (553: 64 bytes,
    // 560: 128 bytes).
    std::map<int, Bytes> keyMatrices;
    // Macro records by macro id (1 … ): 128 bytes each.
    std::map<int, Bytes> macros;

    // 560 family.
    uint8_t currentProfile = 1;                                // 0x02 / 0x82
    std::array<std::array<uint8_t, 128>, 5> profiles {};       // 0x0C / 0x8C
    std::array<uint8_t, 5> profileReportRate {};               // 0x03, per profile
    std::array<uint8_t, 5> profileCurrentDpi {1, 1, 1, 1, 1};  // 0x04 / 0x84, per profile

    // What the firmware noticed about the host.
    int checksumErrors = 0;    // command reports with a wrong byte 8 (ignored)
    int unknownCommands = 0;   // codes this family does not know (ignored)
    int abortedTransfers = 0;  // transfers cut short by a new command report: a data block
                               // not complete yet, or profile reports not read yet
    int commandsReceived = 0;  // command reports accepted
    int rejectedCommands = 0;  // accepted, but a slot or profile number out of range (ignored)
    int malformedReports = 0;  // reports of the wrong size or with a report id other than 0
    int strayReports = 0;      // interrupt OUT reports that arrived with no data block expected
};

struct WireRecord
{
    DeviceId device = 0;
    Interface interface = Interface::Command;
    Direction direction = Direction::FeatureOut;
    Bytes bytes;                                 // the whole report as it crossed the wire
    std::chrono::steady_clock::time_point time;  // monotonic
};

// Every function below may be called from any thread. A DeviceId that was never handed
// out by plug() (or was removed by reset()) writes one line on stderr and changes nothing;
// queries then answer 0, an empty path or a default DeviceState.

// Devices ------------------------------------------------------------------------------

// Attaches a device and returns its id (ids only grow, also across reset()). Each present
// interface gets the path of its InterfaceSpec, or "/sim/hidraw<N>" with an N never used before.
// From now on hid_enumerate lists one entry per present interface, in plug order, command interface
// (interface_number 0) before event interface (1). A reportLength outside 1 … kMaxReportLength is
// replaced by 32, with one line on stderr.
DeviceId plug(const DeviceSpec &model);
// Detaches it: enumeration no longer lists it, opens fail, and every open handle on it
// fails its next call with -1 (a read blocked in it wakes and returns -1 at once). The
// device's state stays readable until reset(); a pending unplugAfterInterruptWrites is
// cancelled.
void unplug(DeviceId id);
// True from plug() until unplug() or reset(); false for unknown ids (without a line).
bool isPlugged(DeviceId id);
// System path of an interface; empty when the interface is absent. Still answers after
// unplug(), so a test can check that opening the old path fails.
std::string path(DeviceId id, Interface iface);

// Removes every device, clears the wire log and every fault. Safe between test functions
// while handles are still open: they stay valid to pass to hid_close and hid_error, and
// every other call on them fails with -1 (blocked reads wake and fail).
void reset();

// Faults -------------------------------------------------------------------------------

// hid_open_path (and hid_open) on this interface fails, returning null, while set.
void setOpenFails(DeviceId id, Interface iface, bool fails);
// hid_get_feature_report fails (returns -1, logs nothing) while set: the device stops
// answering queries. Command reports are still taken in.
void setFeatureReadsFail(DeviceId id, bool fails);
// The next `reports` calls of hid_send_feature_report fail (return -1, log nothing, the
// firmware sees nothing); later ones succeed again. 0 cancels.
void failFeatureWrites(DeviceId id, int reports);
// Interrupt IN reads on the command interface deliver nothing while set: they wait out
// their time-out and return 0. Reports already queued stay queued.
void setInterruptReadsSilent(DeviceId id, bool silent);
// Unplugs the device right after it has accepted this many more interrupt OUT reports on
// the command interface (unplugging in the middle of a transfer): the last one of them
// still succeeds and is logged. A count of 0 or less cancels a pending unplug.
void unplugAfterInterruptWrites(DeviceId id, int reports);
// Lets this many more interrupt OUT reports on the command interface through, then fails
// the next hid_write once (returns -1, logs nothing, the firmware sees nothing; the device
// stays plugged and the handle usable): a report refused in the middle of a data block.
// Later writes succeed again. 0 fails the very next write; a negative count cancels.
void failInterruptWriteAfter(DeviceId id, int reports);

// Events -------------------------------------------------------------------------------

// Queues one input report on the event interface, e.g. {0x06, 0x07, 0x00, 0x03}; a read
// on that interface delivers the oldest queued report, cut to the reader's buffer.
// Reports stay queued across closes and reopens of the handle. Ignored, with one line on
// stderr, for an empty report, an unplugged device or a device without event interface.
void queueEvent(DeviceId id, const Bytes &report);
// Reports queued and not yet read.
int pendingEvents(DeviceId id);

// State --------------------------------------------------------------------------------

// A copy of what the firmware keeps, counters included.
DeviceState state(DeviceId id);
// Replaces it whole (counters included), e.g. to give a device its initial settings.
void setState(DeviceId id, const DeviceState &state);
// Changes the state in place under the simulator's lock. change must not call back into
// the simulator (the lock is not recursive).
void modifyState(DeviceId id, const std::function<void(DeviceState &)> &change);

// Wire log -----------------------------------------------------------------------------

// Every report that crossed the wire since the last reset() or clearWireLog(), in order,
// on all devices and both interfaces: FeatureOut the bytes sent (also when the checksum is
// wrong), FeatureIn the bytes answered, InterruptOut the whole report written, InterruptIn
// the bytes delivered. Calls that fail log nothing.
std::vector<WireRecord> wireLog();
void clearWireLog();

// Handles: how many opens of this interface succeeded since plug(), and how many of those
// handles are not closed yet (handles on an unplugged device count until closed).
int openCount(DeviceId id, Interface iface);
int openHandles(DeviceId id, Interface iface);

// Demo ---------------------------------------------------------------------------------

// Writes the wire log as text, one report per line: milliseconds since the first record
// (three decimals), device id, interface, direction, bytes in hex ("00 01 01 … FD").
std::string formatWireLog(const std::vector<WireRecord> &log);

}  // namespace sim
