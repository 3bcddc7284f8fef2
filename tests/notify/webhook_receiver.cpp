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
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(VANTOR_WEBHOOK_RECEIVER), QStringLiteral("--store"),
                     m_store.path(), QStringLiteral("--secret"), secret});
    QByteArray output;
    const bool ready = waitFor(
        [&] {
            output += m_process.readAllStandardOutput();
            return output.contains('\n') || m_process.state() == QProcess::NotRunning;
        },
        10000);
    const QList<QByteArray> words = output.trimmed().split(' ');
    if (ready && words.size() == 2 && words[0] == "READY")
        m_port = words[1].toInt();
    if (m_port == 0)
        m_error = QString::fromLocal8Bit(output + m_process.readAllStandardError());
}

WebhookReceiver::~WebhookReceiver()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString WebhookReceiver::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port) + path;
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
