#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace vantor {

namespace {
// In the user's private runtime folder when there is one, else in the data
// folder itself: never in a place where another user could take the name.
QString ServerPath(const QString &dataFolder)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir(runtime).exists())
        return QDir(dataFolder).absoluteFilePath(QStringLiteral(".vantor.socket"));
    const QByteArray key = QDir(dataFolder).canonicalPath().toUtf8();
    return QDir(runtime).absoluteFilePath(
        QStringLiteral("vantor-") +
        QString::fromLatin1(
            QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16)));
}
} // namespace

SingleInstance::SingleInstance(const QString &dataFolder, QObject *parent)
    : QObject(parent), m_serverName(ServerPath(dataFolder)),
      m_lock(std::make_unique<QLockFile>(QDir(dataFolder).filePath(QStringLiteral(".vantor.lock"))))
{
    // A lock left by a copy that died is taken over at once.
    m_lock->setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
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
    // A socket file left by a copy that died would block listening; holding
    // the lock, this copy is the only one that may remove it.
    QLocalServer::removeServer(m_serverName);
    m_server.listen(m_serverName);
    return true;
}

} // namespace vantor
