// The transport of Hid_Thread: opening the command interface, the interlock, and the write
// and read exchanges that carry one command report and its data.

#include "hid_thread.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLoggingCategory>
#include <QMutexLocker>

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

} // namespace

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

hid_device *Hid_Thread::openCmdInterface(int index)
{
    QByteArray path;
    {
        QMutexLocker locker(&m_devicesLock);
        if (index < 0 || index >= m_devices.size() || m_devices.at(index).path.isEmpty())
            return nullptr;
        path = m_devices.at(index).path.toLocal8Bit();
    }
    closeCmdInterface();
    hid_device *handle = hid_open_path(path.constData());
    if (!handle) {
        QMutexLocker locker(&m_devicesLock);
        if (index < m_devices.size())
            m_devices[index].path.clear();
        return nullptr;
    }
    hid_set_nonblocking(handle, 0);
    m_cmdHandle = handle;
    return handle;
}

void Hid_Thread::closeCmdInterface()
{
    if (m_cmdHandle) {
        hid_close(m_cmdHandle);
        m_cmdHandle = nullptr;
    }
}

bool Hid_Thread::waitIdle()
{
    for (int check = 0; check <= kIdlePollCount; ++check) {
        if (m_idle) {
            m_idle = false;
            return true;
        }
        if (check == kIdlePollCount)
            break;
        QThread::msleep(kIdlePollMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return false;
}

void Hid_Thread::settleDelay()
{
    QThread::msleep(kSettleStepMs);
    QThread::msleep(kSettleStepMs);
}

bool Hid_Thread::sendCommand(int dataLength, bool settle)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const auto fail = [this] {
        closeCmdInterface();
        m_idle = true;
        return false;
    };

    hid_device *handle = openCmdInterface(m_currentDevice);
    if (!handle)
        return fail();
    logReport("feature out", m_cmdReport.data(), kCommandReportSize);
    if (hid_send_feature_report(handle, m_cmdReport.data(), kCommandReportSize) < 0)
        return fail();
    if (settle)
        settleDelay();

    if (dataLength > 0) {
        const int length = reportLength();
        const QList<QByteArray> reports =
            dataReports(m_dataBuffer, qMin(dataLength, kDataBufferSize), length);
        for (const QByteArray &report : reports) {
            handle = openCmdInterface(m_currentDevice);
            if (!handle)
                return fail();
            const auto *bytes = reinterpret_cast<const uchar *>(report.constData());
            logReport("interrupt out", bytes, int(report.size()));
            if (hid_write(handle, bytes, size_t(report.size())) < 0)
                return fail();
            QThread::msleep(kReportGapMs);
        }
        if (settle)
            settleDelay();
    }

    closeCmdInterface();
    m_idle = true;
    return true;
}

bool Hid_Thread::queryCommand(int dataLength)
{
    const auto fail = [this] {
        closeCmdInterface();
        m_idle = true;
        return false;
    };

    hid_device *handle = openCmdInterface(m_currentDevice);
    if (!handle)
        return fail();
    logReport("feature out", m_cmdReport.data(), kCommandReportSize);
    if (hid_send_feature_report(handle, m_cmdReport.data(), kCommandReportSize) < 0)
        return fail();
    handle = openCmdInterface(m_currentDevice);
    if (!handle)
        return fail();
    // The reply is read into a copy, so a failed read hands the prefilled values back.
    CommandReport reply = m_replyReport;
    reply[0] = kReportId;
    if (hid_get_feature_report(handle, reply.data(), kCommandReportSize) < 0)
        return fail();
    m_replyReport = reply;
    logReport("feature in", m_replyReport.data(), kCommandReportSize);

    const int total = qMin(dataLength, kDataBufferSize);
    if (total > 0) {
        const int length = reportLength();
        const int n = bytesPerReport(total, length);
        // Collected apart, so a read that fails half-way leaves the caller's block untouched.
        uchar collected[kDataBufferSize];
        std::memcpy(collected, m_dataBuffer, sizeof collected);
        std::vector<uchar> input(size_t(length) + 1);
        for (int offset = 0; offset < total; offset += n) {
            handle = openCmdInterface(m_currentDevice);
            if (!handle)
                return fail();
            std::fill(input.begin(), input.end(), 0);
            const int read = hid_read_timeout(handle, input.data(), input.size(),
                                              kInterruptReadTimeoutMs);
            if (read <= 0)
                return fail();   // an error, or nothing within the bound
            logReport("interrupt in", input.data(), read);
            // A short report leaves the rest of its share zero, as the zeroed buffer holds.
            const int chunk = qMin(n, total - offset);
            std::memcpy(collected + offset, input.data(), size_t(chunk));
        }
        std::memcpy(m_dataBuffer, collected, sizeof collected);
    }

    closeCmdInterface();
    m_idle = true;
    return true;
}
