#include "data_folder.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

// Makes the per-user folder and seeds its modules/ from the installed data; false when the
// folder cannot hold the data at all. note tells of files that could not be brought up to date.
bool preparePerUserFolder(const QString &perUser, const QString &installed, QString *note)
{
    if (perUser.isEmpty() || !QDir().mkpath(perUser))
        return false;
    const QString modules = perUser + QStringLiteral("/modules");
    const QStringList failed = seedModules(installed, modules);
    if (!failed.isEmpty())
        *note = QStringLiteral(" (%1 of its files could not be brought up to date from %2)")
                    .arg(failed.size())
                    .arg(installed);
    return QFileInfo(modules).isDir();
}

}  // namespace

QString enterDataFolder(const QString &executablePath)
{
    const QString path = QDir::fromNativeSeparators(executablePath);
    const QString executableFolder = path.left(path.lastIndexOf(QLatin1Char('/')));
    QString folder = executableFolder;
    QString note;
    if (!modulesWritable(executableFolder)) {
        const QString installed = installedModules(executableFolder);
        const QString perUser = perUserDataFolder();
        if (installed.isEmpty()) {
            note = QStringLiteral(
                " (no modules folder beside the program nor in ../share/stryla-config)");
        } else if (preparePerUserFolder(perUser, installed, &note)) {
            folder = perUser;
        } else {
            // Without a folder of its own the program still runs on the installed data; what
            // the user changes cannot be kept, and the line says so.
            folder = QDir::cleanPath(installed + QStringLiteral("/.."));
            note = QStringLiteral(
                " (read only: the per-user folder %1 cannot be made, so changes are not kept)")
                       .arg(perUser.isEmpty() ? QStringLiteral("of this user") : perUser);
        }
    }
    QDir::setCurrent(folder);
    qDebug().noquote() << QStringLiteral("Data folder: %1%2").arg(folder, note);
    return folder;
}
