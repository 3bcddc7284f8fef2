#include "control_server.h"

#include <QTcpSocket>

namespace vantor::sim {

namespace {

constexpr qint64 lineLimit = 8192;

} // namespace

ControlServer::ControlServer(Handler handler, QObject *parent)
    : QObject(parent), m_handler(std::move(handler))
{
    connect(&m_server, &QTcpServer::newConnection, this, &ControlServer::accept);
}

bool ControlServer::listen(const QHostAddress &host, quint16 port)
{
    return m_server.listen(host, port);
}

void ControlServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                QByteArray line = socket->readLine(lineLimit);
                while (line.endsWith('\n') || line.endsWith('\r'))
                    line.chop(1);
                QByteArray answer;
                for (const QString &out : m_handler(QString::fromLatin1(line)))
                    answer += out.toLatin1() + '\n';
                socket->write(answer);
            }
            if (socket->bytesAvailable() > lineLimit) {
                socket->write("ERR line too long\n");
                socket->disconnectFromHost();
            }
        });
    }
}

} // namespace vantor::sim
