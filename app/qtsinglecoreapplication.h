#pragma once

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalSocket;
class QLockFile;
class QSocketNotifier;

// The application object that lets only one copy run per user and executable: the first
// copy holds a lock file in the user's private runtime folder and listens on a local socket
// next to it; a later copy finds the lock taken and hands its message over through the socket.
// The identity is the user id plus a hash of the executable's path, so copies installed
// in different folders do not see each other. Nobody but the user reaches the channel: the
// folder, the lock file and the socket must be the user's, and each connection's peer must run
// as the user, on both ends; a channel that cannot be made so is not used at all.
class QtSingleCoreApplication : public QApplication
{
    Q_OBJECT

public:
    QtSingleCoreApplication(int &argc, char **argv);
    ~QtSingleCoreApplication() override;

    // True when another copy holds the lock.
    bool isRunning() const { return m_role == Role::Second; }
    bool isPrimary() const { return m_role == Role::First; }
    // True when the lock could not be taken for another reason (its folder cannot be created
    // or written): this copy is neither the first nor a second one. The constructor has then
    // written a diagnostic line naming the lock file and the error.
    bool lockFailed() const { return m_role == Role::LockFailed; }
    // True when the channel's folder, lock file or socket is another user's or open to other
    // users: this copy neither listens nor hands anything over. problem() says why.
    bool channelUnsafe() const { return m_role == Role::Unsafe; }
    QString problem() const { return m_problem; }

    // A second copy tries the lock again (the first copy may have ended meanwhile); true when
    // this copy is now the first one and listens.
    bool retryLock();

    enum class Outcome {
        Answered,  // taken ("ack" or an answer)
        Busy,      // the running copy does one command alone and takes nothing else now
        NoServer,  // nobody listens, or the connection closed unanswered (the first copy is
                   // starting or ending)
        NoAnswer,  // connected, but no answer within the time-out
        Unsafe,    // the socket or its peer is not the user's: nothing was sent
        TooLarge,  // the message is larger than the running copy takes: nothing was sent
    };

    // Sends a message to the running copy; true when it takes it within timeout ms.
    bool sendMessage(const QString &message, int timeout = 5000);
    Outcome handOver(const QString &message, int timeout);

    // Sends a request to the running copy and waits for its answer within timeout ms. The
    // running copy gets it as requestReceived and answers with answerRequest.
    Outcome sendRequest(const QString &request, QString *answer, int timeout);
    // The answer to a request; nothing when its sender has gone meanwhile.
    void answerRequest(quint64 id, const QString &answer);

    // While busy, plain messages (a start of the program) are answered "busy" and not passed
    // on: this copy is a command that ends soon, and the starting program waits for it.
    void setBusy(bool busy) { m_busy = busy; }

    QString id() const { return m_id; }
    QString socketPath() const { return m_socketPath; }

    // How long a start or a command waits for its turn while another command runs: 30 s.
    // Tests shorten it with STRYLA_TEST_TURN_WAIT_MS (milliseconds), which only they set.
    static int turnWaitMs();

signals:
    void messageReceived(const QString &message);
    // A request that waits for answerRequest(id, …).
    void requestReceived(quint64 id, const QString &request);

private:
    enum class Role { First, Second, LockFailed, Unsafe };

    void takeLock();
    void listen();
    void acceptConnections();
    void adopt(int descriptor);
    void dropOldestIdle();
    void markIdle(QLocalSocket *socket);
    int openConnections() const;
    void readMessage(QLocalSocket *socket);
    Outcome exchange(const QString &message, QByteArray *answer, int timeout);
    void becomeUnsafe(const QString &why);

    QString m_id;
    QString m_folder;
    QString m_socketPath;
    QString m_lockPath;
    QString m_problem;
    std::unique_ptr<QLockFile> m_lock;
    int m_listening = -1;
    QSocketNotifier *m_notifier = nullptr;
    // Connections waiting to speak (not for an answer), in the order they began to.
    QList<QPointer<QLocalSocket>> m_idle;
    QHash<quint64, QPointer<QLocalSocket>> m_pendingRequests;
    quint64 m_lastRequest = 0;
    Role m_role = Role::LockFailed;
    bool m_busy = false;
};
