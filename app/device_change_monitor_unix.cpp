#include "device_change_monitor.h"

#include <QDebug>
#include <QSocketNotifier>

#include <libudev.h>

namespace {

udev_monitor *openMonitor(udev *context)
{
    for (const char *source : {"udev", "kernel"}) {
        udev_monitor *monitor = udev_monitor_new_from_netlink(context, source);
        if (!monitor)
            continue;
        if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) >= 0
            && udev_monitor_enable_receiving(monitor) >= 0)
            return monitor;
        udev_monitor_unref(monitor);
    }
    return nullptr;
}

}  // namespace

DeviceChangeMonitor::DeviceChangeMonitor(QObject *parent)
    : QObject(parent)
{
    m_udev = udev_new();
    if (m_udev)
        m_monitor = openMonitor(m_udev);
    if (!m_monitor) {
        qDebug().noquote() << "Device changes cannot be watched (no udev monitor); "
                              "plug the device in before starting the program";
        return;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DeviceChangeMonitor::drain);
}

DeviceChangeMonitor::~DeviceChangeMonitor()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void DeviceChangeMonitor::drain()
{
    bool changed = false;
    while (udev_device *device = udev_monitor_receive_device(m_monitor)) {
        udev_device_unref(device);
        changed = true;
    }
    if (changed)
        emit deviceChanged();
}
