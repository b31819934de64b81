#include "file_replace.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kChunkSize = 64 * 1024;

// Why the copy could not be written: the file's own error, or how much of a chunk the
// disk took when the write stopped short without one (a full disk, a file size limit).
QString writeFailure(const QFileDevice &out, qint64 written, qint64 wanted)
{
    if (out.error() != QFileDevice::NoError)
        return out.errorString();
    return QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(wanted);
}

// Copies in into out; false with one diagnostic line when a read or a write fails.
bool copyInto(QFile &in, QFileDevice &out, const QString &target)
{
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunkSize);
        if (chunk.isEmpty() && in.error() != QFile::NoError)
            break;
        const qint64 written = out.write(chunk);
        if (written != chunk.size()) {
            qDebug().noquote() << QStringLiteral(
                "Writing the copy of %1 failed (%2); %3 is left as it was")
                                      .arg(in.fileName(), writeFailure(out, written, chunk.size()),
                                          target);
            return false;
        }
    }
    if (in.error() != QFile::NoError) {
        qDebug().noquote() << QStringLiteral("Reading %1 failed (%2); %3 is left as it was")
                                  .arg(in.fileName(), in.errorString(), target);
        return false;
    }
    return true;
}

bool openSource(QFile &in, const QString &target)
{
    if (in.open(QIODevice::ReadOnly))
        return true;
    qDebug().noquote() << QStringLiteral("Cannot read %1 (%2); %3 is left as it was")
                              .arg(in.fileName(), in.errorString(), target);
    return false;
}

// The mode the new file gets: that of the regular file it replaces, else what the user's
// file creation mask leaves of rw-rw-rw-.
mode_t newFileMode(const QByteArray &target)
{
    struct stat info = {};
    if (::lstat(target.constData(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool replaceNameWithCopy(const QString &source, const QString &target)
{
    QFile in(source);
    if (!openSource(in, target))
        return false;
    // Created anew (O_EXCL) beside target; renamed over the name, which rename never follows.
    QTemporaryFile out(target + QStringLiteral(".XXXXXX"));
    if (!out.open()) {
        qDebug().noquote() << QStringLiteral("Cannot write %1 (%2); it is left as it was")
                                  .arg(target, out.errorString());
        return false;
    }
    const QByteArray name = QFile::encodeName(target);
    if (!copyInto(in, out, target))
        return false;
    if (!out.flush() || ::fchmod(out.handle(), newFileMode(name)) != 0 || ::fsync(out.handle()) != 0
        || ::rename(QFile::encodeName(out.fileName()).constData(), name.constData()) != 0) {
        const QString why = out.error() != QFileDevice::NoError
            ? out.errorString()
            : QString::fromLocal8Bit(std::strerror(errno));
        qDebug().noquote()
            << QStringLiteral("Cannot replace %1 (%2); it is left as it was").arg(target, why);
        return false;
    }
    out.setAutoRemove(false);
    return true;
}

bool replaceFileWithCopy(const QString &source, const QString &target)
{
    QFile in(source);
    if (!openSource(in, target))
        return false;
    QSaveFile out(target);  // writes a temporary file beside target, renamed on commit
    out.setDirectWriteFallback(false);
    // Unbuffered, so a write that the disk cuts short shows in the count it returns.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        qDebug().noquote() << QStringLiteral("Cannot write %1 (%2); it is left as it was")
                                  .arg(target, out.errorString());
        return false;
    }
    if (!copyInto(in, out, target)) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        qDebug().noquote() << QStringLiteral("Cannot replace %1 (%2); it is left as it was")
                                  .arg(target, out.errorString());
        return false;
    }
    return true;
}

int removeWriteLeftovers(const QString &folder)
{
    // A replacement's own temporary file (name + ".new-XXXXXX"), the one a settings file writes
    // of it (+ ".YYYYYY"), their lock files, and the one a settings file or a replacement
    // writes beside its target (a ".bin" file + ".XXXXXX").
    static const QRegularExpression temporary(QStringLiteral(
        "(\\.new-[A-Za-z0-9]{6}(\\.[A-Za-z0-9]{6})?(\\.lock)?|\\.bin\\.[A-Za-z0-9]{6})$"));
    int removed = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (temporary.match(path).hasMatch()) {
            removed += QFile::remove(path) ? 1 : 0;
            continue;
        }
        if (!path.endsWith(QLatin1String(".lock")) || !QFileInfo(path.chopped(5)).isFile())
            continue;
        // A lock file of a settings file: taken over only when its writer has ended.
        QLockFile lock(path);
        if (lock.tryLock(0)) {
            lock.unlock();
            ++removed;
        }
    }
    if (removed > 0)
        qDebug().noquote() << QStringLiteral("Removed %1 files that interrupted saves left in %2")
                                  .arg(removed)
                                  .arg(folder);
    return removed;
}
