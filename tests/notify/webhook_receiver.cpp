#include "webhook_receiver.h"

#include "test_support.h"

#include <QFile>
#include <QJsonDocument>

#include <cstdio>

namespace vantor::test {

namespace {

QList<QJsonObject> Lines(const QString &path)
{
    QList<QJsonObject> out;
    for (const QByteArray &line : readAll(path).split('\n')) {
        if (!line.isEmpty())
            out.append(QJsonDocument::fromJson(line).object());
    }
    return out;
}

} // namespace

WebhookReceiver::WebhookReceiver(const QString &secret)
{
    m_server.Start(QStringLiteral(VANTOR_WEBHOOK_RECEIVER),
                   {QStringLiteral("--store"), m_store.path(), QStringLiteral("--secret"), secret});
}

QString WebhookReceiver::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port()) + path;
}

void WebhookReceiver::setMode(const QString &mode)
{
    // Renamed into place, so the receiver never reads half a word.
    const QString path = m_store.path() + QStringLiteral("/mode");
    writeAll(path + QStringLiteral(".new"), mode.toLatin1());
    std::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(),
                QFile::encodeName(path).constData());
}

QList<QJsonObject> WebhookReceiver::seen() const
{
    return Lines(m_store.path() + QStringLiteral("/seen.jsonl"));
}

QList<QJsonObject> WebhookReceiver::accepted() const
{
    return Lines(m_store.path() + QStringLiteral("/accepted.jsonl"));
}

} // namespace vantor::test
