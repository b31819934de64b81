#pragma once

#include "profile_numbers.h"

#include <QString>
#include <QVariant>

#include <array>
#include <memory>

class QSettings;

// The files of the settings store, relative to the working directory (the executable's folder).
namespace StoreFiles {
inline constexpr char kGlobal[] = "./modules/setting/apConfig.bin";
inline constexpr char kFactoryGlobal[] = "./modules/setting/apConfigD.bin";
inline constexpr char kDefaultProfile[] = "./modules/setting/pD.bin";

// Profile n (0-based) lives in "./modules/setting/p" + (n + 1) + ".bin".
QString profileFile(int profile);
}  // namespace StoreFiles

// What the INI file gives back for a value once it has been written and read again by a new
// process. QSettings keeps the typed value in its in-process cache until the file is re-read,
// so without this a value read in the same run differs from one read after a restart:
// - numbers and booleans come back as text ("5", "true");
// - a list of two or more elements comes back as a list of strings;
// - a value list of one element keeps its form (it is stored as a serialised variant);
// - a string list of one element comes back as a plain string;
// - an empty list comes back as an invalid value.
// Applying it to a value already in that form changes nothing.
QVariant storedForm(const QVariant &value);

// A stored value as a list: the list itself, or empty when the value is absent or is not a
// list (a plain string is not split into characters).
QVariantList storedList(const QVariant &value);

// Whether the INI text can hold the value so that a new process reads it back: nothing (the
// invalid-value marker), a text, number, bool or bytes, or a list of them. Anything else (an object,
// a list of lists, a script value) would be written in a serialised form that is opaque, or
// that a later start cannot read at all.
bool hasTextForm(const QVariant &value);

// True when the value may be written under key; otherwise false, with one line naming the
// caller and the key: the key then keeps what it holds.
bool mayStore(const char *caller, const QString &key, const QVariant &value);

// The device facts read once from the global configuration when the store is built.
struct DeviceFacts
{
    bool isColorful = false;
    bool isGun = false;
    QString icType;  // "560" selects the 560 command family, anything else the 553 family
    bool is55328 = false;
};

// The long-lived INI handles of the bridge: the global configuration, the default profile and
// the ten profile files, and the profile in use. Reads are served from the handles' memory;
// writes reach the files on the next turn of the event loop or when a handle is synced.
class SettingsStore
{
public:
    SettingsStore();
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Profile keys: recovery reads come from the default profile, all else from the current one.
    QVariant getData(const QVariant &key, bool isRecovery) const;
    QVariantList getDataList(const QVariant &key, bool isRecovery) const;
    void setData(const QVariant &key, const QVariant &data);
    void setDataList(const QVariant &key, const QVariantList &datalist);

    QVariant getGlobalData(const QVariant &key) const;
    void setGlobalData(const QVariant &key, const QVariant &value);

    // Numbers outside 0 … 9 are refused with a diagnostic line; the profile in use stays.
    void setCurrentProfile(int profile);
    int currentProfile() const { return m_currentProfile; }

    // Puts the factory configuration in place of the global one. The cached facts stay.
    void resetApconfig();

    DeviceFacts facts() const { return m_facts; }

    // The handles, owned by the store. profileSettings() gives null outside 0 … 9.
    QSettings *globalSettings() const { return m_global.get(); }
    QSettings *defaultProfileSettings() const { return m_defaultProfile.get(); }
    QSettings *profileSettings(int profile) const;
    QSettings *currentProfileSettings() const { return profileSettings(m_currentProfile); }

    // Replaces a file by a copy of sourceFile and reopens its handle. Pending writes of the
    // old handle are saved first; the copy goes through a temporary file, so when sourceFile
    // is missing or cannot be copied the target file and its handle stay as they were and the
    // result is false.
    bool replaceProfile(int profile, const QString &sourceFile);
    bool replaceGlobal(const QString &sourceFile);

private:
    bool replaceHandle(
        std::unique_ptr<QSettings> &handle, const QString &path, const QString &sourceFile);

    std::unique_ptr<QSettings> m_global;
    std::unique_ptr<QSettings> m_defaultProfile;
    std::array<std::unique_ptr<QSettings>, ProfileNumbers::kFileCount> m_profiles;
    int m_currentProfile = 0;
    DeviceFacts m_facts;
};
