#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace {

const QByteArray Request = QByteArrayLiteral("corvane-start\n");
const QByteArray Reply = QByteArrayLiteral("ok\n");

}  // namespace

SingleInstance::SingleInstance(const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_name(ServerNameOf(programFolder))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerNameOf(const QString &programFolder)
{
    // Two paths to the same folder are one program; another user's program is another.
    QString folder = QFileInfo(programFolder).canonicalFilePath();
    if (folder.isEmpty())
        folder = QFileInfo(programFolder).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return QStringLiteral("Corvane-%1-%2").arg(geteuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::Outcome SingleInstance::Start(int answerTimeoutMs)
{
    // Starts at the same moment take turns, or both would find no instance and both listen
    // (listening replaces the socket of another listener). A lock whose owner died is stale.
    QLockFile lock(QDir(QDir::tempPath()).filePath(m_name + QStringLiteral(".lock")));
    lock.tryLock(3 * answerTimeoutMs);  // without it, go on: better two instances than none
    const Answer first = TryHandOver(answerTimeoutMs);
    if (first == Answer::Acknowledged)
        return Outcome::HandedOver;
    if (Listen())
        return Outcome::Listening;
    // Another start may have begun listening just now; a server that did not answer
    // before is not asked twice.
    if (first == Answer::NoServer && TryHandOver(answerTimeoutMs) == Answer::Acknowledged)
        return Outcome::HandedOver;
    // A socket left by a program that crashed, or one that no longer answers.
    QLocalServer::removeServer(m_name);
    return Listen() ? Outcome::Listening : Outcome::Alone;
}

SingleInstance::Answer SingleInstance::TryHandOver(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return socket.error() == QLocalSocket::SocketTimeoutError ? Answer::NoAnswer : Answer::NoServer;
    const QDeadlineTimer deadline(timeoutMs);
    socket.write(Request);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return Answer::NoAnswer;
    QByteArray reply;
    while (!reply.contains('\n') && !deadline.hasExpired()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        reply += socket.readAll();
    }
    return reply == Reply ? Answer::Acknowledged : Answer::NoAnswer;
}

bool SingleInstance::Listen()
{
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    }
    return m_server->listen(m_name);
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const bool handOver = socket->readLine() == Request;
            if (handOver)
                socket->write(Reply);
            socket->disconnectFromServer();
            // After the answer, so the other start ends without waiting for the work.
            if (handOver)
                Q_EMIT HandOverReceived();
        });
    }
}
