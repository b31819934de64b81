#include "settings_store.h"

#include "file_replace.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <algorithm>

QString StoreFiles::profileFile(int profile)
{
    return QStringLiteral("./modules/setting/p%1.bin").arg(profile + 1);
}

namespace {

// Types the INI writer stores as their plain text; they read back as strings.
constexpr int kTextTypes[] = {
    QMetaType::QString,
    QMetaType::Int,
    QMetaType::UInt,
    QMetaType::LongLong,
    QMetaType::ULongLong,
    QMetaType::Bool,
    QMetaType::Float,
    QMetaType::Double,
};

bool isText(const QVariant &value)
{
    const int id = value.metaType().id();
    return std::find(std::begin(kTextTypes), std::end(kTextTypes), id) != std::end(kTextTypes);
}

bool isList(const QVariant &value)
{
    const int id = value.metaType().id();
    return id == QMetaType::QVariantList || id == QMetaType::QStringList;
}

// A text element without NUL characters is written bare and keeps a list a string list;
// anything else is written in a typed form and turns the list into a value list.
bool isPlainText(const QVariant &value)
{
    return isText(value) && !value.toString().contains(QChar::Null);
}

QVariant scalarForm(const QVariant &value)
{
    return isText(value) ? QVariant(value.toString()) : value;
}

// An element without a value (the scene's null) is an empty text, so the list keeps its
// length and its other elements.
QVariant elementForm(const QVariant &value)
{
    return value.isValid() ? scalarForm(value) : QVariant(QString());
}

// Lists written as comma-separated elements: every list but a value list of one element.
QVariant listForm(const QVariantList &given)
{
    if (given.isEmpty())
        return QVariant();  // written as the invalid-value marker
    QVariantList elements;
    for (const QVariant &element : given)
        elements.append(elementForm(element));
    if (elements.size() == 1)
        return elements.first().toString();  // a bare value: one string
    if (std::all_of(elements.begin(), elements.end(), isPlainText))
        return QVariant(elements).toStringList();
    return elements;
}

std::unique_ptr<QSettings> openIni(const QString &path)
{
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// Size and modification time of a file, taken before it is replaced.
struct FileStamp
{
    explicit FileStamp(const QString &path)
    {
        const QFileInfo info(path);
        exists = info.exists();
        size = info.size();
        modified = info.lastModified();
    }
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
};

// QSettings shares one parsed copy of each file within the process and reads the file again
// only when its size or modification time (in milliseconds) has changed. A replacement of the
// same size written within the same millisecond would go unnoticed, so its time is moved on.
void markReplaced(const QString &path, const FileStamp &before)
{
    const QFileInfo after(path);
    if (!before.exists || after.size() != before.size || after.lastModified() > before.modified)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)
        || !file.setFileTime(before.modified.addMSecs(1), QFileDevice::FileModificationTime)) {
        qDebug().noquote()
            << QStringLiteral("Cannot mark %1 as changed (%2)").arg(path, file.errorString());
    }
}

}  // namespace

QVariant storedForm(const QVariant &value)
{
    const int id = value.metaType().id();
    if (id == QMetaType::QStringList
        || (id == QMetaType::QVariantList && value.toList().size() != 1))
        return listForm(value.toList());
    return scalarForm(value);
}

bool hasTextForm(const QVariant &value)
{
    // Bytes are written as "@ByteArray(…)" text and read back as they were.
    auto scalar = [](const QVariant &v) {
        return isText(v) || v.metaType().id() == QMetaType::QByteArray;
    };
    if (!value.isValid() || scalar(value))
        return true;
    if (!isList(value))
        return false;
    const QVariantList elements = value.toList();
    return std::all_of(elements.begin(), elements.end(),
        [&scalar](const QVariant &v) { return !v.isValid() || scalar(v); });
}

bool mayStore(const char *caller, const QString &key, const QVariant &value)
{
    if (hasTextForm(value))
        return true;
    qDebug().noquote() << QStringLiteral("%1: %2 not written: a value of type %3 has no text form")
                              .arg(QLatin1String(caller), key,
                                  QLatin1String(value.metaType().name()));
    return false;
}

