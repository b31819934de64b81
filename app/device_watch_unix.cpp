// The device's node and the kernel's device events on Linux.

#include "device_watch.h"

#include "device_change_monitor.h"

#include <QDebug>

#include <cerrno>
#include <unistd.h>

void DeviceWatch::followSystemChanges()
{
    auto *monitor = new DeviceChangeMonitor(this);
    connect(monitor, &DeviceChangeMonitor::deviceChanged, this, &DeviceWatch::deviceChanged);
}

// The first thing Linux users of such tools trip over: the hidraw node of the device is
// readable by root only until a udev rule gives the logged-in user access.
void DeviceWatch::checkPermissions(const QString &path)
{
    const QByteArray node = path.toLocal8Bit();
    if (!path.startsWith(QLatin1String("/dev/")) || ::access(node.constData(), R_OK | W_OK) == 0
        || errno != EACCES)
        return;
    qDebug().noquote() << QStringLiteral(
        "No permission to open %1: install packaging/70-stryla-config.rules "
        "into /etc/udev/rules.d/, run 'udevadm control --reload' and plug "
        "the device in again")
                              .arg(path);
    if (!m_permissionHintShown) {
        m_permissionHintShown = true;
        emit balloon(QStringLiteral("Info"),
            tr("The mouse was found but cannot be opened: the udev rule from the "
               "README is not installed."));
    }
}
