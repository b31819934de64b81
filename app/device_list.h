#pragma once

#include "devinfo.h"

class QSettings;

// The configured devices (the device section of the global configuration file) and where
// the attached ones are among the system's HID interfaces.
namespace DeviceList {

// A count beyond this is a damaged file: no real configuration lists that many models.
constexpr int kMaxDevices = 64;

// Entries 0 … common/deviceCount − 1 in index order, both paths empty. Ids, usage pages and
// usages are hexadecimal text without prefix (0 when they do not parse), type defaults to
// −1 and reportLength to 32.
DevInfoList read(QSettings &config);

// Fills path and path2 of each entry from the attached HID interfaces with its vid and pid;
// a later matching interface overwrites an earlier one.
void locateInterfaces(DevInfoList &devices);

// Index of the first entry whose command interface is present, or −1.
int firstAttached(const DevInfoList &devices);

}  // namespace DeviceList
