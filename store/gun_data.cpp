#include "gun_data.h"

#include "settings_store.h"

#include <QDebug>
#include <QFileInfo>
#include <QSettings>

namespace GunData {

namespace {

const QString kGroup = QStringLiteral("gunData/");
constexpr int kNamedEntryValues = kEntryValues - 1;
// modifyType 1: new name, the five values, old name.
constexpr int kRenameValues = kEntryValues + 1;
constexpr int kRemove = 0;
constexpr int kRename = 1;
constexpr int kDefaultXYSensitive = 4;

bool fileExists()
{
    return QFileInfo(gunDataPath()).isFile();
}

bool fileExistsFor(const char *operation)
{
    if (fileExists())
        return true;
    qDebug().noquote() << QStringLiteral("%1: no gun data file %2; nothing written")
                              .arg(QLatin1String(operation), gunDataPath());
    return false;
}

bool isDigitsOnly(const QString &key)
{
    for (const QChar ch : key) {
        if (!ch.isDigit())
            return false;
    }
    return true;
}

bool isPlainKey(const QString &key)
{
    for (const QChar ch : key) {
        if (ch == QLatin1Char('/') || ch == QLatin1Char('\\')
            || ch.category() == QChar::Other_Control)
            return false;
    }
    return !key.isEmpty();
}

bool refused(const char *operation, const QString &why)
{
    qDebug().noquote()
        << QStringLiteral("%1: %2; nothing written").arg(QLatin1String(operation), why);
    return false;
}

bool checkKey(const char *operation, const QString &key)
{
    return isPlainKey(key) || refused(operation, QStringLiteral("unusable key \"%1\"").arg(key));
}

bool checkCount(const char *operation, const QVariantList &values, int needed)
{
    return values.size() >= needed
        || refused(
            operation, QStringLiteral("%1 values given, %2 needed").arg(values.size()).arg(needed));
}

// A named entry must not take the place of an indexed one.
bool checkName(const QString &name)
{
    if (!checkKey("modifyGundata", name))
        return false;
    return !isDigitsOnly(name)
        || refused(
            "modifyGundata", QStringLiteral("gun name \"%1\" is a table position").arg(name));
}

void removeEntry(const QVariantList &src)
{
    if (!checkCount("modifyGundata", src, 1) || !checkKey("modifyGundata", src.at(0).toString()))
        return;
    QSettings(gunDataPath(), QSettings::IniFormat).remove(kGroup + src.at(0).toString());
}

void renameEntry(const QVariantList &src)
{
    if (!checkCount("modifyGundata", src, kRenameValues))
        return;
    const QString newName = src.at(0).toString();
    const QString oldName = src.at(kRenameValues - 1).toString();
    if (!checkName(newName) || !checkName(oldName))
        return;
    QSettings file(gunDataPath(), QSettings::IniFormat);
    file.remove(kGroup + oldName);
    file.setValue(kGroup + newName, src.mid(1, kNamedEntryValues));
}

bool checkProfile(bool present, const char *operation)
{
    if (present)
        return true;
    qDebug().noquote() << QStringLiteral("%1: no current profile").arg(QLatin1String(operation));
    return false;
}

}  // namespace

QString gunDataPath()
{
    return QStringLiteral("./modules/gun/gunData.bin");
}

void mouseSaveGundata(const QVariant &index, const QVariantList &src6)
{
    const QString key = index.toString();
    if (!fileExistsFor("mouseSaveGundata") || !checkKey("mouseSaveGundata", key)
        || !checkCount("mouseSaveGundata", src6, kEntryValues))
        return;
    QSettings(gunDataPath(), QSettings::IniFormat)
        .setValue(kGroup + key, src6.mid(0, kEntryValues));
}

QVariantList getGunData(const QVariant &name)
{
    if (!fileExists())
        return {};
    const QSettings file(gunDataPath(), QSettings::IniFormat);
    return file.value(kGroup + name.toString(), 0).toList();
}

QStringList getGunDataKey()
{
    if (!fileExists())
        return {};
    QSettings file(gunDataPath(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("gunData"));
    return file.childKeys();
}

void modifyGundata(const QVariant &modifyType, const QVariantList &src)
{
    bool isNumber = false;
    const int type = modifyType.toInt(&isNumber);
    if (!isNumber || (type != kRemove && type != kRename)) {
        qDebug().noquote()
            << QStringLiteral("modifyGundata: type %1 does nothing").arg(modifyType.toString());
        return;
    }
    if (!fileExistsFor("modifyGundata"))
        return;
    if (type == kRemove)
        removeEntry(src);
    else
        renameEntry(src);
}

QVariant getXYSensitive(const QSettings *profile, const QVariant &index)
{
    if (!checkProfile(profile != nullptr, "getXYSensitive"))
        return kDefaultXYSensitive;
    return profile->value(QStringLiteral("XYSensitive/") + index.toString(), kDefaultXYSensitive);
}

void setXYSensitive(QSettings *profile, const QVariant &index, const QVariant &xyData)
{
    const QString key = QStringLiteral("XYSensitive/") + index.toString();
    if (checkProfile(profile != nullptr, "setXYSensitive") && mayStore("setXYSensitive", key, xyData))
        profile->setValue(key, xyData);
}

QVariant getselectGun(const QSettings *profile, const QVariant &index)
{
    if (!checkProfile(profile != nullptr, "getselectGun"))
        return QString();
    return profile->value(QStringLiteral("selectGun/") + index.toString(), QString());
}

void setSelectGun(QSettings *profile, const QVariant &index, const QVariant &gunChoice)
{
    const QString key = QStringLiteral("selectGun/") + index.toString();
    if (checkProfile(profile != nullptr, "setSelectGun") && mayStore("setSelectGun", key, gunChoice))
        profile->setValue(key, gunChoice);
}

}  // namespace GunData
