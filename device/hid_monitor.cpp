// The monitor job: while a device is connected it listens on the event interface for the
// DPI-switch report, and it notices the removal of the device.

#include "command_set.h"
#include "hid_owner.h"
#include "hid_thread.h"
#include "notification_texts.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <hidapi.h>

using namespace HidFraming;

namespace {

// DPI-switch report on the event interface, device to host.
constexpr int kDpiSwitchLength = 4;
constexpr uchar kDpiSwitchByte0 = 0x06;
constexpr uchar kDpiSwitchByte1 = 0x07;
constexpr int kDpiSwitchStage = 3;  // the new stage, counted from 1
constexpr int kEventReportRoom = 65;

// The bit that makes the device report DPI changes on its event interface.
constexpr uchar kOption560Byte1Bit = 0x08;
constexpr uchar kOption553Byte4Bit = 0x40;

const QString kBalloonTitle = QStringLiteral("Info");

// The read on the event interface waits in slices this long, so a stop (the program ending)
// is seen within one slice instead of at the end of the whole read.
constexpr int kEventReadSliceMs = 20;

// One read of up to kEventReadTimeoutMs on the open event interface; 0 when nothing came or
// running went false meanwhile.
int readEvent(hid_device *handle, uchar *report, size_t size, const std::atomic<bool> &running)
{
    QElapsedTimer clock;
    clock.start();
    while (running) {
        const int left = kEventReadTimeoutMs - int(clock.elapsed());
        if (left <= 0)
            return 0;
        const int read = hid_read_timeout(handle, report, size, qMin(left, kEventReadSliceMs));
        if (read != 0)
            return read;
    }
    return 0;
}

}  // namespace

// Reads the keyboard options, sets the DPI-report bit and writes them back. When the read
// does not complete, nothing is written: the bytes would not be the device's own.
void Hid_Thread::readAndMarkKeyboardOptions()
{
    if (m_owner && m_owner->icType() == QLatin1String("560")) {
        uchar byte1 = 0, byte2 = 0;
        if (!runQuery(Cmd560::GetKeyboardOption, {}, {&byte1, &byte2}))
            return;
        hid560_01H_SetKeyboardoption(byte1 | kOption560Byte1Bit, byte2);
    } else {
        uchar byte1 = 0, byte2 = 0, byte3 = 0, byte4 = 0;
        if (!runQuery(Cmd553::GetKeyboardOption, {}, {&byte1, &byte2, &byte3, &byte4}))
            return;
        hid553_03H_SetKeyboardoption(byte1, byte2, byte3, byte4 | kOption553Byte4Bit);
    }
}

void Hid_Thread::startMonitor(uint index)
{
    m_monitorRunning = false;
    readAndMarkKeyboardOptions();
    waitForMonitor();  // a job still inside its read ends within one read time-out
    m_monitorRunning = true;
    m_monitorFuture =
        QtConcurrent::run(QThreadPool::globalInstance(), [this, index] { monitorLoop(index); });
}

void Hid_Thread::stopMonitor()
{
    m_monitorRunning = false;
}

void Hid_Thread::waitForMonitor()
{
    m_monitorFuture.waitForFinished();
}

hid_device *Hid_Thread::openEventInterface(int index)
{
    if (m_eventHandle) {
        hid_close(m_eventHandle);
        m_eventHandle = nullptr;
    }
    m_eventHandle = openInterface(index, &DevInfo::path2);
    return m_eventHandle;
}

void Hid_Thread::monitorLoop(uint index)
{
    {
        QMutexLocker locker(&m_devicesLock);
        if (index >= uint(m_devices.size()) || m_devices.at(int(index)).path2.isEmpty()) {
            // No event interface to watch: give device-change notifications back to discovery.
            m_monitorRunning = false;
            return;
        }
    }
    while (m_monitorRunning) {
        hid_device *handle = openEventInterface(int(index));
        if (!handle) {
            deviceRemoved(int(index));
            return;
        }
        // Room for a whole report: event interfaces that pad their reports deliver more than
        // the four bytes of the DPI switch, which are the first four.
        uchar report[kEventReportRoom] {};
        const int read = readEvent(handle, report, sizeof report, m_monitorRunning);
        if (read >= kDpiSwitchLength && report[0] == kDpiSwitchByte0
            && report[1] == kDpiSwitchByte1)
            dpiSwitched(report[kDpiSwitchStage]);
        hid_close(m_eventHandle);
        m_eventHandle = nullptr;
    }
}

// Runs on the pool thread; the user interface is reached through queued calls on the GUI
// thread, in order, without waiting for them.
void Hid_Thread::deviceRemoved(int index)
{
    qDebug().noquote() << "Device removed";
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_owner)
                m_owner->setViewEnabled(false);
        },
        Qt::QueuedConnection);
    {
        QMutexLocker locker(&m_devicesLock);
        if (index < m_devices.size())
            m_devices[index].path2.clear();
    }
    m_monitorRunning = false;
}

void Hid_Thread::dpiSwitched(int stage)
{
    const QString message = NotificationTexts::forStage(stage) + QLatin1Char(' ');
    QMetaObject::invokeMethod(
        this,
        [this, stage] {
            m_mirror.forget();  // the device changed a setting by itself
            if (m_owner)
                m_owner->setCurrentDPI(stage);
        },
        Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        this,
        [this, message] {
            if (m_owner)
                m_owner->showBalloon(kBalloonTitle, message);
        },
        Qt::QueuedConnection);
}
