// The hidapi C functions, served by the simulated devices instead of hidraw.

#include "sim_registry.h"

#include <hidapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

using sim::Bytes;
using sim::Device;
using sim::Direction;
using sim::Interface;
using sim::Registry;
using sim::registry;
using Lock = std::unique_lock<std::mutex>;

// A blocking read that sees nothing for this long gives up, so a faulty test cannot hang.
constexpr auto kBlockingReadLimit = std::chrono::seconds(10);

int fail(hid_device &h, const wchar_t *message)
{
    h.lastError = message;
    return -1;
}

// The device behind a handle that may be used now; null, with the handle's error set,
// after hid_close, reset() or unplug.
Device *usable(hid_device &h)
{
    if (!h.device) {
        fail(h, L"Device handle is closed or the simulated devices were reset");
        return nullptr;
    }
    if (!h.device->plugged) {
        fail(h, L"Device disconnected");
        return nullptr;
    }
    h.lastError = L"Success";
    return h.device;
}

// The device behind a handle on the command interface, as usable() otherwise.
Device *commandDevice(hid_device &h, const wchar_t *eventMessage)
{
    Device *d = usable(h);
    if (d && h.iface != Interface::Command) {
        fail(h, eventMessage);
        return nullptr;
    }
    return d;
}

bool hasReport(const Device &d, Interface iface)
{
    if (iface == Interface::Event)
        return !d.events.empty();
    return !d.interruptReadsSilent && d.firmware.hasInReport();
}

Bytes takeReport(Device &d, Interface iface)
{
    if (iface == Interface::Command)
        return d.firmware.takeInReport();
    Bytes report = std::move(d.events.front());
    d.events.pop_front();
    return report;
}

// timeoutMs: -1 waits (bounded by kBlockingReadLimit), 0 returns at once, none follows
// the handle's blocking mode as hid_read does.
int readReport(hid_device *dev, unsigned char *data, size_t length, std::optional<int> timeoutMs)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h || !usable(*h))
        return -1;
    if (!data || length == 0)
        return fail(*h, L"No buffer to read into");
    const int ms = timeoutMs ? *timeoutMs : (h->nonBlocking ? 0 : -1);
    const auto ready = [&] {
        return !h->device || !h->device->plugged || hasReport(*h->device, h->iface);
    };
    if (ms != 0)
        r.wake.wait_for(lock, ms < 0 ? kBlockingReadLimit : std::chrono::milliseconds(ms), ready);
    Device *d = usable(*h);
    if (!d)
        return -1;
    if (!hasReport(*d, h->iface)) {
        if (ms < 0)
            std::fprintf(stderr, "simhid: blocking read on %s got nothing for %lld s, giving up\n",
                d->paths[sim::indexOf(h->iface)].c_str(),
                static_cast<long long>(kBlockingReadLimit.count()));
        return 0;
    }
    const Bytes report = takeReport(*d, h->iface);
    const size_t n = std::min(length, report.size());
    std::copy_n(report.begin(), n, data);
    r.log(*d, h->iface, Direction::InterruptIn, data, n);
    return int(n);
}

wchar_t *wideCopy(const std::wstring &text)
{
    auto *copy = new wchar_t[text.size() + 1];
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = L'\0';
    return copy;
}

hid_device_info *makeInfo(const Device &d, Interface iface)
{
    auto *info = new hid_device_info {};
    const std::string &path = d.paths[sim::indexOf(iface)];
    info->path = new char[path.size() + 1];
    std::memcpy(info->path, path.c_str(), path.size() + 1);
    info->vendor_id = d.model.vid;
    info->product_id = d.model.pid;
    info->serial_number = wideCopy(L"");
    info->release_number = d.model.releaseNumber;
    info->manufacturer_string = wideCopy(sim::widen(d.model.manufacturer));
    info->product_string = wideCopy(sim::widen(d.model.name));
    info->usage_page = d.interfaceSpec(iface).usagePage;
    info->usage = d.interfaceSpec(iface).usage;
    info->interface_number = iface == Interface::Command ? 0 : 1;
    info->next = nullptr;
#if HID_API_VERSION >= HID_API_MAKE_VERSION(0, 13, 0)
    info->bus_type = HID_API_BUS_USB;
#endif
    return info;
}

