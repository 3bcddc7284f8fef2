#include "web_status_start.h"

#include "engine.h"

#include <QDir>
#include <QFile>

namespace vantor {

std::unique_ptr<WebServer> StartWebStatus(Engine &engine, const QString &dataFolder,
                                          const CommandLine &options, const WebhookSender *webhooks)
{
    WebSettings settings =
        ReadWebSettings(IniFile(QDir(dataFolder).filePath(QStringLiteral("config.ini"))));
    if (!options.http.isEmpty()) {
        settings.enabled = true;
        settings.address = QStringLiteral("127.0.0.1");
        ParseListenAddress(options.http, &settings.address, &settings.port);
    }
    if (!options.httpTokenFile.isEmpty() && settings.enabled) {
        // The first line; a file without one protects nothing, so nothing starts.
        QFile file(options.httpTokenFile);
        const bool opened = file.open(QIODevice::ReadOnly);
        settings.token = opened ? QString::fromUtf8(file.readLine(4096)).trimmed() : QString();
        if (settings.token.isEmpty()) {
            engine.AddToActivityLog(
                -1, QStringLiteral("Web server not started: no token in ") + options.httpTokenFile +
                        (opened ? QString()
                                : QStringLiteral(" (") + file.errorString() + QLatin1Char(')')));
            return nullptr;
        }
    }
    std::unique_ptr<WebServer> server = StartWebServer(engine, settings);
    if (server)
        server->setWebhookSender(webhooks);
    return server;
}

} // namespace vantor
