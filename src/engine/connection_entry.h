// The connection entry of a device: a serial port ("COM3", "COM3:19200") or a
// TCP server ("host:port").
#pragma once

#include <QString>

namespace vantor {

struct ConnectionEntry {
    enum Kind { None, Serial, Tcp, Invalid };
    Kind kind = None;
    int comPort = 0;
    int speed = 0;
    QString host;
    int port = 0;
};

// None for an empty entry, Invalid for one that breaks the grammar.
ConnectionEntry ParseConnectionEntry(const QString &entry);

} // namespace vantor
