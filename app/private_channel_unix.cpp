#include "private_channel.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace PrivateChannel {

namespace {

constexpr int kBacklog = 64;
constexpr mode_t kPrivateFolderMode = 0700;

// The folder may be used when it is a real folder (not a link), the user's, and nobody else
// may write in it.
Folder checkFolder(const QString &path)
{
    Folder folder;
    folder.path = path;
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        folder.why = QStringLiteral("%1 cannot be created (%2)")
                         .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return folder;
    }
    if (!S_ISDIR(info.st_mode)) {
        folder.status = Folder::Unsafe;
        folder.why = QStringLiteral("%1 is not a folder").arg(path);
    } else if (info.st_uid != ::geteuid()) {
        folder.status = Folder::Unsafe;
        folder.why =
            QStringLiteral("%1 belongs to another user (id %2)").arg(path).arg(info.st_uid);
    } else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        folder.status = Folder::Unsafe;
        folder.why = QStringLiteral("other users may write in %1").arg(path);
    } else {
        folder.status = Folder::Safe;
    }
    return folder;
}

int reserveDescriptor()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

}  // namespace

Folder chooseFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        const Folder folder = checkFolder(runtime);
        if (folder.status == Folder::Safe)
            return folder;
    }
    const QString temporary = QDir::tempPath();
    const QString path = temporary + QStringLiteral("/stryla-config-%1").arg(::geteuid());
    if (::mkdir(QFile::encodeName(path).constData(), kPrivateFolderMode) != 0 && errno != EEXIST) {
        Folder folder;
        folder.path = path;
        folder.why = errno == ENOTDIR ? QStringLiteral("%1 is not a folder").arg(temporary)
            : errno == EACCES || errno == EROFS
            ? QStringLiteral("no permission to create it in %1").arg(temporary)
            : QStringLiteral("the folder %1 cannot be created").arg(path);
        return folder;
    }
    return checkFolder(path);
}

Presence presence(const QString &path, unsigned type)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? Presence::Absent : Presence::Foreign;
    const bool own = (info.st_mode & S_IFMT) == type && info.st_uid == ::geteuid();
    return own ? Presence::Own : Presence::Foreign;
}

long long peerUserId(long long descriptor)
{
    struct ucred credentials = {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return -1;
    return credentials.uid;
}

long long selfUserId()
{
    return ::geteuid();
}

int listenAt(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    struct sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path) {
        *error = QStringLiteral("the path is too long for a socket");
        return -1;
    }
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    ::unlink(name.constData());  // a socket left behind by a copy that crashed
    const mode_t mask = ::umask(0177);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, kBacklog) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return -1;
    }
    return fd;
}

int acceptOne(int listening)
{
    static int reserve = reserveDescriptor();
    const int fd = ::accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0 || (errno != EMFILE && errno != ENFILE))
        return fd;
    if (reserve >= 0) {
        ::close(reserve);
        const int dropped = ::accept(listening, nullptr, nullptr);
        if (dropped >= 0)
            ::close(dropped);
        reserve = reserveDescriptor();
    }
    return -1;
}

void closeDescriptor(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

}  // namespace PrivateChannel
