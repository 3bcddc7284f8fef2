#include "web_startup.h"

#include "engine.h"

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
    if (!address.isLoopback() && settings.token.isEmpty())
        return refuse(QStringLiteral("listening on ") + address.toString() +
                      QStringLiteral(" needs an access token ([Web] Token or --http-token-file)"));
    auto server = std::make_unique<WebServer>(engine, settings.token.toUtf8(), limits);
    QString error;
    const quint16 port = server->start(address, static_cast<quint16>(settings.port), &error);
    if (port == 0)
        return refuse(QStringLiteral("cannot listen on ") +
                      Shown(address, static_cast<quint16>(settings.port)) + QStringLiteral(": ") +
                      error);
    engine.AddToActivityLog(
        -1,
        QStringLiteral("Web server: listening on http://") + Shown(address, port) +
            QStringLiteral("/") +
            (settings.token.isEmpty() ? QString() : QStringLiteral(" (access token required)")));
    return server;
}

} // namespace vantor
