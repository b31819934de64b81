#include "device_watch.h"

#include "device_list.h"
#include "hid_thread.h"
#include "myqquickview.h"
#include "settings_store.h"

#include <QDebug>
#include <QSettings>

namespace {
// The family whose profiles are read from the mouse when it is accepted.
constexpr char kReadsProfiles[] = "560";
}  // namespace

DeviceWatch::DeviceWatch(Hid_Thread &hid, myQQuickView *view, QObject *parent)
    : QObject(parent)
    , m_hid(hid)
    , m_view(view)
{
    m_pollTimer.setInterval(kPollInterval);
    m_pollTimer.setSingleShot(true);
    m_pollTimer.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
    connect(&m_pollTimer, &QTimer::timeout, this, &DeviceWatch::checkDevice);
}

void DeviceWatch::deviceChanged()
{
    if (!m_hid.isMonitorRunning())
        m_pollTimer.start();
}

// A check releases the interlock and runs exchanges of its own; one that comes due while a
// command is in progress (the command's pauses keep the event loop turning) would overwrite
// the reports of that command. It waits until the command is done instead.
void DeviceWatch::checkDevice()
{
    if (m_hid.isCommandInProgress()) {
        if (!m_checkDeferred)
            qDebug().noquote() << "A device check waits for the command in progress";
        m_checkDeferred = true;
        return;
    }
    m_checkDeferred = false;
    QSettings config(QString::fromLatin1(StoreFiles::kGlobal), QSettings::IniFormat);
    DevInfoList devices = DeviceList::read(config);
    DeviceList::locateInterfaces(devices);
    m_hid.setDevices(devices);

    const int accepted = DeviceList::firstAttached(devices);
    if (accepted >= 0) {
        acceptDevice(accepted);
        return;
    }
    qDebug().noquote() << "Device DisConnect";
    m_connected = false;
    emit lost();
}

// A check that came due during the command runs from the event loop rather than from inside
// the command that has just ended. A sequence of commands (a Save is several) ends first,
// since a check that comes round inside the pauses of a later command waits again.
void DeviceWatch::commandDone()
{
    if (m_checkDeferred && !m_deferredCheckPosted) {
        m_deferredCheckPosted = true;
        QMetaObject::invokeMethod(this, &DeviceWatch::runDeferredCheck, Qt::QueuedConnection);
    }
}

void DeviceWatch::runDeferredCheck()
{
    m_deferredCheckPosted = false;
    if (m_checkDeferred)
        checkDevice();
}

void DeviceWatch::acceptDevice(int index)
{
    m_hid.setCurrentDevice(index);
    qDebug().noquote() << "Device Connect";
    m_view->clearHidBusy();
    m_connected = true;
    emit balloon(QStringLiteral("Info"), QStringLiteral("Detect Device"));
    checkPermissions(m_hid.devices().at(index).path);
    m_hid.startMonitor(uint(index));
    if (m_view->icType() == QLatin1String(kReadsProfiles)) {
        const uint last = m_view->isGun() ? 4 : 1;
        for (uint profile = 0; profile <= last; ++profile)
            m_view->mouseReadProfile(profile);
    }
    m_view->setEnabled(true);
    emit accepted();
}
