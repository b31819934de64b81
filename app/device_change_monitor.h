#pragma once

#include <QObject>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// Tells when a hidraw device node comes or goes, from the kernel's device events through
// libudev (the "udev" source, or the "kernel" source where no udev daemon runs). The
// descriptor is watched on the GUI thread.
class DeviceChangeMonitor : public QObject
{
    Q_OBJECT

public:
    explicit DeviceChangeMonitor(QObject *parent = nullptr);
    ~DeviceChangeMonitor() override;

    bool isActive() const { return m_monitor != nullptr; }

signals:
    void deviceChanged();

private:
    void drain();

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
};
