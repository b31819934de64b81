#include "profile_files.h"

#include "file_dialogs.h"
#include "file_replace.h"
#include "settings_store.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSettings>
#include <QString>

namespace {

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
    if (!checkProfile(profile, "saveProfile"))
        return;
    QString fileName = name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    const QString offered = fileName.isEmpty()
        ? dialogFolder()
        : dialogFolder() + QLatin1Char('/') + fileName + QStringLiteral(".pf");
    const QString target = fileDialogs().saveFileName(m_dialogParent,
        QCoreApplication::translate("myQQuickView", "Save File"), offered, filter());
    if (target.isEmpty())
        return;
    rememberDialogFolder(target);
    exportProfile(profile, target);
}

bool ProfileFiles::exportProfile(int profile, const QString &target)
{
    if (!checkProfile(profile, "exportProfile"))
        return false;
    m_store.profileSettings(profile)->sync();  // the file on disk holds the latest values
    return replaceFileWithCopy(StoreFiles::profileFile(profile), target);
}

bool ProfileFiles::loadProfile(int profile)
{
    if (!checkProfile(profile, "loadProfile"))
        return false;
    const QString source = fileDialogs().openFileName(m_dialogParent,
        QCoreApplication::translate("myQQuickView", "Open File"), dialogFolder(), filter());
    if (source.isEmpty())
        return false;
    rememberDialogFolder(source);
    return importProfile(profile, source);
}

bool ProfileFiles::importProfile(int profile, const QString &source)
{
    return checkProfile(profile, "importProfile") && m_store.replaceProfile(profile, source);
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