QVariantList storedList(const QVariant &value)
{
    const QVariant stored = storedForm(value);
    return isList(stored) ? stored.toList() : QVariantList();
}

SettingsStore::SettingsStore()
    : m_global(openIni(QString::fromLatin1(StoreFiles::kGlobal)))
    , m_defaultProfile(openIni(QString::fromLatin1(StoreFiles::kDefaultProfile)))
{
    for (int n = 0; n < ProfileNumbers::kFileCount; ++n)
        m_profiles[n] = openIni(StoreFiles::profileFile(n));
    m_facts.isColorful = getGlobalData(QStringLiteral("mouse/isColorful")).toBool();
    m_facts.isGun = getGlobalData(QStringLiteral("mouse/isGun")).toBool();
    m_facts.icType = getGlobalData(QStringLiteral("mouse/icType")).toString();
    m_facts.is55328 = getGlobalData(QStringLiteral("mouse/is55328")).toBool();
}

SettingsStore::~SettingsStore() = default;

QVariant SettingsStore::getData(const QVariant &key, bool isRecovery) const
{
    const QSettings *file = isRecovery ? m_defaultProfile.get() : currentProfileSettings();
    return storedForm(file->value(key.toString()));
}

QVariantList SettingsStore::getDataList(const QVariant &key, bool isRecovery) const
{
    return storedList(getData(key, isRecovery));
}

void SettingsStore::setData(const QVariant &key, const QVariant &data)
{
    if (mayStore("setData", key.toString(), data))
        currentProfileSettings()->setValue(key.toString(), storedForm(data));
}

void SettingsStore::setDataList(const QVariant &key, const QVariantList &datalist)
{
    setData(key, QVariant(datalist));
}

QVariant SettingsStore::getGlobalData(const QVariant &key) const
{
    return storedForm(m_global->value(key.toString()));
}

void SettingsStore::setGlobalData(const QVariant &key, const QVariant &value)
{
    if (mayStore("setGlobalData", key.toString(), value))
        m_global->setValue(key.toString(), storedForm(value));
}

void SettingsStore::setCurrentProfile(int profile)
{
    if (!profileSettings(profile)) {
        qDebug().noquote() << QStringLiteral("Profile %1 does not exist; profile %2 stays in use")
                                  .arg(profile)
                                  .arg(m_currentProfile);
        return;
    }
    m_currentProfile = profile;
}

void SettingsStore::resetApconfig()
{
    replaceGlobal(QString::fromLatin1(StoreFiles::kFactoryGlobal));
}

QSettings *SettingsStore::profileSettings(int profile) const
{
    if (profile < 0 || profile >= ProfileNumbers::kFileCount)
        return nullptr;
    return m_profiles[profile].get();
}

bool SettingsStore::replaceProfile(int profile, const QString &sourceFile)
{
    if (!profileSettings(profile)) {
        qDebug().noquote()
            << QStringLiteral("Profile %1 does not exist; nothing is replaced").arg(profile);
        return false;
    }
    return replaceHandle(m_profiles[profile], StoreFiles::profileFile(profile), sourceFile);
}

bool SettingsStore::replaceGlobal(const QString &sourceFile)
{
    return replaceHandle(m_global, QString::fromLatin1(StoreFiles::kGlobal), sourceFile);
}

// The handle's pending writes go to the old file first; the copy is made through a temporary
// file. Only when it is in place is the old handle destroyed (it has nothing left to write)
// and a new one opened on the same path, so a failed copy leaves file and handle untouched.
bool SettingsStore::replaceHandle(
    std::unique_ptr<QSettings> &handle, const QString &path, const QString &sourceFile)
{
    handle->sync();
    const FileStamp before(path);
    if (!replaceFileWithCopy(sourceFile, path))
        return false;
    markReplaced(path, before);
    handle.reset();
    handle = openIni(path);
    return true;
}
