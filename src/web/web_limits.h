// The bounds the web server keeps to, so that no client, slow or hostile, can
// hold the station's event loop, its memory or its file handles.
#pragma once

#include <QtGlobal>

namespace vantor {

struct WebLimits {
    // Connections open at once for any request; one more is answered 503 and
    // closed at once.
    int maxConnections = 32;
    // Further connections kept for /healthz and /metrics alone, so that
    // monitoring still gets its answer while every other slot is taken.
    int healthConnections = 2;
    // Connections one client address may hold at once, so that one client
    // cannot take every slot.
    int maxConnectionsPerAddress = 8;
    // File handles the server never takes: they stay free for the logs and
    // the receivers' links. A connection that would use one is closed at once.
    int handleReserve = 256;
    // Bytes a client may send towards one answer (the server only takes
    // GET requests, which need a few hundred); more is answered 413.
    qint64 maxRequestBytes = 16 * 1024;
    // A request's headers must be complete this long after its first byte.
    int headerTimeoutMs = 5000;
    // A connection waiting for its next request, or a client slow to take
    // its answer, is closed after this long.
    int requestTimeoutMs = 10000;
    // /healthz fails once the receive tick has not run for this long.
    int healthStaleMs = 5000;
    // Largest picture drawn on request, each side in pixels.
    int maxPictureSide = 2000;
    // Pictures waiting to be drawn; one more is answered 503.
    int pictureQueue = 8;
    // Drawing time allowed per second of the clock, in ms: the drawing
    // thread waits once it has used it, and leaves the rest of the machine
    // to the station.
    int pictureMsPerSecond = 250;
    // Drawn pictures kept for asking again while their data are unchanged.
    int pictureCacheBytes = 32 * 1024 * 1024;
};

} // namespace vantor
