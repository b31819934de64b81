#include "device_list.h"

#include <QDebug>
#include <QSettings>

#include <hidapi.h>

namespace DeviceList {

namespace {

quint16 hexValue(const QSettings &config, const QString &key, quint16 fallback = 0)
{
    const QVariant value = config.value(key);
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const uint parsed = value.toString().trimmed().toUInt(&ok, 16);
    return ok ? quint16(parsed) : 0;
}

DevInfo readEntry(const QSettings &config, int n)
{
    const QString group = QString::number(n) + QLatin1Char('/');
    DevInfo info;
    const QVariant type = config.value(group + QStringLiteral("type"));
    if (type.isValid()) {
        bool ok = false;
        const int parsed = type.toString().trimmed().toInt(&ok, 16);
        info.type = ok ? parsed : 0;
    }
    info.vid = hexValue(config, group + QStringLiteral("vid"));
    info.pid = hexValue(config, group + QStringLiteral("pid"));
    info.usagePage = hexValue(config, group + QStringLiteral("usagePage"));
    info.usage = hexValue(config, group + QStringLiteral("usage"));
    info.usagePage2 = hexValue(config, group + QStringLiteral("usagePage2"));
    info.usage2 = hexValue(config, group + QStringLiteral("usage2"));
    info.reportLength = config.value(group + QStringLiteral("reportLength"), 32).toInt();
    if (info.reportLength < 1 || info.reportLength > 128) {
        qDebug().noquote() << QStringLiteral("Device %1: report length %2 is not usable, taking 32")
                                  .arg(n)
                                  .arg(info.reportLength);
        info.reportLength = 32;
    }
    return info;
}

}  // namespace

DevInfoList read(QSettings &config)
{
    int count = config.value(QStringLiteral("common/deviceCount"), 0).toInt();
    if (count > kMaxDevices) {
        qDebug().noquote() << QStringLiteral("common/deviceCount %1 is too large, reading %2")
                                  .arg(count)
                                  .arg(kMaxDevices);
        count = kMaxDevices;
    }
    DevInfoList devices;
    for (int n = 0; n < count; ++n)
        devices.append(readEntry(config, n));
    return devices;
}

void locateInterfaces(DevInfoList &devices)
{
    for (DevInfo &info : devices) {
        hid_device_info *all = hid_enumerate(info.vid, info.pid);
        for (hid_device_info *i = all; i; i = i->next) {
            const QString path = QString::fromLocal8Bit(i->path);
            if (i->usage_page == info.usagePage && i->usage == info.usage)
                info.path = path;
            if (i->usage_page == info.usagePage2 && i->usage == info.usage2)
                info.path2 = path;
        }
        hid_free_enumeration(all);
    }
}

int firstAttached(const DevInfoList &devices)
{
    for (int i = 0; i < devices.size(); ++i)
        if (!devices.at(i).path.isEmpty())
            return i;
    return -1;
}

}  // namespace DeviceList
