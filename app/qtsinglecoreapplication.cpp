#include "qtsinglecoreapplication.h"

#include "channel_log.h"

#include "private_channel.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDebug>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>

#include <sys/stat.h>

Q_LOGGING_CATEGORY(lcChannel, "stryla.channel", QtWarningMsg)

namespace {

constexpr int kDefaultTurnWaitMs = 30000;
// A connection has this long to bring its whole message, from its start and again after each
// answer, and this many may be open at once; the oldest waiting to speak goes when another
// comes. Neither idle connections nor a flood of them can use up the descriptors the program
// needs.
constexpr int kIdleMs = 2000;
constexpr int kMaxConnections = 32;
// A message is one command (a few hundred bytes); an answer may list much more.
constexpr quint32 kMaxMessageBytes = 64 * 1024;
constexpr quint32 kMaxAnswerBytes = 64 * 1024 * 1024;
constexpr int kFrameHeader = 4;
constexpr quint32 kNullString = 0xffffffff;

// A plain message is taken with "ack" at once (or turned away with "busy" by a copy that only
// does one command); a request, a text that starts with this mark, is answered with a text
// when the program has done it. Plain messages travel as they always did, so a copy of an
// earlier version still brings the window back.
const QString kRequestMark = QStringLiteral("stryla-request:");
constexpr char kAck[] = "ack";
constexpr char kBusy[] = "busy";

// Named by the user id, which the process cannot change, not by a name from the environment:
// copies started with another USER still find each other.
QString instanceId(const QString &executable)
{
    const QByteArray hash =
        QCryptographicHash::hash(executable.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("stryla-config-%1-%2")
        .arg(PrivateChannel::selfUserId())
        .arg(QString::fromLatin1(hash));
}

QByteArray frame(const QString &text)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << text;
    return payload;
}

// The size of the text the buffer starts with, header included; 0 while the header is
// incomplete, -1 when the header announces more than limit bytes or half a character. The
// hand-over of a start is a null text, a header alone.
qint64 frameSize(const QByteArray &buffer, quint32 limit)
{
    if (buffer.size() < kFrameHeader)
        return 0;
    const quint32 size = qFromBigEndian<quint32>(buffer.constData());
    if (size == kNullString)
        return kFrameHeader;
    if (size > limit || size % 2 != 0)
        return -1;
    return kFrameHeader + qint64(size);
}

QString unframe(const QByteArray &bytes)
{
    QDataStream in(bytes);
    QString text;
    in >> text;
    return text;
}

}  // namespace

QtSingleCoreApplication::QtSingleCoreApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    m_id = instanceId(applicationFilePath());
    const PrivateChannel::Folder folder = PrivateChannel::chooseFolder();
    m_folder = folder.path;
    m_socketPath = folder.path + QLatin1Char('/') + m_id + QStringLiteral(".socket");
    m_lockPath = folder.path + QLatin1Char('/') + m_id + QStringLiteral(".lock");
    if (folder.status == PrivateChannel::Folder::CannotCreate) {
        m_role = Role::LockFailed;
        m_problem = QStringLiteral("Single instance: cannot take the lock file %1 (%2)")
                        .arg(m_lockPath, folder.why);
        qDebug().noquote() << m_problem;
        return;
    }
    if (folder.status == PrivateChannel::Folder::Unsafe)
        becomeUnsafe(folder.why);
    else
        takeLock();
}

QtSingleCoreApplication::~QtSingleCoreApplication()
{
    if (m_listening >= 0) {
        PrivateChannel::closeDescriptor(m_listening);
        QFile::remove(m_socketPath);
    }
    if (m_lock && m_role == Role::First)
        m_lock->unlock();
}

int QtSingleCoreApplication::turnWaitMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("STRYLA_TEST_TURN_WAIT_MS", &ok);
    return ok && ms >= 0 ? ms : kDefaultTurnWaitMs;
}

void QtSingleCoreApplication::becomeUnsafe(const QString &why)
{
    m_role = Role::Unsafe;
    m_problem = QStringLiteral("Single instance: %1; no other copy of the program is looked for "
                               "or let in")
                    .arg(why);
}

