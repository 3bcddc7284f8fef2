// The status tick: the daily report once a day of uptime, and the figures the
// status display shows (traffic totals, uptime, countdowns), which the windows
// read when the tick is announced.
#include "engine.h"

#include <cmath>

namespace vantor {

void Engine::TimerStatusTimer()
{
    RunGuarded([this] {
        bool secondPassed = false;
        if (++G.StatusTickCount > 4) {
            G.StatusTickCount = 0;
            secondPassed = true;
            const int days = static_cast<int>(std::trunc(m_clock.utcNow() - G.StartUtc));
            if (days != G.LastUptimeDays) {
                G.LastUptimeDays = days;
                if (m_prefs.Flag(QStringLiteral("SendDailyReports")))
                    SendDailyReport();
            }
        }
        emit statusTicked(secondPassed);
    });
}

TrafficTotals Engine::Traffic(int filterIndex) const
{
    TrafficTotals totals;
    if (filterIndex == 0) {
        for (const TDevice &d : Devices) {
            totals.sent += d.BytesSent;
            totals.received += d.BytesReceived;
        }
    } else if (!InvalidDevice(filterIndex - 1)) {
        totals.sent = Devices[filterIndex - 1].BytesSent;
        totals.received = Devices[filterIndex - 1].BytesReceived;
    }
    return totals;
}

QString Engine::UptimeText() const
{
    const double uptime = m_clock.utcNow() - G.StartUtc;
    const int days = static_cast<int>(std::trunc(uptime));
    return QString::number(days) + QStringLiteral(" days, ") +
           FormatDateTime(QStringLiteral("h:nn:ss"), uptime - days);
}

qint64 Engine::MsSinceReceiveTick() const
{
    return m_receiveTick.isValid() ? m_receiveTick.elapsed() : -1;
}

QString CountdownText(int seconds, bool paused)
{
    return QString::number(seconds) + (paused ? QStringLiteral(" (paused)") : QString());
}

QString LedFrequencyText(const QString &frequency)
{
    QString text = frequency;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!text.contains(QLatin1Char('.')))
        text += QStringLiteral(".00");
    while (text.indexOf(QLatin1Char('.')) + 1 > text.size() - 2)
        text += QLatin1Char('0');
    return text;
}

} // namespace vantor
