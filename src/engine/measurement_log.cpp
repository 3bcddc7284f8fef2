// The CSV measurement log: one line per logging period for every measuring
// device, laid out by the operator's line composition; and the day roll-over
// of the activity logs.
#include "engine.h"

#include <QLocale>

namespace vantor {

namespace {
constexpr double HalfMillisecond = OneSecond / 2000;

QString Quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A value text as a spreadsheet reads it: units and blanks removed, the
// locale's decimal separator. Double quotes go too: the line's fields are
// quoted, and a quote inside a value would end its field and add others.
QString CleanValue(QString value)
{
    for (const char *unit : {"kHz", "MHz", "deg", "dBr", "dBuV", "dB"})
        value.remove(QLatin1String(unit));
    value.replace(QLatin1Char('.'), QLocale::system().decimalPoint());
    value.remove(QLatin1Char(' '));
    value.remove(QLatin1Char('"'));
    return value;
}
} // namespace

void Engine::TimerWriteLogTimer()
{
    RunGuarded([this] {
        const TDateTime now = m_clock.now();
        if (DayOfTheWeek(now) != DayOfTheWeek(G.LogDay)) {
            G.LogDay = now;
            for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
                if (!Devices[i].ActivityLogOpen)
                    continue;
                CloseDeviceLogFile(Devices[i]);
                OpenActivityLog(i, now);
            }
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
        for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
            TDevice &d = Devices[i];
            if (!MeasuringMode(i) || !d.MeasurementLogName.endsWith(QLatin1String(".csv")) ||
                !DeviceConnected(i) || now < d.IgnoreUntil)
                continue;
            const QString line = ComposeLogLine(i, date, time);
            if (line.isEmpty())
                continue;
            if (!d.MeasurementLog || !d.MeasurementLog->writeLine(line))
                DropModeLog(i, d.MeasurementLogName);
        }
    });
}

QString Engine::ComposeLogLine(int device, const QString &date, const QString &time) const
{
    if (InvalidDevice(device))
        return {};
    QString line = m_prefs.Text(QStringLiteral("LineComposition"));
    line.replace(Quoted(QStringLiteral("datetime")), Quoted(date + QLatin1Char(' ') + time));
    line.replace(Quoted(QStringLiteral("time")), Quoted(time));
    line.replace(Quoted(QStringLiteral("date")), Quoted(date));
    const QString base = line;
    for (const TLastData &entry : Devices[device].LastData) {
        // A column name holds no quotes; a received name with one would match
        // across fields of the composition and merge them.
        if (entry.Name.contains(QLatin1Char('"')))
            continue;
        const QString token = Quoted(entry.Name);
        if (line.contains(token))
            line.replace(token, Quoted(CleanValue(entry.Value)));
    }
    if (line == base)
        return {};
    for (const QString &column : MeasurementColumns) {
        if (!column.isEmpty())
            line.replace(Quoted(column), QStringLiteral("\"\""));
    }
    return line;
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
