#include "playing_device_library.h"

#include "clock_time_group.h"
#include "number_text.h"

namespace vantor::test {

namespace {
constexpr qint64 MsPerMinute = 60000;
constexpr qint64 FaultCycleMinutes = 29 * 60;
constexpr qint64 FaultMinutes = 5;
constexpr qint64 GroupIntervalMs = 2000;

QString Pi(int handle)
{
    return QStringLiteral("D%1").arg(0x300 + handle, 3, 16, QLatin1Char('0')).toUpper();
}
} // namespace

bool PlayingDeviceLibrary::SignalLost(int handle) const
{
    const qint64 minute = m_clock.currentDateTime().toMSecsSinceEpoch() / MsPerMinute;
    return (minute + handle * 211) % FaultCycleMinutes < FaultMinutes;
}

int PlayingDeviceLibrary::AddDevice()
{
    m_receivers.emplace_back();
    return static_cast<int>(m_receivers.size()) - 1;
}

PlayingDeviceLibrary::Receiver *PlayingDeviceLibrary::selected()
{
    if (m_selected < 0 || m_selected >= static_cast<int>(m_receivers.size()))
        return nullptr;
    return &m_receivers[m_selected];
}

void PlayingDeviceLibrary::Connect()
{
    if (Receiver *r = selected())
        r->connected = true;
}

bool PlayingDeviceLibrary::Connected()
{
    const Receiver *r = selected();
    return r && r->connected;
}

void PlayingDeviceLibrary::Disconnect()
{
    if (Receiver *r = selected())
        r->connected = false;
}

void PlayingDeviceLibrary::WriteCommand(const QString &command)
{
    Receiver *r = selected();
    if (!r || !r->connected)
        return;
    if (command.endsWith(QLatin1String("*F"))) {
        r->kHz = command.chopped(2).toInt();
        if (m_onTune)
            m_onTune(m_selected, r->kHz);
    } else if (command == QLatin1String("*M") || command == QLatin1String("*m")) {
        r->measuring = command == QLatin1String("*M");
    } else if (command == QLatin1String("*R") || command == QLatin1String("*r")) {
        r->rds = command == QLatin1String("*R");
        r->nextGroupMs = m_clock.utcMilliseconds();
    } else if (command.size() == 2 && command[0] == QLatin1Char('?')) {
        Answer(*r, m_selected, command[1]);
    }
}

void PlayingDeviceLibrary::Answer(Receiver &r, int handle, QChar query)
{
    // Values move a little from minute to minute and differ between receivers.
    const int wobble = static_cast<int>((m_clock.utcMilliseconds() / MsPerMinute + handle * 3) % 5);
    const bool lost = SignalLost(handle);
    auto add = [&r](const QString &line) { r.responses.push_back(line); };
    switch (query.toLatin1()) {
    case 'Q':
        add(QStringLiteral("Signal Quality=%1").arg(4 + wobble % 2));
        break;
    case 'U':
        add(QStringLiteral("Level=%1.0 dBuV").arg(lost ? 12 : 58 + wobble));
        break;
    case 'A':
        if (r.measuring) {
            add(QStringLiteral("AVE=%1.0 kHz").arg(lost ? 0 : 40 + wobble));
            add(QStringLiteral("MAX=%1.0 kHz").arg(lost ? 0 : 68 + wobble));
        }
        break;
    case 'X':
        if (r.measuring)
            add(QStringLiteral("MAX Hold=%1.0 kHz").arg(lost ? 0 : 72 + wobble));
        break;
    case 'E':
        if (r.measuring)
            add(QStringLiteral("Pm=%1.5 dBr").arg(wobble - 2));
        break;
    case 'L':
        add(QStringLiteral("Pilot=6.%1 kHz").arg(7 + wobble % 2));
        break;
    default:
        break;
    }
}

void PlayingDeviceLibrary::AddDueGroups(Receiver &r, int handle)
{
    const qint64 now = m_clock.utcMilliseconds();
    while (r.nextGroupMs <= now) {
        r.nextGroupMs += GroupIntervalMs;
        const QDateTime at = m_clock.currentDateTime();
        const int minute = static_cast<int>(at.toMSecsSinceEpoch() / MsPerMinute);
        if (minute != r.lastClockMinute) {
            r.lastClockMinute = minute;
            r.responses.push_back(QStringLiteral("G=") +
                                  ClockTimeGroup(Pi(handle), at, at.offsetFromUtc() / 1800));
        } else {
            r.responses.push_back(QStringLiteral("G=") + Pi(handle) +
                                  QStringLiteral("0540E20A2020"));
        }
    }
}

int PlayingDeviceLibrary::ReadBufferLength()
{
    Receiver *r = selected();
    if (!r || !r->connected)
        return 0;
    if (r->rds)
        AddDueGroups(*r, m_selected);
    return static_cast<int>(r->responses.size());
}

QString PlayingDeviceLibrary::ReadResponse()
{
    Receiver *r = selected();
    if (!r || r->responses.empty())
        return {};
    QString oldest = std::move(r->responses.front());
    r->responses.pop_front();
    return oldest;
}

void PlayingDeviceLibrary::ClearValues()
{
    if (Receiver *r = selected())
        r->responses.clear();
}

double PlayingDeviceLibrary::PCharToFloat(const QString &text)
{
    return leadingNumberOrThrow(text);
}

} // namespace vantor::test
