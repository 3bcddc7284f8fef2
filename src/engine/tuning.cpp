// Putting a device onto a station's frequency.
#include "engine.h"

namespace vantor
{

void Engine::Retune(int device, const QString &frequency, bool restoreModes)
{
    if (InvalidDevice(device))
        return;
    QString digits;
    for (const QChar c : frequency) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    // Frequencies below 100 MHz get a leading zero: 98.5 is 098500 kHz.
    if (!digits.isEmpty() && digits[0] >= QLatin1Char('6') && digits[0] <= QLatin1Char('9'))
        digits.prepend(QLatin1Char('0'));
    while (digits.size() < 6)
        digits += QLatin1Char('0');
    Send(device, digits + QStringLiteral("*F"));
    Devices[device].TunedFrequency = StrToSingle(frequency);
    if (!restoreModes)
        return;
    if (Devices[device].Mode & ModeRdsPart) {
        Send(device, QStringLiteral("*D"));
        Send(device, QStringLiteral("*R"));
    }
    if (Devices[device].Mode & ModeMeasuringPart) {
        Send(device, QStringLiteral("*E"));
        Send(device, QStringLiteral("*M"));
        Send(device, QStringLiteral("*P"));
    }
}

} // namespace vantor
