// The CSV measurement log: one line per logging period for every measuring
// device, laid out by the operator's line composition; and the day roll-over
// of the activity logs.
#include "engine.h"

#include <QLocale>

namespace vantor {

namespace {
constexpr double HalfMillisecond = OneSecond / 2000;
} // namespace

void Engine::TimerWriteLogTimer()
{
    RunGuarded([this] {
        m_filesMadeThisTick = 0;
        RunWaitingFileWork(FileWorkShare::Tick);
        const TDateTime now = m_clock.now();
        if (DayOfTheWeek(now) != DayOfTheWeek(G.LogDay)) {
            G.LogDay = now;
            ReopenActivityLogs(now);
            DeleteOldFiles();
        }
        const int period = m_prefs.Integer(QStringLiteral("LoggingPeriod"));
        // Local time went back (set by hand, or the autumn change of daylight
        // saving): a line due far ahead would leave a gap as long as the jump,
        // so the schedule restarts from now, as it does after a long hold-up.
        if (G.NextLogTime - now > 3 * period * OneSecond)
            G.NextLogTime = now;
        // The schedule is kept as day fractions; half a millisecond of slack
        // keeps a line due at 12:00:05 from slipping a tick on rounding.
        if (now < G.NextLogTime - HalfMillisecond)
            return;
        if (SecondsBetween(G.NextLogTime, now) > 3 * period)
            G.NextLogTime = now;
        G.NextLogTime += period * OneSecond;

        const QString date = FormatDateTime(QStringLiteral("yyyy.mm.dd"), now);
        const QString time = FormatDateTime(QStringLiteral("hh:nn:ss"), now);
        const QString decimalPoint = QLocale::system().decimalPoint();
        for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
            TDevice &d = Devices[i];
            if (!MeasuringMode(i) || !d.MeasurementLogName.endsWith(QLatin1String(".csv")) ||
                !DeviceConnected(i) || now < d.IgnoreUntil)
                continue;
            const QString line = ComposeLogLine(i, date, time, decimalPoint);
            if (line.isEmpty())
                continue;
            if (!d.MeasurementLog || !d.MeasurementLog->writeLine(line))
                DropModeLog(i, d.MeasurementLogName);
        }
    });
}

QString Engine::ComposeLogLine(int device, const QString &date, const QString &time,
                               const QString &decimalPoint) const
{
    if (InvalidDevice(device))
        return {};
    m_lineTemplate.Compile(m_prefs.Text(QStringLiteral("LineComposition")));
    return m_lineTemplate.Fill(Devices[device].LastData, date, time, decimalPoint);
}

void Engine::IniTableLine(int device)
{
    if (InvalidDevice(device))
        return;
    TDevice &d = Devices[device];
    d.ColumnValue.fill(NoValue);
    d.ColumnMin.fill(999.0f);
    d.ColumnMax.fill(-999.0f);
}

} // namespace vantor