// The lock decides; a lock left by a copy that crashed is stale (its process is gone) and
// QLockFile takes it over. A lock file that is not the user's is never trusted.
void QtSingleCoreApplication::takeLock()
{
    if (PrivateChannel::presence(m_lockPath, S_IFREG) == PrivateChannel::Presence::Foreign)
        return becomeUnsafe(QStringLiteral("the lock file %1 is not the user's").arg(m_lockPath));
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_role = Role::First;
        listen();
    } else if (m_lock->error() == QLockFile::LockFailedError) {
        m_role = Role::Second;
    } else {
        // Not another copy: the lock file cannot be made at all.
        m_role = Role::LockFailed;
        m_problem = QStringLiteral("Single instance: cannot take the lock file %1 (%2)")
                        .arg(m_lockPath,
                            m_lock->error() == QLockFile::PermissionError
                                ? QStringLiteral("no permission to create it in %1").arg(m_folder)
                                : QStringLiteral("unknown error"));
        qDebug().noquote() << m_problem;
    }
}

bool QtSingleCoreApplication::retryLock()
{
    if (m_role == Role::Second)
        takeLock();
    return m_role == Role::First;
}

void QtSingleCoreApplication::listen()
{
    QString error;
    m_listening = PrivateChannel::listenAt(m_socketPath, &error);
    if (m_listening < 0) {
        qDebug().noquote()
            << QStringLiteral("Single instance: cannot listen on %1 (%2)").arg(m_socketPath, error);
        return;
    }
    m_notifier = new QSocketNotifier(m_listening, QSocketNotifier::Read, this);
    connect(
        m_notifier, &QSocketNotifier::activated, this, &QtSingleCoreApplication::acceptConnections);
}

void QtSingleCoreApplication::acceptConnections()
{
    for (int fd = PrivateChannel::acceptOne(m_listening); fd >= 0;
         fd = PrivateChannel::acceptOne(m_listening))
        adopt(fd);
}

void QtSingleCoreApplication::adopt(int descriptor)
{
    const long long peer = PrivateChannel::peerUserId(descriptor);
    if (peer != PrivateChannel::selfUserId()) {
        qDebug().noquote() << QStringLiteral(
            "Single instance: a connection from user id %1 was refused")
                                  .arg(peer);
        PrivateChannel::closeDescriptor(descriptor);
        return;
    }
    m_idle.removeAll(nullptr);
    while (!m_idle.isEmpty() && openConnections() >= kMaxConnections)
        dropOldestIdle();
    auto *socket = openConnections() < kMaxConnections ? new QLocalSocket(this) : nullptr;
    if (!socket || !socket->setSocketDescriptor(descriptor)) {
        PrivateChannel::closeDescriptor(descriptor);
        delete socket;
        return;
    }
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
    auto *idleTimer = new QTimer(socket);
    idleTimer->setObjectName(QStringLiteral("idle"));
    idleTimer->setSingleShot(true);
    idleTimer->setInterval(kIdleMs);
    connect(idleTimer, &QTimer::timeout, socket, [this, socket] {
        if (m_idle.contains(socket))
            socket->abort();
    });
    markIdle(socket);
    qCDebug(lcChannel) << "Connection accepted;" << m_idle.size() << "waiting to speak";
    if (socket->bytesAvailable() > 0)
        readMessage(socket);
}

// The connections held open: those waiting to speak and those waiting for an answer.
int QtSingleCoreApplication::openConnections() const
{
    int waiting = 0;
    for (const QPointer<QLocalSocket> &socket : m_pendingRequests)
        waiting += socket ? 1 : 0;
    return int(m_idle.size()) + waiting;
}

// From now on the connection has kIdleMs to bring a message, or it is closed; the oldest of
// these goes first when too many are open.
void QtSingleCoreApplication::markIdle(QLocalSocket *socket)
{
    m_idle.removeAll(socket);
    m_idle.append(socket);
    if (auto *timer = socket->findChild<QTimer *>(QStringLiteral("idle")))
        timer->start();
}

void QtSingleCoreApplication::dropOldestIdle()
{
    const QPointer<QLocalSocket> oldest = m_idle.takeFirst();
    if (oldest) {
        oldest->abort();
        oldest->deleteLater();
    }
}

