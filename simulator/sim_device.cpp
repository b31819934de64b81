// The control API of the simulated device and the registry behind it.

#include "sim_device.h"
#include "sim_registry.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace sim {

namespace {

constexpr int kDefaultReportLength = 32;
constexpr const char *kPathPrefix = "/sim/hidraw";

using Lock = std::lock_guard<std::mutex>;

const char *interfaceName(Interface iface)
{
    return iface == Interface::Command ? "command" : "event";
}

const char *directionName(Direction direction)
{
    switch (direction) {
    case Direction::FeatureOut:
        return "FeatureOut";
    case Direction::FeatureIn:
        return "FeatureIn";
    case Direction::InterruptOut:
        return "InterruptOut";
    case Direction::InterruptIn:
        return "InterruptIn";
    }
    return "?";
}

DeviceSpec checkedSpec(DeviceSpec model)
{
    if (model.reportLength < 1 || model.reportLength > kMaxReportLength) {
        std::fprintf(stderr, "simhid: report length %d of \"%s\" is out of range, using %d\n",
            model.reportLength, model.name.c_str(), kDefaultReportLength);
        model.reportLength = kDefaultReportLength;
    }
    return model;
}

// Why a report cannot be queued on this device's event interface, or null.
const char *eventRefusal(const Device &d, const Bytes &report)
{
    if (!d.plugged)
        return "is unplugged";
    if (d.paths[indexOf(Interface::Event)].empty())
        return "has no event interface";
    if (report.empty())
        return "got an empty report";
    return nullptr;
}

}  // namespace

// Registry ---------------------------------------------------------------------------

Device::Device(DeviceId id, const DeviceSpec &model)
    : id(id)
    , model(model)
    , firmware(model.family, model.reportLength)
{ }

const InterfaceSpec &Device::interfaceSpec(Interface iface) const
{
    return iface == Interface::Command ? model.command : model.event;
}

Device *Registry::find(DeviceId id, const char *caller)
{
    const auto it = devices.find(id);
    if (it != devices.end())
        return it->second.get();
    if (caller)
        std::fprintf(stderr, "simhid: %s: no device %d\n", caller, id);
    return nullptr;
}

std::shared_ptr<hid_device> Registry::handle(const hid_device *dev)
{
    const auto it = handles.find(dev);
    return it == handles.end() ? nullptr : it->second;
}

void Registry::log(
    const Device &device, Interface iface, Direction direction, const uint8_t *bytes, size_t length)
{
    wire.push_back(WireRecord {device.id, iface, direction, Bytes(bytes, bytes + length),
        std::chrono::steady_clock::now()});
}

void Registry::detach(Device &device)
{
    device.plugged = false;
    device.unplugAfterWrites = 0;
    wake.notify_all();
}

Registry &registry()
{
    static Registry *instance = new Registry;
    return *instance;
}

std::wstring widen(const std::string &text)
{
    std::wstring wide;
    for (const char c : text)
        wide.push_back(wchar_t(static_cast<unsigned char>(c)));
    return wide;
}

// Reference devices ------------------------------------------------------------------

namespace {

// The two models of the reference device list: name, pid, report length, and the usage page
// and usage of the command and event interfaces (vendor 0x04d9 for both).
struct ReferenceModel
{
    const char *name;
    uint16_t pid;
    int reportLength;
    uint16_t commandPage, commandUsage, eventPage, eventUsage;
};

constexpr ReferenceModel kMouse {"Stryla Gaming Mouse", 0xa1ee, 32, 0xff00, 0xff00, 0xff01, 0xff01};
constexpr ReferenceModel kKeyboard {
    "Stryla Gaming Keyboard", 0x8008, 64, 0xff01, 0x0001, 0xff02, 0x0001};

DeviceSpec reference(const ReferenceModel &m, Family family)
{
    DeviceSpec model;
    model.name = m.name;
    model.family = family;
    model.vid = 0x04d9;
    model.pid = m.pid;
    model.reportLength = m.reportLength;
    model.command = {true, m.commandPage, m.commandUsage, {}};
    model.event = {true, m.eventPage, m.eventUsage, {}};
    return model;
}

}  // namespace

DeviceSpec referenceMouse(Family family)
{
    return reference(kMouse, family);
}

DeviceSpec referenceKeyboard(Family family)
{
    return reference(kKeyboard, family);
}

// Devices ----------------------------------------------------------------------------

