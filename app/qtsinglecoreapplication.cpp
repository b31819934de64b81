#include "qtsinglecoreapplication.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

QString userName()
{
    const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
    return user.isEmpty() ? QStringLiteral("user") : user;
}

QString instanceId(const QString &executable)
{
    const QByteArray hash =
        QCryptographicHash::hash(executable.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("stryla-config-%1-%2").arg(userName(), QString::fromLatin1(hash));
}

QString runtimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

QString lockErrorText(QLockFile::LockError error, const QString &folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (!info.exists())
        return QStringLiteral("the folder %1 cannot be created").arg(folder);
    if (error == QLockFile::PermissionError)
        return QStringLiteral("no permission to create it in %1").arg(folder);
    return QStringLiteral("unknown error");
}

}  // namespace

QtSingleCoreApplication::QtSingleCoreApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    m_id = instanceId(applicationFilePath());
    const QString folder = runtimeFolder();
    m_socketPath = folder + QLatin1Char('/') + m_id + QStringLiteral(".socket");

    // The lock decides; a lock left by a copy that crashed is stale (its process is gone)
    // and QLockFile takes it over.
    const QString lockPath = folder + QLatin1Char('/') + m_id + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(lockPath);
    m_lock->setStaleLockTime(0);
    m_primary = m_lock->tryLock(0);
    if (m_primary) {
        listen();
    } else if (m_lock->error() != QLockFile::LockFailedError) {
        // Not another copy: the lock file cannot be made at all.
        m_lockFailed = true;
        qDebug().noquote() << QStringLiteral("Single instance: cannot take the lock file %1 (%2)")
                                  .arg(lockPath, lockErrorText(m_lock->error(), folder));
    }
}

QtSingleCoreApplication::~QtSingleCoreApplication()
{
    if (m_server)
        m_server->close();
    if (m_lock && m_primary)
        m_lock->unlock();
}

void QtSingleCoreApplication::listen()
{
    QLocalServer::removeServer(m_socketPath);  // a socket left behind by a crash
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        qDebug().noquote() << QStringLiteral("Single instance: cannot listen on %1 (%2)")
                                  .arg(m_socketPath, m_server->errorString());
        return;
    }
    connect(
        m_server, &QLocalServer::newConnection, this, &QtSingleCoreApplication::acceptConnection);
}

// A plain message is taken with "ack" at once; a request, a text that starts with this mark,
// is answered with a text when the program has done it. Plain messages travel as they always
// did, so a copy of an earlier version still brings the window back.
namespace {
const QString kRequestMark = QStringLiteral("stryla-request:");
}  // namespace

void QtSingleCoreApplication::acceptConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
    }
}

void QtSingleCoreApplication::readMessage(QLocalSocket *socket)
{
    QDataStream in(socket);
    in.startTransaction();
    QString message;
    in >> message;
    if (!in.commitTransaction())
        return;  // wait for the rest
    if (message.startsWith(kRequestMark)) {
        const quint64 id = ++m_lastRequest;
        m_pendingRequests.insert(id, socket);
        emit requestReceived(id, message.mid(kRequestMark.size()));
        return;
    }
    socket->write("ack", 3);
    socket->flush();
    emit messageReceived(message);
}

void QtSingleCoreApplication::answerRequest(quint64 id, const QString &answer)
{
    const QPointer<QLocalSocket> socket = m_pendingRequests.take(id);
    if (!socket || socket->state() != QLocalSocket::ConnectedState)
        return;
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << answer;
    socket->write(payload);
    socket->flush();
}

bool QtSingleCoreApplication::sendMessage(const QString &message, int timeout)
{
    return exchange(message, nullptr, timeout);
}

bool QtSingleCoreApplication::sendRequest(const QString &request, QString *answer, int timeout)
{
    QByteArray payload;
    if (!exchange(request, &payload, timeout))
        return false;
    QDataStream in(payload);
    in >> *answer;
    return in.status() == QDataStream::Ok;
}

// Hands a message over and waits for the acknowledgement, or with answer set for the whole
// answer to a request, within timeout ms.
bool QtSingleCoreApplication::exchange(const QString &message, QByteArray *answer, int timeout)
{
    if (m_primary)
        return false;
    QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << (answer ? kRequestMark + message : message);
    socket.write(payload);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    bool complete = false;
    while (!complete && socket.waitForReadyRead(int(deadline.remainingTime()))) {
        const QByteArray received = socket.readAll();
        if (!answer) {
            complete = true;
            break;
        }
        answer->append(received);
        QDataStream in(*answer);
        QString text;
        in >> text;
        complete = in.status() == QDataStream::Ok;
    }
    socket.disconnectFromServer();
    return complete;
}