void freeInfo(hid_device_info *info)
{
    delete[] info->path;
    delete[] info->serial_number;
    delete[] info->manufacturer_string;
    delete[] info->product_string;
    delete info;
}

hid_device *openLocked(Registry &r, Device &d, Interface iface)
{
    const size_t i = sim::indexOf(iface);
    if (d.openFails[i]) {
        r.openError = L"Permission denied (simulated open failure)";
        return nullptr;
    }
    auto h = std::make_shared<hid_device>();
    h->device = &d;
    h->iface = iface;
    r.handles.emplace(h.get(), h);
    ++d.openCount[i];
    ++d.openHandles[i];
    r.openError = L"Success";
    return h.get();
}

int copyString(
    hid_device *dev, wchar_t *string, size_t maxlen, std::wstring (*pick)(const Device &d))
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h)
        return -1;
    const Device *d = usable(*h);
    if (!d)
        return -1;
    if (!string || maxlen == 0)
        return fail(*h, L"No buffer for the string");
    const std::wstring text = pick(*d);
    const size_t n = std::min(text.size(), maxlen - 1);
    std::copy_n(text.begin(), n, string);
    string[n] = L'\0';
    return 0;
}

}  // namespace

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void)
{
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void)
{
    return 0;
}

struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_enumerate(
    unsigned short vendor_id, unsigned short product_id)
{
    Registry &r = registry();
    Lock lock(r.lock);
    hid_device_info *head = nullptr;
    hid_device_info **tail = &head;
    for (const auto &entry : r.devices) {
        const Device &d = *entry.second;
        // As hidapi: 0 matches any vendor or any product.
        if (!d.plugged || (vendor_id && vendor_id != d.model.vid)
            || (product_id && product_id != d.model.pid))
            continue;
        for (const Interface iface : {Interface::Command, Interface::Event}) {
            if (d.paths[sim::indexOf(iface)].empty())
                continue;
            *tail = makeInfo(d, iface);
            tail = &(*tail)->next;
        }
    }
    return head;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs) {
        hid_device_info *next = devs->next;
        freeInfo(devs);
        devs = next;
    }
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open(
    unsigned short vendor_id, unsigned short product_id, const wchar_t *serial_number)
{
    Registry &r = registry();
    Lock lock(r.lock);
    // The simulated devices carry no serial number: only an empty one matches.
    const bool serialMatches = !serial_number || !*serial_number;
    for (auto &entry : r.devices) {
        Device &d = *entry.second;
        if (!serialMatches || !d.plugged || vendor_id != d.model.vid || product_id != d.model.pid)
            continue;
        for (const Interface iface : {Interface::Command, Interface::Event}) {
            if (!d.paths[sim::indexOf(iface)].empty())
                return openLocked(r, d, iface);
        }
    }
    r.openError = L"No HID device with this vendor id, product id and serial number";
    return nullptr;
}

HID_API_EXPORT hid_device *HID_API_CALL hid_open_path(const char *path)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (path) {
        for (auto &entry : r.devices) {
            Device &d = *entry.second;
            for (const Interface iface : {Interface::Command, Interface::Event}) {
                const std::string &p = d.paths[sim::indexOf(iface)];
                if (d.plugged && !p.empty() && p == path)
                    return openLocked(r, d, iface);
            }
        }
    }
    r.openError = L"No such device: " + sim::widen(path ? path : "(null)");
    return nullptr;
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h)
        return -1;
    Device *d = commandDevice(*h, L"The event interface takes no output reports");
    if (!d)
        return -1;
    if (!data || length == 0)
        return fail(*h, L"No report to write");
    if (d->writeFailsAfter == 0) {
        d->writeFailsAfter = -1;
        return fail(*h, L"Broken pipe (the device refused the report)");
    }
    if (d->writeFailsAfter > 0)
        --d->writeFailsAfter;
    r.log(*d, Interface::Command, Direction::InterruptOut, data, length);
    d->firmware.receiveData(data, length);
    if (d->unplugAfterWrites > 0 && --d->unplugAfterWrites == 0)
        r.detach(*d);
    return int(length);
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(
    hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    return readReport(dev, data, length, milliseconds < 0 ? -1 : milliseconds);
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    return readReport(dev, data, length, std::nullopt);
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device *dev, int nonblock)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h || !usable(*h))
        return -1;
    h->nonBlocking = nonblock != 0;
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_send_feature_report(
    hid_device *dev, const unsigned char *data, size_t length)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h)
        return -1;
    Device *d = commandDevice(*h, L"The event interface takes no feature reports");
    if (!d)
        return -1;
    if (!data || length == 0)
        return fail(*h, L"No report to send");
    if (d->featureWritesToFail > 0) {
        --d->featureWritesToFail;
        return fail(*h, L"Broken pipe (the device refused the report)");
    }
    // Logged as sent, also when the firmware drops it for its checksum.
    r.log(*d, Interface::Command, Direction::FeatureOut, data, length);
    d->firmware.receiveCommand(data, length);
    r.wake.notify_all();  // a profile read may have queued input reports
    return int(length);
}

