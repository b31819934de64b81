#include "name_lists.h"

#include "macro_files.h"
#include "settings_store.h"

#include <QDebug>
#include <QSettings>

#include <iterator>

namespace {

constexpr char kNameFile[] = "./modules/setting/name.bin";
constexpr char kSentinel[] = "loaderpivlan";

// The key of each list type, by type number.
constexpr const char *kListKeys[] = {
    "macro/macroName",
    "gun/gunName",
    "profile/profileName",
    "gun/selectGun",
};

// The key of a list type, or null (with a diagnostic line) for a type without a list.
const char *listKey(const QVariant &type)
{
    bool ok = false;
    const uint index = type.toUInt(&ok);
    if (ok && index < std::size(kListKeys))
        return kListKeys[index];
    qDebug().noquote() << QStringLiteral("Name list type %1 does not exist").arg(type.toString());
    return nullptr;
}

}  // namespace

QVariant NameLists::updataNameList(const QVariant &type, QStringList nameList) const
{
    const char *key = listKey(type);
    if (!key)
        return true;
    QSettings names(QString::fromLatin1(kNameFile), QSettings::IniFormat);
    if (nameList.size() == 1)
        nameList.append(QString::fromLatin1(kSentinel));
    if (nameList.isEmpty())
        names.remove(QLatin1String(key));
    else
        names.setValue(QLatin1String(key), nameList);
    return true;
}

QVariantList NameLists::getNameList(const QVariant &type) const
{
    const char *key = listKey(type);
    if (!key)
        return {};
    const QSettings names(QString::fromLatin1(kNameFile), QSettings::IniFormat);
    return storedList(names.value(QLatin1String(key), 0));
}

bool NameLists::takesMacroName(const QString &name)
{
    return MacroFiles::isUsableMacroName(name) && name != QLatin1String(kSentinel);
}
