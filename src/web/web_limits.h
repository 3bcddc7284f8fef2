// The bounds the web server keeps to, so that no client, slow or hostile, can
// hold the station's event loop or its memory.
#pragma once

#include <QtGlobal>

namespace vantor {

struct WebLimits {
    // Connections open at once; one more is answered 503 and closed.
    int maxConnections = 32;
    // Bytes a client may send towards one answer (the server only takes
    // GET requests, which need a few hundred); more is answered 413.
    qint64 maxRequestBytes = 16 * 1024;
    // A connection that has not had an answer for this long is closed: a
    // client dripping its request, or an idle one holding a slot.
    int requestTimeoutMs = 10000;
    // /healthz fails once the receive tick has not run for this long.
    int healthStaleMs = 5000;
    // Largest picture drawn on request, each side in pixels.
    int maxPictureSide = 2000;
};

} // namespace vantor
