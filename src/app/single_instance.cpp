#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace vantor {

namespace {
QString ServerName(const QString &dataFolder)
{
    const QByteArray key = QDir(dataFolder).canonicalPath().toUtf8();
    return QStringLiteral("vantor-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}
} // namespace

SingleInstance::SingleInstance(const QString &dataFolder, QObject *parent)
    : QObject(parent), m_serverName(ServerName(dataFolder)),
      m_lock(std::make_unique<QLockFile>(QDir(dataFolder).filePath(QStringLiteral(".vantor.lock"))))
{
    // A lock left by a copy that died is taken over at once.
    m_lock->setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server.nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            emit activationRequested();
        }
    });
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (!m_lock->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(1000))
            socket.disconnectFromServer();
        return false;
    }
    // A socket file left by a copy that died would block listening.
    QLocalServer::removeServer(m_serverName);
    m_server.listen(m_serverName);
    return true;
}

} // namespace vantor
