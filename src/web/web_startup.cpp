#include "web_startup.h"

#include "engine.h"
#include "tls_files.h"

#include <QDir>
#include <QFileInfo>

namespace vantor {

namespace {
QHostAddress ListenAddress(const QString &text)
{
    if (text.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    if (text == QLatin1String("*"))
        return QHostAddress(QHostAddress::Any);
    return QHostAddress(text);
}

QString Shown(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}
} // namespace

std::unique_ptr<WebServer> StartWebServer(Engine &engine, const WebSettings &settings,
                                          const WebLimits &limits)
{
    if (!settings.enabled)
        return nullptr;
    const auto refuse = [&engine](const QString &why) {
        engine.AddToActivityLog(-1, QStringLiteral("Web server not started: ") + why);
        return nullptr;
    };
    const QHostAddress address = ListenAddress(settings.address);
    if (address.isNull())
        return refuse(QLatin1Char('"') + settings.address +
                      QStringLiteral("\" is not an IP address"));
    if (settings.port < 0 || settings.port > 65535)
        return refuse(QStringLiteral("port ") + QString::number(settings.port) +
                      QStringLiteral(" is out of range"));
    std::optional<QSslConfiguration> tls;
    if (!settings.certificate.isEmpty() || !settings.key.isEmpty()) {
        if (settings.certificate.isEmpty() || settings.key.isEmpty())
            return refuse(QStringLiteral("HTTPS needs both [Web] Certificate and Key"));
        QString error;
        tls = ReadTlsFiles(settings.certificate, settings.key, &error);
        if (!tls)
            return refuse(error);
    }
    WebSignInSetup setup;
    setup.token = settings.token.toUtf8();
    setup.tokenRole = settings.tokenIsOperator ? WebRole::Operator : WebRole::Viewer;
    setup.usersFile = QDir(engine.FolderPaths().DataFolder).filePath(WebUsersFileName);
    setup.sessionIdleMs = settings.sessionIdleSeconds * qint64(1000);
    const bool users = QFileInfo::exists(setup.usersFile);
    if (!address.isLoopback()) {
        if (settings.token.isEmpty() && !users)
            return refuse(QStringLiteral("listening on ") + address.toString() +
                          QStringLiteral(" needs an access token ([Web] Token or "
                                         "--http-token-file) or web users (vantor --web-user)"));
        if (!tls && !settings.allowPlainHttp)
            return refuse(QStringLiteral("listening on ") + address.toString() +
                          QStringLiteral(" needs HTTPS ([Web] Certificate and Key), or "
                                         "[Web] AllowPlainHttp=true to send passwords in clear"));
    }
    auto server = std::make_unique<WebServer>(engine, setup, limits);
    if (tls)
        server->useTls(*tls);
    QString error;
    const quint16 port = server->start(address, static_cast<quint16>(settings.port), &error);
    if (port == 0)
        return refuse(QStringLiteral("cannot listen on ") +
                      Shown(address, static_cast<quint16>(settings.port)) + QStringLiteral(": ") +
                      error);
    const QString access = settings.token.isEmpty()
                               ? (users ? QStringLiteral(" (login required)") : QString())
                               : QStringLiteral(" (access token required)");
    engine.AddToActivityLog(-1, QStringLiteral("Web server: listening on ") +
                                    (tls ? QStringLiteral("https://") : QStringLiteral("http://")) +
                                    Shown(address, port) + QStringLiteral("/") + access);
    return server;
}

} // namespace vantor
