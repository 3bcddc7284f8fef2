#include "smtp_test_server.h"

#include "test_support.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

namespace vantor::test {

namespace {

QJsonObject Envelope(const QString &folder, int n)
{
    return QJsonDocument::fromJson(readAll(folder + QStringLiteral("/%1.json").arg(n))).object();
}

} // namespace

SmtpTestServer::SmtpTestServer(const SmtpServerOptions &options) : m_options(options)
{
    Start(0);
}

void SmtpTestServer::Stop()
{
    m_process.kill();
    m_process.waitForFinished();
}

bool SmtpTestServer::Restart()
{
    const int old = m_port;
    Start(old);
    return m_port == old;
}

void SmtpTestServer::Start(int port)
{
    const SmtpServerOptions &options = m_options;
    m_port = 0;
    QStringList args{QStringLiteral(VANTOR_SMTP_TEST_SERVER), QStringLiteral("--store"),
                     m_store.path(), QStringLiteral("--port"), QString::number(port)};
    if (!options.certFile.isEmpty())
        args << QStringLiteral("--cert") << options.certFile << QStringLiteral("--key")
             << options.keyFile;
    if (!options.user.isEmpty())
        args << QStringLiteral("--user") << options.user << QStringLiteral("--password")
             << options.password;
    if (!options.refusedRecipient.isEmpty())
        args << QStringLiteral("--refuse") << options.refusedRecipient;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONUNBUFFERED"), QStringLiteral("1"));
    m_process.setProcessEnvironment(env);
    // The system interpreter: the one on PATH may lack the system's modules.
    m_process.start(QStringLiteral("/usr/bin/python3"), args);

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

SmtpTestServer::~SmtpTestServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
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
