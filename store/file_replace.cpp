#include "file_replace.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool replaceFileWithCopy(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        qDebug().noquote() << QStringLiteral("Cannot read %1 (%2); %3 is left as it was")
                                  .arg(source, in.errorString(), target);
        return false;
    }
    QSaveFile out(target);  // writes a temporary file beside target, renamed on commit
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        qDebug().noquote() << QStringLiteral("Cannot write %1 (%2); it is left as it was")
                                  .arg(target, out.errorString());
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(64 * 1024);
        if (chunk.isEmpty() && in.error() != QFile::NoError)
            break;
        if (out.write(chunk) != chunk.size())
            break;
    }
    if (in.error() != QFile::NoError) {
        out.cancelWriting();
        qDebug().noquote() << QStringLiteral("Reading %1 failed (%2); %3 is left as it was")
                                  .arg(source, in.errorString(), target);
        return false;
    }
    if (!out.commit()) {
        qDebug().noquote() << QStringLiteral("Cannot replace %1 (%2); it is left as it was")
                                  .arg(target, out.errorString());
        return false;
    }
    return true;
}
