// The transport of Hid_Thread: opening the command interface, the interlock, and the write
// and read exchanges that carry one command report and its data.

#include "hid_thread.h"
#include "test_clock.h"
#include "wire_log.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QTimer>

#include <hidapi.h>

#include <cstring>
#include <vector>

Q_LOGGING_CATEGORY(lcWire, "stryla.wire", QtWarningMsg)

using namespace HidFraming;

namespace {

void logReport(const char *what, const uchar *bytes, int length)
{
    qCDebug(lcWire).noquote() << what << HidFraming::hex(bytes, length);
}

}  // namespace

Hid_Thread::Hid_Thread() = default;

Hid_Thread::~Hid_Thread()
{
    stopMonitor();
    waitForMonitor();
    closeCmdInterface();
}

void Hid_Thread::setOwner(HidOwner *owner)
{
    m_owner = owner;
}

DevInfoList Hid_Thread::devices() const
{
    QMutexLocker locker(&m_devicesLock);
    return m_devices;
}

void Hid_Thread::setDevices(const DevInfoList &devices)
{
    QMutexLocker locker(&m_devicesLock);
    m_devices = devices;
}

uchar Hid_Thread::hidCS(uchar *cmd)
{
    return checksum(cmd);
}

int Hid_Thread::reportLength() const
{
    QMutexLocker locker(&m_devicesLock);
    if (m_currentDevice < 0 || m_currentDevice >= m_devices.size())
        return 32;
    return qBound(1, m_devices.at(m_currentDevice).reportLength, kDataBufferSize);
}

// Opens the interface whose path the record at index names, in blocking mode. A failed open
// empties that path: every later exchange then fails without touching the system until
// device discovery fills it again.
hid_device *Hid_Thread::openInterface(int index, QString DevInfo::*path)
{
    QByteArray name;
    {
        QMutexLocker locker(&m_devicesLock);
        if (index < 0 || index >= m_devices.size() || (m_devices.at(index).*path).isEmpty())
            return nullptr;
        name = (m_devices.at(index).*path).toLocal8Bit();
    }
    hid_device *handle = hid_open_path(name.constData());
    if (!handle) {
        QMutexLocker locker(&m_devicesLock);
        if (index < m_devices.size())
            (m_devices[index].*path).clear();
        return nullptr;
    }
    hid_set_nonblocking(handle, 0);
    return handle;
}

hid_device *Hid_Thread::openCmdInterface(int index)
{
    closeCmdInterface();
    m_cmdHandle = openInterface(index, &DevInfo::path);
    return m_cmdHandle;
}

void Hid_Thread::closeCmdInterface()
{
    if (m_cmdHandle) {
        hid_close(m_cmdHandle);
        m_cmdHandle = nullptr;
    }
}

Hid_Thread::CommandScope::CommandScope(Hid_Thread &hid)
    : m_hid(hid)
{
    ++m_hid.m_commandDepth;
}

Hid_Thread::CommandScope::~CommandScope()
{
    if (--m_hid.m_commandDepth == 0)
        emit m_hid.interlockFree();
}

// A pause the device protocol needs (a report gap, a settle step, a command's closing pause),
// as long as the tests' clock makes it: the one place where the protocol's pauses are waited.
void Hid_Thread::pause(int ms)
{
    waitFor(TestClock::pause(ms));
}

