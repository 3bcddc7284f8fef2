// The web server of a running station: "[Web]" of "config.ini", overridden by
// --http and --http-token-file.
#pragma once

#include "command_line.h"
#include "web_startup.h"

namespace vantor {

// Null when the server does not run; the reason is in "app.log". The metrics
// count the posts of webhooks, when there is a sender (it must outlive the
// server).
std::unique_ptr<WebServer> StartWebStatus(Engine &engine, const QString &dataFolder,
                                          const CommandLine &options,
                                          const WebhookSender *webhooks = nullptr);

} // namespace vantor
