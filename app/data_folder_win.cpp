#include "data_folder.h"

#include <QDebug>
#include <QDir>

// An installation on Windows keeps its data beside the executable.
QString enterDataFolder(const QString &executablePath)
{
    const QString path = QDir::fromNativeSeparators(executablePath);
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')));
    QDir::setCurrent(folder);
    qDebug().noquote() << QStringLiteral("Data folder: %1").arg(folder);
    return folder;
}