int HID_API_EXPORT HID_API_CALL hid_get_feature_report(
    hid_device *dev, unsigned char *data, size_t length)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h)
        return -1;
    Device *d = commandDevice(*h, L"The event interface has no feature reports");
    if (!d)
        return -1;
    if (!data || length == 0)
        return fail(*h, L"No buffer to read into");
    if (d->featureReadsFail)
        return fail(*h, L"Broken pipe (the device did not answer)");
    if (data[0] != 0x00)
        return fail(*h, L"The device has no feature report with this id");
    const sim::FeatureReport &reply = d->firmware.reply();
    const size_t n = std::min(length, reply.size());
    std::copy_n(reply.begin(), n, data);
    r.log(*d, Interface::Command, Direction::FeatureIn, data, n);
    return int(n);
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device *dev)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h)
        return;
    if (h->device)
        --h->device->openHandles[sim::indexOf(h->iface)];
    // A read still waiting on this handle (another thread) wakes and fails.
    h->device = nullptr;
    if (h->info)
        freeInfo(h->info);
    h->info = nullptr;
    r.handles.erase(dev);
    r.wake.notify_all();
}

int HID_API_EXPORT_CALL hid_get_manufacturer_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    return copyString(
        dev, string, maxlen, [](const Device &d) { return sim::widen(d.model.manufacturer); });
}

int HID_API_EXPORT_CALL hid_get_product_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    return copyString(
        dev, string, maxlen, [](const Device &d) { return sim::widen(d.model.name); });
}

int HID_API_EXPORT_CALL hid_get_serial_number_string(
    hid_device *dev, wchar_t *string, size_t maxlen)
{
    return copyString(dev, string, maxlen, [](const Device &) { return std::wstring(); });
}

int HID_API_EXPORT_CALL hid_get_indexed_string(hid_device *dev, int, wchar_t *, size_t)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h || !usable(*h))
        return -1;
    return fail(*h, L"Indexed strings are not supported by the device");
}

struct hid_device_info HID_API_EXPORT *HID_API_CALL hid_get_device_info(hid_device *dev)
{
    Registry &r = registry();
    Lock lock(r.lock);
    const auto h = r.handle(dev);
    if (!h)
        return nullptr;
    const Device *d = usable(*h);
    if (!d)
        return nullptr;
    if (!h->info)
        h->info = makeInfo(*d, h->iface);
    return h->info;
}

HID_API_EXPORT const wchar_t *HID_API_CALL hid_error(hid_device *dev)
{
    Registry &r = registry();
    Lock lock(r.lock);
    if (!dev)
        return r.openError.c_str();
    const auto h = r.handle(dev);
    return h ? h->lastError.c_str() : L"Invalid device handle";
}

HID_API_EXPORT const struct hid_api_version *HID_API_CALL hid_version(void)
{
    static const hid_api_version version {
        HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR, HID_API_VERSION_PATCH};
    return &version;
}

HID_API_EXPORT const char *HID_API_CALL hid_version_str(void)
{
    return HID_API_VERSION_STR;
}

}  // extern "C"
