// Starting the web server as the settings ask, with the outcome in "app.log":
// where it listens, or why it does not run. The station runs on either way.
#pragma once

#include "web_server.h"
#include "web_settings.h"

#include <memory>

namespace vantor {

// Null when the server does not run: not enabled, an address that is none, a
// port that cannot be had, certificate and key files that cannot be read or
// do not belong together, or an address other than loopback without
// credentials (a token or web users) or without HTTPS (unless the operator
// allows plain HTTP there).
std::unique_ptr<WebServer> StartWebServer(Engine &engine, const WebSettings &settings,
                                          const WebLimits &limits = {});

} // namespace vantor
