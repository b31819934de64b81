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

// The file's bytes, when it is a file of at most the bound that reads as a profile.
bool readProfileBytes(const QString &source, QByteArray *bytes)
{
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    *bytes = in.read(kMaxProfileBytes + 1);
    return bytes->size() <= kMaxProfileBytes && !bytes->isEmpty();
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
    // Replacing renames over whatever is there: a device or a pipe would become a file.
    if (QFileInfo::exists(target) && !QFileInfo(target).isFile())
        return refuse(Refusal::NotAFileTarget, target);
    if (insideStore(target))
        return refuse(Refusal::StoreFileTarget, target);
    m_store.profileSettings(profile)->sync();  // the file on disk holds the latest values
    return replaceFileWithCopy(StoreFiles::profileFile(profile), target);
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
