#include "serial_port_offers.h"

#include "serial_port_path.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace vantor {

namespace {
constexpr int HighestComPort = 256;

QString Resolved(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}
} // namespace

std::vector<SerialPortOffer> SerialPortOffers(const QString &dataFolder,
                                              const QStringList &locations,
                                              const QStringList &descriptions)
{
    std::vector<SerialPortOffer> offers;
    for (int i = 0; i < locations.size(); ++i) {
        SerialPortOffer offer{QString(), locations[i], descriptions.value(i)};
        const QString target = Resolved(locations[i]);
        for (int n = 1; n <= HighestComPort && offer.comName.isEmpty(); ++n) {
            if (Resolved(serialPortPath(dataFolder, n)) == target)
                offer.comName = QStringLiteral("COM%1").arg(n);
        }
        offers.push_back(offer);
    }
    return offers;
}

std::vector<SerialPortOffer> AvailableSerialPortOffers(const QString &dataFolder)
{
    QStringList locations;
    QStringList descriptions;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        locations << info.systemLocation();
        descriptions << info.description();
    }
    return SerialPortOffers(dataFolder, locations, descriptions);
}

} // namespace vantor