// One message at a time per connection: a second one that came with the first waits until
// the first is answered, so every request gets its answer, in order.
void QtSingleCoreApplication::readMessage(QLocalSocket *socket)
{
    if (std::find(m_pendingRequests.cbegin(), m_pendingRequests.cend(), socket)
        != m_pendingRequests.cend())
        return;
    const qint64 size = frameSize(socket->peek(kFrameHeader), kMaxMessageBytes);
    if (size < 0) {
        qCDebug(lcChannel) << "Connection dropped: a message header out of bounds";
        m_idle.removeAll(socket);
        socket->abort();
        return;
    }
    if (size == 0 || socket->bytesAvailable() < size)
        return;  // wait for the rest
    const QString message = unframe(socket->read(size));
    m_idle.removeAll(socket);
    if (message.startsWith(kRequestMark)) {
        const quint64 id = ++m_lastRequest;
        m_pendingRequests.insert(id, socket);
        qCDebug(lcChannel) << "Request" << id << "received," << size << "bytes";
        emit requestReceived(id, message.mid(kRequestMark.size()));
        return;
    }
    socket->write(m_busy ? kBusy : kAck);
    socket->flush();
    markIdle(socket);
    if (!m_busy)
        emit messageReceived(message);
}

void QtSingleCoreApplication::answerRequest(quint64 id, const QString &answer)
{
    const QPointer<QLocalSocket> socket = m_pendingRequests.take(id);
    if (!socket || socket->state() != QLocalSocket::ConnectedState) {
        qCDebug(lcChannel) << "Request" << id << "answered after its caller left";
        return;
    }
    qCDebug(lcChannel) << "Request" << id << "answered";
    socket->write(frame(answer));
    socket->flush();
    markIdle(socket);
    if (socket->bytesAvailable() > 0)
        QTimer::singleShot(0, socket, [this, socket] { readMessage(socket); });
}

bool QtSingleCoreApplication::sendMessage(const QString &message, int timeout)
{
    return handOver(message, timeout) == Outcome::Answered;
}

QtSingleCoreApplication::Outcome QtSingleCoreApplication::handOver(
    const QString &message, int timeout)
{
    return exchange(message, nullptr, timeout);
}

QtSingleCoreApplication::Outcome QtSingleCoreApplication::sendRequest(
    const QString &request, QString *answer, int timeout)
{
    QByteArray payload;
    const Outcome outcome = exchange(kRequestMark + request, &payload, timeout);
    if (outcome == Outcome::Answered)
        *answer = unframe(payload);
    return outcome;
}

// Hands a message over and waits for the acknowledgement, or with answer set for the whole
// answer to a request, within timeout ms. Nothing is sent to a socket or a peer that is not
// the user's.
QtSingleCoreApplication::Outcome QtSingleCoreApplication::exchange(
    const QString &message, QByteArray *answer, int timeout)
{
    if (m_role != Role::Second)
        return Outcome::NoServer;
    const QByteArray framed = frame(message);
    if (framed.size() - kFrameHeader > qsizetype(kMaxMessageBytes))
        return Outcome::TooLarge;
    switch (PrivateChannel::presence(m_socketPath, S_IFSOCK)) {
    case PrivateChannel::Presence::Absent:
        return Outcome::NoServer;
    case PrivateChannel::Presence::Foreign:
        becomeUnsafe(QStringLiteral("the socket %1 is not the user's").arg(m_socketPath));
        return Outcome::Unsafe;
    case PrivateChannel::Presence::Own:
        break;
    }
    QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return Outcome::NoServer;
    const long long peer = PrivateChannel::peerUserId(socket.socketDescriptor());
    if (peer != PrivateChannel::selfUserId()) {
        becomeUnsafe(QStringLiteral("the copy listening on %1 runs as user id %2")
                         .arg(m_socketPath)
                         .arg(peer));
        return Outcome::Unsafe;
    }
    socket.write(framed);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) {
        // Let go between the connection and the message: the copy ended meanwhile.
        return socket.state() == QLocalSocket::ConnectedState || deadline.hasExpired()
            ? Outcome::NoAnswer
            : Outcome::NoServer;
    }
    QByteArray received;
    Outcome outcome = Outcome::NoAnswer;
    while (outcome == Outcome::NoAnswer && socket.waitForReadyRead(int(deadline.remainingTime()))) {
        received += socket.readAll();
        if (!answer) {
            outcome = received.startsWith(kBusy[0]) ? Outcome::Busy : Outcome::Answered;
            continue;
        }
        const qint64 size = frameSize(received, kMaxAnswerBytes);
        if (size < 0)
            break;
        if (size > 0 && received.size() >= size) {
            *answer = received.left(size);
            outcome = Outcome::Answered;
        }
    }
    // Closed before any answer: the copy ended (or let the connection go) meanwhile.
    if (outcome == Outcome::NoAnswer && received.isEmpty() && !deadline.hasExpired())
        outcome = Outcome::NoServer;
    socket.disconnectFromServer();
    return outcome;
}
