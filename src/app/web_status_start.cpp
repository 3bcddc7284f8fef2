#include "web_status_start.h"

#include "engine.h"

#include <QDir>
#include <QFile>

namespace vantor {

std::unique_ptr<WebServer> StartWebStatus(Engine &engine, const QString &dataFolder,
                                          const CommandLine &options)
{
    WebSettings settings =
        ReadWebSettings(IniFile(QDir(dataFolder).filePath(QStringLiteral("config.ini"))));
    if (!options.http.isEmpty()) {
        settings.enabled = true;
        settings.address = QStringLiteral("127.0.0.1");
        ParseListenSpec(options.http, &settings.address, &settings.port);
    }
    if (!options.httpTokenFile.isEmpty() && settings.enabled) {
        QFile file(options.httpTokenFile);
        if (!file.open(QIODevice::ReadOnly)) {
            engine.AddToActivityLog(-1, QStringLiteral("Web server not started: cannot read the "
                                                       "token file ") +
                                            options.httpTokenFile + QStringLiteral(": ") +
                                            file.errorString());
            return nullptr;
        }
        settings.token = QString::fromUtf8(file.readAll()).trimmed();
    }
    return StartWebServer(engine, settings);
}

} // namespace vantor
