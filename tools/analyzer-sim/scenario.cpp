#include "scenario.h"

#include <cmath>
#include <functional>

namespace vantor::sim {

namespace {

// A value may be written in double quotes to keep blanks at its ends
// (PS "  ABC   ").
QString unquote(const QString &value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

bool toNumber(const QString &text, double low, double high, double *out, QString *error)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        *error = QStringLiteral("not a number: ") + text;
        return false;
    }
    if (v < low || v > high) {
        *error = QStringLiteral("out of range %1 to %2: ").arg(low).arg(high) + text;
        return false;
    }
    *out = v;
    return true;
}

using Setter = std::function<bool(StationParams &, const QString &, QString *)>;

Setter number(double StationParams::*field, double low, double high)
{
    return [field, low, high](StationParams &p, const QString &v, QString *error) {
        return toNumber(v, low, high, &(p.*field), error);
    };
}

struct Key {
    const char *name;
    Setter set;
};

const QList<Key> &keys()
{
    static const QList<Key> table = {
        {"PI",
         [](StationParams &p, const QString &v, QString *error) {
             bool ok = false;
             const uint pi = v.trimmed().toUInt(&ok, 16);
             if (!ok || v.trimmed().size() != 4) {
                 *error = QStringLiteral("PI must be 4 hexadecimal digits: ") + v;
                 return false;
             }
             p.pi = static_cast<quint16>(pi);
             return true;
         }},
        {"PS",
         [](StationParams &p, const QString &v, QString *error) {
             if (v.size() > 8) {
                 *error = QStringLiteral("PS holds at most 8 characters: ") + v;
                 return false;
             }
             p.ps = v.toLatin1().leftJustified(8, ' ');
             return true;
         }},
        {"RadioText",
         [](StationParams &p, const QString &v, QString *error) {
             if (v.size() > 64) {
                 *error = QStringLiteral("RadioText holds at most 64 characters");
                 return false;
             }
             p.radioText = v.toLatin1();
             return true;
         }},
        {"AVE", number(&StationParams::ave, 0, 200)},
        {"MAX", number(&StationParams::max, 0, 200)},
        {"MAXHold", number(&StationParams::maxHold, 0, 200)},
        {"MIN", number(&StationParams::min, 0, 200)},
        {"Pilot", number(&StationParams::pilot, 0, 100)},
        {"RDS", number(&StationParams::rds, 0, 100)},
        {"Pm", number(&StationParams::pm, -99, 99)},
        {"Level", number(&StationParams::level, -20, 140)},
        {"Quality",
         [](StationParams &p, const QString &v, QString *error) {
             bool ok = false;
             const int q = v.trimmed().toInt(&ok);
             if (!ok || q < 0 || q > 5) {
                 *error = QStringLiteral("Quality must be a whole number 0 to 5: ") + v;
                 return false;
             }
             p.quality = q;
             return true;
         }},
        {"ClockOffset", number(&StationParams::clockOffset, -86400, 86400)},
        {"BlockErrorRate", number(&StationParams::blockErrorRate, 0, 1)},
        {"Noise", number(&StationParams::noise, 0, 100)},
        {"Groups",
         [](StationParams &p, const QString &v, QString *error) {
             if (v.trimmed().isEmpty()) {
                 p.capture.clear();
                 return true;
             }
             auto groups = readCapture(v.trimmed(), error);
             if (!groups)
                 return false;
             p.capture = *std::move(groups);
             return true;
         }},
    };
    return table;
}

} // namespace

StationParams defaultStation(int kHz)
{
    StationParams p;
    const QString mhz = QString::number(kHz / 1000.0, 'f', 1);
    p.ps = (QStringLiteral("FM ") + mhz).toLatin1().leftJustified(8, ' ', true);
    return p;
}

int Scenario::parseFrequency(const QString &mhz)
{
    bool ok = false;
    const double v = mhz.trimmed().toDouble(&ok);
    if (!ok || !(v > 0.0) || v >= 1000.0)
        return -1;
    return static_cast<int>(std::lround(v * 1000.0));
}

const StationParams *Scenario::station(int kHz) const
{
    const auto it = m_stations.constFind(kHz);
    return it == m_stations.constEnd() ? nullptr : &it.value();
}

bool Scenario::set(int kHz, const QString &key, const QString &value, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    for (const Key &k : keys()) {
        if (key.compare(QLatin1String(k.name), Qt::CaseInsensitive) != 0)
            continue;
        StationParams p = m_stations.contains(kHz) ? m_stations.value(kHz) : defaultStation(kHz);
        if (!k.set(p, unquote(value), error))
            return false;
        m_stations.insert(kHz, p);
        return true;
    }
    *error = QStringLiteral("unknown key: ") + key;
    return false;
}

} // namespace vantor::sim
