#include "profile_files.h"

#include "file_chooser.h"
#include "file_replace.h"
#include "settings_store.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A profile file holds a few kilobytes; nothing larger is one.
constexpr qint64 kMaxProfileBytes = 64 * 1024;
// The group every profile file has, whatever its age.
constexpr char kProfileGroup[] = "mouse";
// The program's own stored files live below this folder of the data folder.
constexpr char kStoreFolder[] = "./modules";

// The path with its folder resolved (links included), also for a name that does not exist yet.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (info.exists())
        return info.canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

bool insideStore(const QString &path)
{
    const QString store = QFileInfo(QString::fromLatin1(kStoreFolder)).canonicalFilePath();
    return !store.isEmpty() && resolvedPath(path).startsWith(store + QLatin1Char('/'));
}

// The file's bytes, when it is a regular file of at most the bound. What is checked is what
// was opened, and the open never waits: a pipe or a device put at the name meanwhile is
// refused, not read.
bool readProfileBytes(const QString &source, QByteArray *bytes)
{
    const int fd =
        ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    QFile in;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    *bytes = in.read(kMaxProfileBytes + 1);
    return bytes->size() <= kMaxProfileBytes && !bytes->isEmpty();
}

bool isLink(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool readsAsProfile(const QString &path)
{
    QSettings file(path, QSettings::IniFormat);
    return file.status() == QSettings::NoError
        && file.childGroups().contains(QLatin1String(kProfileGroup));
}

// Dialog texts belong to the bridge view's translation context.
QString filter()
{
    return QCoreApplication::translate("myQQuickView", "Profile(*.pf)");
}

}  // namespace

ProfileFiles::ProfileFiles(SettingsStore &store, QWidget *dialogParent)
    : m_store(store)
    , m_dialogParent(dialogParent)
{ }

bool ProfileFiles::checkProfile(int profile, const char *operation) const
{
    if (m_store.profileSettings(profile))
        return true;
    qDebug().noquote() << QStringLiteral("%1: profile %2 does not exist")
                              .arg(QLatin1String(operation))
                              .arg(profile);
    return false;
}

// The exchange file is replaced only once the copy is complete, so exporting a profile
// whose file is missing leaves an existing exchange file as it was.
void ProfileFiles::saveProfile(int profile, const QString &name)
{
    m_refusal = Refusal::None;
    if (!checkProfile(profile, "saveProfile"))
        return;
    QString fileName = name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('_'))
        .replace(QLatin1Char('\\'), QLatin1Char('_'));
    const QString offered = fileName.isEmpty()
        ? dialogFolder()
        : dialogFolder() + QLatin1Char('/') + fileName + QStringLiteral(".pf");
    QString target = fileDialogs().saveFileName(m_dialogParent,
        QCoreApplication::translate("myQQuickView", "Save File"), offered, filter());
    if (target.isEmpty())
        return;
    // A name typed without an ending gets the exchange files' own, so Import lists it.
    if (QFileInfo(target).suffix().isEmpty())
        target += QStringLiteral(".pf");
    rememberDialogFolder(target);
    exportProfile(profile, target);
}

bool ProfileFiles::refuse(Refusal refusal, const QString &path)
{
    m_refusal = refusal;
    m_refusedPath = path;
    qDebug().noquote() << describe(refusal, path);
    return false;
}

QString ProfileFiles::describe(Refusal refusal, const QString &path)
{
    switch (refusal) {
    case Refusal::NotAFileTarget:
        return QStringLiteral("%1 is not a regular file; nothing is written").arg(path);
    case Refusal::LinkTarget:
        return QStringLiteral("%1 is a link; nothing is written").arg(path);
    case Refusal::StoreFileTarget:
        return QStringLiteral("%1 is one of the program's own files; nothing is written").arg(path);
    case Refusal::NotAProfile:
        return QStringLiteral("%1 is not a profile file; nothing is added").arg(path);
    case Refusal::None:
        break;
    }
    return {};
}

bool ProfileFiles::exportProfile(int profile, const QString &target)
{
    m_refusal = Refusal::None;
    if (!checkProfile(profile, "exportProfile"))
        return false;
    // A link is not followed: it may be another user's in a shared folder, pointing anywhere
    // (also into the program's own files, which need not exist yet).
    if (isLink(target))
        return refuse(Refusal::LinkTarget, target);
    // Replacing renames over whatever is there: a device or a pipe would become a file.
    if (QFileInfo::exists(target) && !QFileInfo(target).isFile())
        return refuse(Refusal::NotAFileTarget, target);
    if (insideStore(target))
        return refuse(Refusal::StoreFileTarget, target);
    m_store.profileSettings(profile)->sync();  // the file on disk holds the latest values
    return replaceNameWithCopy(StoreFiles::profileFile(profile), target);
}

bool ProfileFiles::loadProfile(int profile)
{
    m_refusal = Refusal::None;
    if (!checkProfile(profile, "loadProfile"))
        return false;
    const QString source = fileDialogs().openFileName(m_dialogParent,
        QCoreApplication::translate("myQQuickView", "Open File"), dialogFolder(), filter());
    if (source.isEmpty())
        return false;
    rememberDialogFolder(source);
    return importProfile(profile, source);
}

// The bytes checked are the bytes imported: they go through a private copy.
bool ProfileFiles::importProfile(int profile, const QString &source)
{
    m_refusal = Refusal::None;
    if (!checkProfile(profile, "importProfile"))
        return false;
    QByteArray bytes;
    QTemporaryFile copy;
    if (!readProfileBytes(source, &bytes) || !copy.open() || copy.write(bytes) != bytes.size()
        || !copy.flush() || !readsAsProfile(copy.fileName()))
        return refuse(Refusal::NotAProfile, source);
    return m_store.replaceProfile(profile, copy.fileName());
}

bool ProfileFiles::resetProfile(int profile)
{
    if (!checkProfile(profile, "resetProfile"))
        return false;
    return m_store.replaceProfile(profile, QString::fromLatin1(StoreFiles::kDefaultProfile));
}

void ProfileFiles::copyProfile(int destprofile, int srcprofile)
{
    if (!checkProfile(destprofile, "copyProfile") || !checkProfile(srcprofile, "copyProfile"))
        return;
    if (destprofile == srcprofile)
        return;
    m_store.profileSettings(srcprofile)->sync();  // copy what the source handle holds
    m_store.replaceProfile(destprofile, StoreFiles::profileFile(srcprofile));
}
