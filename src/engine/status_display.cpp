// The status tick: traffic totals and uptime for the statistics, the mode
// countdowns of the selected device, and the daily report once a day of uptime.
#include "engine.h"

#include <cmath>

namespace vantor {

void Engine::TimerStatusTimer()
{
    RunGuarded([this] {
        qint64 sent = 0;
        qint64 received = 0;
        const int filter = m_view.ActivityFilterIndex();
        if (filter == 0) {
            for (const TDevice &d : Devices) {
                sent += d.BytesSent;
                received += d.BytesReceived;
            }
        } else if (!InvalidDevice(filter - 1)) {
            sent = Devices[filter - 1].BytesSent;
            received = Devices[filter - 1].BytesReceived;
        }
        m_view.ShowTraffic(sent, received);
        const int selected = m_view.SelectedDevice();

        if (++G.StatusTickCount <= 4)
            return;
        G.StatusTickCount = 0;
        const double uptime = m_clock.utcNow() - G.StartUtc;
        const int days = static_cast<int>(std::trunc(uptime));
        if (days != G.LastUptimeDays) {
            G.LastUptimeDays = days;
            if (m_prefs.Flag(QStringLiteral("SendDailyReports")))
                SendDailyReport();
        }
        m_view.ShowUptime(QString::number(days) + QStringLiteral(" days, ") +
                          FormatDateTime(QStringLiteral("h:nn:ss"), uptime - days));
        if (InvalidDevice(selected))
            return;
        const TDevice &d = Devices[selected];
        const QString suffix = d.Paused ? QStringLiteral(" (paused)") : QString();
        m_view.AddToVLEA(selected, QStringLiteral("Measuring Mode countdown"),
                         QString::number(d.MeasuringCountdown) + suffix);
        m_view.AddToVLEA(selected, QStringLiteral("RDS Mode countdown"),
                         QString::number(d.RDSCountdown) + suffix);
    });
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
