#pragma once

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// The application object that lets only one copy run per user and executable: the first
// copy holds a lock file in the user's runtime folder and listens on a local socket next to
// it; a later copy finds the lock taken and hands its message over through the socket.
// The identity is the user name plus a hash of the executable's path, so copies installed
// in different folders do not see each other.
class QtSingleCoreApplication : public QApplication
{
    Q_OBJECT

public:
    QtSingleCoreApplication(int &argc, char **argv);
    ~QtSingleCoreApplication() override;

    // True when another copy holds the lock.
    bool isRunning() const { return !m_primary && !m_lockFailed; }
    // True when the lock could not be taken for another reason (its folder cannot be created
    // or written): this copy is neither the first nor a second one. The constructor has then
    // written a diagnostic line naming the lock file and the error.
    bool lockFailed() const { return m_lockFailed; }

    // Sends a message to the running copy; false when it does not take it within timeout ms.
    bool sendMessage(const QString &message, int timeout = 5000);

    // Sends a request to the running copy and waits for its answer; false when there is no
    // answer within timeout ms. The running copy gets it as requestReceived and answers with
    // answerRequest.
    bool sendRequest(const QString &request, QString *answer, int timeout);
    // The answer to a request; nothing when its sender has gone meanwhile.
    void answerRequest(quint64 id, const QString &answer);

    QString id() const { return m_id; }

signals:
    void messageReceived(const QString &message);
    // A request that waits for answerRequest(id, …).
    void requestReceived(quint64 id, const QString &request);

private:
    void listen();
    void acceptConnection();
    void readMessage(QLocalSocket *socket);
    bool exchange(const QString &message, QByteArray *answer, int timeout);

    QString m_id;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    QHash<quint64, QPointer<QLocalSocket>> m_pendingRequests;
    quint64 m_lastRequest = 0;
    bool m_primary = false;
    bool m_lockFailed = false;
};
