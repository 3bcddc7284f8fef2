#include "smtp_test_server.h"

#include "test_support.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantor::test {

namespace {

QJsonObject Envelope(const QString &folder, int n)
{
    return QJsonDocument::fromJson(readAll(folder + QStringLiteral("/%1.json").arg(n))).object();
}

} // namespace

SmtpTestServer::SmtpTestServer(const SmtpServerOptions &options) : m_options(options)
{
    Start();
}

void SmtpTestServer::Stop()
{
    m_server.Stop();
}

bool SmtpTestServer::Restart()
{
    return m_server.Restart();
}

void SmtpTestServer::Start()
{
    QStringList args{QStringLiteral("--store"), m_store.path()};
    if (!m_options.certFile.isEmpty())
        args << QStringLiteral("--cert") << m_options.certFile << QStringLiteral("--key")
             << m_options.keyFile;
    if (!m_options.user.isEmpty())
        args << QStringLiteral("--user") << m_options.user << QStringLiteral("--password")
             << m_options.password;
    if (!m_options.refusedRecipient.isEmpty())
        args << QStringLiteral("--refuse") << m_options.refusedRecipient;
    m_server.Start(QStringLiteral(VANTOR_SMTP_TEST_SERVER), args);
}

int SmtpTestServer::messageCount() const
{
    return static_cast<int>(
        QDir(m_store.path()).entryList({QStringLiteral("*.eml")}, QDir::Files).size());
}

QByteArray SmtpTestServer::message(int n) const
{
    return readAll(m_store.path() + QStringLiteral("/%1.eml").arg(n));
}

QString SmtpTestServer::envelopeSender(int n) const
{
    return Envelope(m_store.path(), n).value(QStringLiteral("from")).toString();
}

QStringList SmtpTestServer::envelopeRecipients(int n) const
{
    QStringList out;
    for (const QJsonValue &v : Envelope(m_store.path(), n).value(QStringLiteral("to")).toArray())
        out.append(v.toString());
    return out;
}

bool MakeThrowAwayCertificate(const QString &folder)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost"),
                   QStringLiteral("-keyout"), folder + QStringLiteral("/key.pem"),
                   QStringLiteral("-out"), folder + QStringLiteral("/cert.pem")});
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit &&
           openssl.exitCode() == 0;
}

} // namespace vantor::test
