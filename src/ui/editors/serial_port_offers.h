// The serial ports of this machine under the names a device entry uses.
#pragma once

#include <QString>
#include <QStringList>

namespace vantor {

struct SerialPortOffer {
    QString comName;  // "COMn", empty when no COM name reaches the port
    QString location; // e.g. /dev/ttyUSB0
    QString description;
};

// For each port location, the first COMn (n = 1 … 256) whose path on this
// machine leads to it: an operator's entry in dataFolder/ports, or the
// built-in /dev/ttyS(n-1).
std::vector<SerialPortOffer> SerialPortOffers(const QString &dataFolder,
                                              const QStringList &locations,
                                              const QStringList &descriptions);

// The same for the ports QSerialPortInfo finds.
std::vector<SerialPortOffer> AvailableSerialPortOffers(const QString &dataFolder);

} // namespace vantor
