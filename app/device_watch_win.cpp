// Windows tells of device changes through the window's messages (WM_DEVICECHANGE), and a
// device that is found can be opened.

#include "device_watch.h"

void DeviceWatch::followSystemChanges() { }

void DeviceWatch::checkPermissions(const QString &) { }
