#include "line_client.h"

#include "test_support.h"

namespace vantor::test {

bool LineClient::connectTo(quint16 port)
{
    m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return waitFor([&] { return m_socket.state() == QAbstractSocket::ConnectedState; });
}

void LineClient::pull()
{
    const QByteArray data = m_socket.readAll();
    m_raw += data;
    m_partial += data;
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        QByteArray line = m_partial.left(end);
        if (line.endsWith('\r'))
            line.chop(1);
        m_lines.append(line);
        m_partial.remove(0, end + 1);
    }
}

const QList<QByteArray> &LineClient::lines()
{
    pull();
    return m_lines;
}

QList<QByteArray> LineClient::linesStartingWith(const QByteArray &prefix)
{
    QList<QByteArray> out;
    for (const QByteArray &line : lines())
        if (line.startsWith(prefix))
            out.append(line);
    return out;
}

QByteArray LineClient::waitForLine(const QByteArray &prefix, qsizetype from, int timeoutMs)
{
    QByteArray found;
    waitFor(
        [&] {
            const QList<QByteArray> &all = lines();
            for (qsizetype i = from; i < all.size(); ++i) {
                if (all.at(i).startsWith(prefix)) {
                    found = all.at(i);
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

QList<QByteArray> LineClient::control(const QByteArray &command)
{
    const qsizetype from = lines().size();
    sendControl(command);
    waitFor([&] {
        const QList<QByteArray> &all = lines();
        return all.size() > from && (all.last().startsWith("OK") || all.last().startsWith("ERR"));
    });
    return lines().mid(from);
}

} // namespace vantor::test
