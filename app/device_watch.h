#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class Hid_Thread;
class myQQuickView;

// Finds the configured device and follows it: a check reads the device list of the settings,
// locates its interfaces and accepts the first one attached (the transport opens it, its
// monitor starts, the scene is told); without one the device is gone. The system's device
// changes bring a check kPollInterval after the last of a burst.
class DeviceWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollInterval = 2048;  // ms after the last device change

    DeviceWatch(Hid_Thread &hid, myQQuickView *view, QObject *parent = nullptr);

    bool isConnected() const { return m_connected; }
    bool isPollPending() const { return m_pollTimer.isActive(); }

    // Follows the system's own device events where the platform has a source for them that
    // is not the window's messages.
    void followSystemChanges();

public slots:
    void checkDevice();
    // The system says a device came or went: one check kPollInterval after the last of a
    // burst, and none while the monitor watches a connected device.
    void deviceChanged();
    // The command in progress ended: a check that came due meanwhile runs now.
    void commandDone();

signals:
    // A device was accepted and opened: the scene starts for it.
    void accepted();
    // No configured device is attached.
    void lost();
    void balloon(const QString &title, const QString &message);

private:
    void acceptDevice(int index);
    void runDeferredCheck();
    // Says where the device node cannot be opened for want of permission (once a balloon).
    void checkPermissions(const QString &path);

    Hid_Thread &m_hid;
    myQQuickView *m_view;
    QTimer m_pollTimer;
    bool m_connected = false;
    bool m_checkDeferred = false;        // a check came due while a command was in progress
    bool m_deferredCheckPosted = false;  // … and is queued to run once the interlock is free
    bool m_permissionHintShown = false;
};