DeviceId plug(const DeviceSpec &model)
{
    const DeviceSpec checked = checkedSpec(model);
    Registry &r = registry();
    Lock lock(r.lock);
    const DeviceId id = r.nextId++;
    auto device = std::make_unique<Device>(id, checked);
    for (const Interface iface : {Interface::Command, Interface::Event}) {
        const InterfaceSpec &is = device->interfaceSpec(iface);
        if (!is.present)
            continue;
        device->paths[indexOf(iface)] =
            is.path.empty() ? kPathPrefix + std::to_string(r.nextNode++) : is.path;
    }
    r.devices.emplace(id, std::move(device));
    return id;
}

void unplug(DeviceId id)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "unplug"))
        r.detach(*d);
}

bool isPlugged(DeviceId id)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const Device *d = r.find(id, nullptr);
    return d && d->plugged;
}

std::string path(DeviceId id, Interface iface)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const Device *d = r.find(id, "path");
    return d ? d->paths[indexOf(iface)] : std::string();
}

void reset()
{
    Registry &r = registry();
    Lock lock(r.lock);
    // Handles stay in the registry until closed, but no longer reach any device.
    for (auto &entry : r.handles)
        entry.second->device = nullptr;
    r.devices.clear();
    r.wire.clear();
    r.openError = L"Success";
    r.wake.notify_all();
}

// Faults -----------------------------------------------------------------------------

void setOpenFails(DeviceId id, Interface iface, bool fails)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "setOpenFails"))
        d->openFails[indexOf(iface)] = fails;
}

void setFeatureReadsFail(DeviceId id, bool fails)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "setFeatureReadsFail"))
        d->featureReadsFail = fails;
}

void failFeatureWrites(DeviceId id, int reports)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "failFeatureWrites"))
        d->featureWritesToFail = reports > 0 ? reports : 0;
}

void setInterruptReadsSilent(DeviceId id, bool silent)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "setInterruptReadsSilent")) {
        d->interruptReadsSilent = silent;
        r.wake.notify_all();
    }
}

void unplugAfterInterruptWrites(DeviceId id, int reports)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "unplugAfterInterruptWrites"))
        d->unplugAfterWrites = reports > 0 ? reports : 0;
}

void failInterruptWriteAfter(DeviceId id, int reports)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "failInterruptWriteAfter"))
        d->writeFailsAfter = reports >= 0 ? reports : -1;
}

// Events -----------------------------------------------------------------------------

void queueEvent(DeviceId id, const Bytes &report)
{
    Registry &r = registry();
    Lock lock(r.lock);
    Device *d = r.find(id, "queueEvent");
    if (!d)
        return;
    if (const char *refusal = eventRefusal(*d, report)) {
        std::fprintf(stderr, "simhid: queueEvent: device %d %s, report dropped\n", id, refusal);
        return;
    }
    d->events.push_back(report);
    r.wake.notify_all();
}

int pendingEvents(DeviceId id)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const Device *d = r.find(id, "pendingEvents");
    return d ? int(d->events.size()) : 0;
}

// State ------------------------------------------------------------------------------

DeviceState state(DeviceId id)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const Device *d = r.find(id, "state");
    return d ? d->firmware.state : DeviceState {};
}

void setState(DeviceId id, const DeviceState &state)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "setState"))
        d->firmware.state = state;
}

void modifyState(DeviceId id, const std::function<void(DeviceState &)> &change)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (Device *d = r.find(id, "modifyState"))
        change(d->firmware.state);
}

// Wire log ---------------------------------------------------------------------------

std::vector<WireRecord> wireLog()
{
    Registry &r = registry();
    Lock lock(r.lock);
    return r.wire;
}

void clearWireLog()
{
    Registry &r = registry();
    Lock lock(r.lock);
    r.wire.clear();
}

int openCount(DeviceId id, Interface iface)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const Device *d = r.find(id, "openCount");
    return d ? d->openCount[indexOf(iface)] : 0;
}

int openHandles(DeviceId id, Interface iface)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const Device *d = r.find(id, "openHandles");
    return d ? d->openHandles[indexOf(iface)] : 0;
}

std::string formatWireLog(const std::vector<WireRecord> &log)
{
    std::ostringstream out;
    out << std::fixed << std::setprecision(3);
    for (const WireRecord &record : log) {
        const std::chrono::duration<double, std::milli> since = record.time - log.front().time;
        out << std::setw(10) << since.count() << " ms  device " << record.device << "  "
            << std::left << std::setw(8) << interfaceName(record.interface) << std::setw(13)
            << directionName(record.direction) << std::right << std::hex << std::uppercase
            << std::setfill('0');
        for (size_t i = 0; i < record.bytes.size(); ++i)
            out << (i ? " " : "") << std::setw(2) << int(record.bytes[i]);
        out << std::dec << std::nouppercase << std::setfill(' ') << '\n';
    }
    return out.str();
}

}  // namespace sim
