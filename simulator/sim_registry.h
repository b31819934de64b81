#pragma once

// Inside the simulator: the plugged devices, the open handles and the wire log, all under
// one lock. The control API (sim_device.cpp) and the hidapi functions (hidapi_sim.cpp)
// both work on this registry.

#include "sim_device.h"
#include "sim_firmware.h"

#include <hidapi.h>

#include <array>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

constexpr int kInterfaceCount = 2;
inline size_t indexOf(Interface iface)
{
    return iface == Interface::Command ? 0 : 1;
}

// One attached (or, until reset(), detached) device.
struct Device
{
    Device(DeviceId id, const DeviceSpec &model);

    const InterfaceSpec &interfaceSpec(Interface iface) const;

    DeviceId id;
    DeviceSpec model;
    std::array<std::string, kInterfaceCount> paths;  // empty for an absent interface
    bool plugged = true;
    Firmware firmware;
    // Reports queued on the event interface. Unlike real hidraw, which drops input reports
    // while no handle is open, they stay with the device across closes and reopens, so a
    // test can queue a report before the monitor opens the interface.
    std::deque<Bytes> events;

    std::array<bool, kInterfaceCount> openFails {};
    bool featureReadsFail = false;
    int featureWritesToFail = 0;  // > 0: that many more command reports are refused
    bool interruptReadsSilent = false;
    int unplugAfterWrites = 0;  // > 0: unplug after that many more interrupt OUT reports
    int writeFailsAfter = -1;   // >= 0: that many more interrupt OUT reports pass, the next fails

    std::array<int, kInterfaceCount> openCount {};
    std::array<int, kInterfaceCount> openHandles {};
};

}  // namespace sim

// What hid_open_path hands out. Handles live in the registry until hid_close, so a handle
// that outlived its device (unplug, reset) fails cleanly instead of dangling.
struct hid_device_
{
    sim::Device *device = nullptr;  // null once reset() removed the device
    sim::Interface iface = sim::Interface::Command;
    bool nonBlocking = false;
    std::wstring lastError = L"Success";
    hid_device_info *info = nullptr;  // built by hid_get_device_info, freed by hid_close
};

namespace sim {

struct Registry
{
    std::mutex lock;
    std::condition_variable wake;  // new reports, unplug, reset, faults cleared

    // Every device since the last reset, in plug order (ids only grow).
    std::map<DeviceId, std::unique_ptr<Device>> devices;
    std::map<const hid_device *, std::shared_ptr<hid_device>> handles;
    std::vector<WireRecord> wire;
    std::wstring openError = L"Success";  // hid_error(nullptr)

    // Neither is reset: a path or id from an earlier test never names a new device.
    DeviceId nextId = 1;
    int nextNode = 0;

    // The device with this id, or null with one line on stderr naming the caller.
    Device *find(DeviceId id, const char *caller);
    // The handle behind this pointer, or null when it was never opened or is closed.
    std::shared_ptr<hid_device> handle(const hid_device *dev);
    void log(const Device &device, Interface iface, Direction direction, const uint8_t *bytes,
        size_t length);
    void detach(Device &device);
};

// The one registry of the process. Never destroyed: the product's pool thread may still
// read while static objects are torn down at exit.
Registry &registry();

// Wide copy of an ASCII string (bytes above 0x7F are taken as Latin-1).
std::wstring widen(const std::string &text);

}  // namespace sim
