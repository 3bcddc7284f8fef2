// Starting the web server as the settings ask, with the outcome in "app.log":
// where it listens, or why it does not run. The station runs on either way.
#pragma once

#include "web_server.h"
#include "web_settings.h"

#include <memory>

namespace vantor {

// Null when the server does not run: not enabled, a non-loopback address
// without a token, an address that is none, or a port that cannot be had.
std::unique_ptr<WebServer> StartWebServer(Engine &engine, const WebSettings &settings,
                                          const WebLimits &limits = {});

} // namespace vantor
