#include "data_folder.h"

#include "file_replace.h"
#include "profile_numbers.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// The data files of a modules folder, as the build lays them out beside each executable.
// Factory files are the program's own and follow the installed copy; the user's files change
// as the program runs, so an installed copy only ever starts them.
struct SeedRule
{
    const char *folder;
    const char *pattern;
    bool factory;
};
constexpr SeedRule kSeedRules[] = {
    {"setting", "apConfigD.bin", true},
    {"setting", "pD.bin", true},
    {"i18n", "*.ini", true},
    {"img", "logo.ico", true},
    {"setting", "apConfig.bin", false},
    {"setting", "p*.bin", false},
    {"setting", "name.bin", false},
    {"macro", "*.bin", false},
    {"gun", "*.bin", false},
};
// Folders the program writes into or reads from, made even when nothing is copied into them.
constexpr const char *kSeedFolders[] = {"setting", "macro", "gun", "i18n"};
constexpr int kProfileCount = ProfileNumbers::kFileCount;
const QString kFactoryProfile = QStringLiteral("pD.bin");

QString subPath(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

bool isFactoryFile(const QString &folder, const QString &name)
{
    for (const SeedRule &rule : kSeedRules) {
        if (rule.factory && folder == QLatin1String(rule.folder)
            && QDir::match(QLatin1String(rule.pattern), name))
            return true;
    }
    return false;
}

bool makeFolder(const QString &path)
{
    if (QFileInfo(path).isDir() || QDir().mkpath(path))
        return true;
    const QFileInfo info(path);
    qDebug().noquote() << (info.exists() && !info.isDir()
            ? QStringLiteral("Data folder: %1 is in the way of a folder of that name").arg(path)
            : QStringLiteral("Data folder: cannot create the folder %1").arg(path));
    return false;
}

// The program rewrites its data files, so each copy must be writable by its owner even when
// the installed file is not (a read-only copy would make every later write fail silently).
void makeOwnerWritable(const QString &path)
{
    QFile file(path);
    file.setPermissions(file.permissions() | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// The copy carries the installed file's time, so that "newer" compares installed files.
void carryModificationTime(const QString &source, const QString &target)
{
    QFile file(target);
    if (file.open(QIODevice::Append))
        file.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
}

// Copies source to a target that does not exist; the copy never replaces a file.
bool copyAbsent(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.copy(target)) {
        qDebug().noquote() << QStringLiteral("Data folder: cannot copy %1 to %2 (%3)")
                                  .arg(source, target, in.errorString());
        return false;
    }
    makeOwnerWritable(target);
    return true;
}

// Brings one factory file up to date; false when it could not.
bool seedFactoryFile(const QString &source, const QString &target)
{
    const QFileInfo installed(source);
    const QFileInfo present(target);
    if (present.exists() && !present.isFile()) {
        qDebug().noquote()
            << QStringLiteral("Data folder: %1 is not a file; it is left as it was").arg(target);
        return false;
    }
    if (present.exists() && installed.lastModified() <= present.lastModified())
        return true;
    if (present.exists()) {
        if (!replaceFileWithCopy(source, target))
            return false;
        makeOwnerWritable(target);
    } else if (!copyAbsent(source, target)) {
        return false;
    }
    carryModificationTime(source, target);
    return true;
}

}  // namespace

QString perUserDataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : subPath(base, QStringLiteral("stryla-config"));
}

QString installedModules(const QString &executableFolder)
{
    const QString beside = subPath(executableFolder, QStringLiteral("modules"));
    if (QFileInfo(beside).isDir())
        return beside;
    const QString shared = QDir::cleanPath(
        subPath(executableFolder, QStringLiteral("../share/stryla-config/modules")));
    return QFileInfo(shared).isDir() ? shared : QString();
}

bool modulesWritable(const QString &folder)
{
    const QString modules = subPath(folder, QStringLiteral("modules"));
    if (!QFileInfo(modules).isDir())
        return false;
    for (const QString &name :
        {QString(), QStringLiteral("setting"), QStringLiteral("macro"), QStringLiteral("gun")}) {
        const QString path = name.isEmpty() ? modules : subPath(modules, name);
        if (!name.isEmpty() && !QFileInfo(path).isDir())
            continue;
        QTemporaryFile probe(subPath(path, QStringLiteral(".write-probe-XXXXXX")));
        if (!probe.open())
            return false;
    }
    return true;
}

QStringList seedModules(const QString &source, const QString &target)
{
    QStringList failed;
    if (!makeFolder(target))
        return {target};
    for (const char *name : kSeedFolders) {
        const QString folder = subPath(target, QLatin1String(name));
        if (!makeFolder(folder))
            failed.append(folder);
    }

    for (const SeedRule &rule : kSeedRules) {
        const QString folder = QLatin1String(rule.folder);
        const QDir from(subPath(source, folder));
        const QStringList names = from.entryList({QLatin1String(rule.pattern)}, QDir::Files);
        if (names.isEmpty())
            continue;
        const QString to = subPath(target, folder);
        if (failed.contains(to))
            continue;
        if (!makeFolder(to)) {
            failed.append(to);
            continue;
        }
        for (const QString &name : names) {
            if (!rule.factory && isFactoryFile(folder, name))
                continue;
            const QString in = from.filePath(name);
            const QString out = subPath(to, name);
            if (rule.factory) {
                if (!seedFactoryFile(in, out))
                    failed.append(out);
            } else if (!QFileInfo::exists(out) && !QFileInfo(out).isSymLink()) {
                if (!copyAbsent(in, out))
                    failed.append(out);
            }
        }
    }

    // A profile slot that no folder has yet starts as the factory profile, as in the build.
    const QString factoryProfile = subPath(source, QStringLiteral("setting/") + kFactoryProfile);
    const QString settings = subPath(target, QStringLiteral("setting"));
    if (QFileInfo(factoryProfile).isFile() && QFileInfo(settings).isDir()) {
        for (int n = 1; n <= kProfileCount; ++n) {
            const QString profile = subPath(settings, QStringLiteral("p%1.bin").arg(n));
            if (!QFileInfo::exists(profile) && !QFileInfo(profile).isSymLink()
                && !copyAbsent(factoryProfile, profile))
                failed.append(profile);
        }
    }
    return failed;
}