// Waits at least ms milliseconds, measured, however early the wait is woken. On a thread with
// an event loop the window keeps painting and timers keep running meanwhile, but user input
// is held back until a later turn of the loop; without one the thread just sleeps.
void Hid_Thread::waitFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 total = qint64(ms) * 1000000;
    if (!QThread::currentThread()->eventDispatcher()) {
        for (qint64 left = total; left > 0; left = total - clock.nsecsElapsed())
            QThread::usleep(ulong((left + 999) / 1000));
        return;
    }
    QTimer wake;  // only wakes the wait below; nothing listens to it
    wake.setTimerType(Qt::PreciseTimer);
    wake.setSingleShot(true);
    for (qint64 left = total; left > 0; left = total - clock.nsecsElapsed()) {
        if (!wake.isActive())
            wake.start(int((left + 999999) / 1000000));
        QCoreApplication::processEvents(
            QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
}

// The interlock counts as taken while a command is still in progress, even where the flag is
// already true again (between the sends of a sequence, in a command's closing pause): a
// command issued from the events processed there must not cut into the pauses the device
// needs.
bool Hid_Thread::waitIdle()
{
    for (int check = 0; check <= kIdlePollCount; ++check) {
        if (m_idle && m_commandDepth == 0) {
            m_idle = false;
            return true;
        }
        if (check == kIdlePollCount)
            break;
        waitFor(kIdlePollMs);  // real time: it bounds how long a command waits its turn
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return false;
}

void Hid_Thread::settleDelay()
{
    pause(kSettleStepMs);
    pause(kSettleStepMs);
}

void Hid_Thread::setCurrentDevice(int index)
{
    m_currentDevice = index;
    m_mirror.forget();
}

// Every exchange ends here: no handle survives it, and the interlock is free again. After one
// that failed, what reached the device is not known.
bool Hid_Thread::endExchange(bool result)
{
    if (!result)
        m_mirror.forget();
    closeCmdInterface();
    m_idle = true;
    ++m_exchangesDone;
    emit exchangesDoneChanged();
    return result;
}

// The command report, on a freshly opened command interface.
bool Hid_Thread::sendCommandReport()
{
    hid_device *handle = openCmdInterface(m_currentDevice);
    if (!handle)
        return false;
    logReport("feature out", m_cmdReport.data(), kCommandReportSize);
    return hid_send_feature_report(handle, m_cmdReport.data(), kCommandReportSize) >= 0;
}

bool Hid_Thread::sendCommand(int dataLength, bool settle)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!sendCommandReport())
        return endExchange(false);
    if (settle)
        settleDelay();
    if (dataLength <= 0)
        return endExchange(true);

    const QList<QByteArray> reports =
        dataReports(m_dataBuffer, qMin(dataLength, kDataBufferSize), reportLength());
    for (const QByteArray &report : reports) {
        hid_device *handle = openCmdInterface(m_currentDevice);
        if (!handle)
            return endExchange(false);
        const auto *bytes = reinterpret_cast<const uchar *>(report.constData());
        logReport("interrupt out", bytes, int(report.size()));
        if (hid_write(handle, bytes, size_t(report.size())) < 0)
            return endExchange(false);
        pause(kReportGapMs);
    }
    if (settle)
        settleDelay();
    return endExchange(true);
}

bool Hid_Thread::queryCommand(int dataLength)
{
    if (!sendCommandReport())
        return endExchange(false);
    hid_device *handle = openCmdInterface(m_currentDevice);
    if (!handle)
        return endExchange(false);
    // The reply is read into a copy, so a failed read hands the prefilled values back.
    CommandReport reply = m_replyReport;
    reply[0] = kReportId;
    if (hid_get_feature_report(handle, reply.data(), kCommandReportSize) < 0)
        return endExchange(false);
    m_replyReport = reply;
    logReport("feature in", m_replyReport.data(), kCommandReportSize);
    return endExchange(readData(qMin(dataLength, kDataBufferSize)));
}

// The data reports that follow a query's reply, into the data buffer. They are collected
// apart first, so a read that fails half-way leaves the caller's block untouched.
bool Hid_Thread::readData(int total)
{
    if (total <= 0)
        return true;
    const int length = reportLength();
    const int n = bytesPerReport(total, length);
    uchar collected[kDataBufferSize];
    std::memcpy(collected, m_dataBuffer, sizeof collected);
    std::vector<uchar> input(size_t(length) + 1);
    for (int offset = 0; offset < total; offset += n) {
        hid_device *handle = openCmdInterface(m_currentDevice);
        if (!handle)
            return false;
        std::fill(input.begin(), input.end(), 0);
        const int read =
            hid_read_timeout(handle, input.data(), input.size(), kInterruptReadTimeoutMs);
        if (read <= 0)
            return false;  // an error, or nothing within the bound
        logReport("interrupt in", input.data(), read);
        // A short report leaves the rest of its share zero, as the zeroed buffer holds.
        std::memcpy(collected + offset, input.data(), size_t(qMin(n, total - offset)));
    }
    std::memcpy(m_dataBuffer, collected, sizeof collected);
    return true;
}
