#include "rds_change_log.h"

#include "platform_utils.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace vantor {

namespace {

QString Hex(int value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

std::uint64_t PsGroups(const RdsState &s)
{
    return s.groupCounts[0] + s.groupCounts[1];
}

QString Frequencies(const QList<double> &list)
{
    QStringList texts;
    for (const double f : list)
        texts.append(QString::number(f, 'f', 1));
    return texts.join(QLatin1Char(' '));
}

} // namespace

QString RdsChangeLogFileName(const QString &appLogsFolder, const QString &deviceName,
                             TDateTime date)
{
    return appLogsFolder +
           DataFileName(deviceName, QStringLiteral(" - ") +
                                        FormatDateTime(QStringLiteral("yyyy-mm-dd"), date) +
                                        QStringLiteral(" RDS.csv"));
}

QByteArray RdsChangeLine(TDateTime when, const QString &what, const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    // Line breaks received in a text would split the line.
    quoted.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return (FormatDateTime(QStringLiteral("yyyy-mm-dd hh:nn:ss"), when) + QLatin1Char(';') + what +
            QStringLiteral(";\"") + quoted + QStringLiteral("\"\r\n"))
        .toUtf8();
}

QString RdsAfText(const RdsAlternativeFrequencies &af)
{
    if (!af.methodB)
        return Frequencies(af.same);
    return QStringLiteral("B ") + QString::number(af.tuned, 'f', 1) + QStringLiteral(": ") +
           Frequencies(af.same) + QStringLiteral(" / regional: ") + Frequencies(af.regional);
}

RdsChangeLog::RdsChangeLog(const QString &appLogsFolder, const QString &deviceName)
    : m_folder(appLogsFolder), m_device(deviceName)
{}

bool RdsChangeLog::write(TDateTime now, const QString &what, const QString &value)
{
    const int day = static_cast<int>(std::floor(now));
    if (day != m_fileDay) {
        m_fileDay = day;
        m_failed = false;
        const QString path = RdsChangeLogFileName(m_folder, m_device, now);
        const bool fresh = !QFileInfo::exists(path);
        m_file = std::make_unique<LogFile>(path);
        if (!m_file->isOpen()) {
            m_error = path + QStringLiteral(": ") + m_file->errorString();
            m_file.reset();
            m_failed = true;
            return false;
        }
        if (fresh && !m_file->write(QByteArrayLiteral("Time;What;Value\r\n")))
            m_failed = true;
    }
    if (m_failed)
        return false;
    if (!m_file->write(RdsChangeLine(now, what, value))) {
        m_error = m_file->path() + QStringLiteral(": ") + m_file->errorString();
        m_failed = true;
        return false;
    }
    return true;
}

bool RdsChangeLog::tuned(const QString &station, TDateTime now)
{
    const bool wasFailed = m_failed;
    m_failed = false;
    m_psLogged.clear();
    m_psCandidate.clear();
    m_psWaiting = false;
    m_psUnstable = 0;
    m_psScrolling = false;
    if (m_fileDay >= 0 && !m_file)
        m_fileDay = -1; // try to open it again
    return write(now, QStringLiteral("Station"), station) || wasFailed;
}

// A station that scrolls its PS and shows its name between the runs writes
// its name once and "PS scrolling" once; only another name that stays writes
// again.
bool RdsChangeLog::recordPs(const RdsState &state, TDateTime now)
{
    if (!m_psWaiting || PsGroups(state) - m_psCandidateSince < StablePsGroups)
        return true;
    m_psWaiting = false;
    m_psUnstable = 0;
    if (m_psCandidate == m_psLogged)
        return true;
    m_psLogged = m_psCandidate;
    m_psScrolling = false;
    return write(now, QStringLiteral("PS"), m_psLogged);
}

QString RdsChangeValue(const RdsState &s, RdsDecoder::Change change, PtyNames names)
{
    switch (change) {
    case RdsDecoder::Pi:
        return Hex(s.pi, 4);
    case RdsDecoder::Rt:
        return s.rt.complete;
    case RdsDecoder::Pty:
        return QString::number(s.pty) + QLatin1Char(' ') + PtyName(s.pty, names);
    case RdsDecoder::Tp:
        return QString::number(s.tp);
    case RdsDecoder::Ta:
        return QString::number(s.ta);
    case RdsDecoder::Af:
        return RdsAfText(s.af);
    case RdsDecoder::Ecc: {
        const QString country = EccCountry(s.ecc, s.pi);
        return country.isEmpty()
                   ? Hex(s.ecc, 2)
                   : Hex(s.ecc, 2) + QStringLiteral(" (") + country + QLatin1Char(')');
    }
    case RdsDecoder::Pin:
        return QStringLiteral("%1 %2:%3")
            .arg(s.pinDay)
            .arg(s.pinHour, 2, 10, QLatin1Char('0'))
            .arg(s.pinMinute, 2, 10, QLatin1Char('0'));
    default:
        return s.ps.complete;
    }
}

bool RdsChangeLog::record(const RdsState &s, std::uint32_t changes, TDateTime now, PtyNames names)
{
    const bool wasFailed = m_failed && static_cast<int>(std::floor(now)) == m_fileDay;
    bool ok = true;
    if (changes & RdsDecoder::Pi)
        ok = write(now, QStringLiteral("PI"), RdsChangeValue(s, RdsDecoder::Pi, names)) && ok;
    if (changes & RdsDecoder::Ps) {
        // A name replaced before it stayed counts towards scrolling; the
        // second such name in a row writes one line.
        if (m_psWaiting && ++m_psUnstable >= 2 && !m_psScrolling) {
            m_psScrolling = true;
            ok = write(now, QStringLiteral("PS scrolling"), s.ps.complete) && ok;
        }
        m_psCandidate = s.ps.complete;
        m_psCandidateSince = PsGroups(s);
        m_psWaiting = true;
    }
    ok = recordPs(s, now) && ok;
    static const std::pair<RdsDecoder::Change, const char *> Logged[] = {
        {RdsDecoder::Rt, "RT"},  {RdsDecoder::Pty, "PTY"}, {RdsDecoder::Tp, "TP"},
        {RdsDecoder::Ta, "TA"},  {RdsDecoder::Af, "AF"},   {RdsDecoder::Ecc, "ECC"},
        {RdsDecoder::Pin, "PIN"}};
    for (const auto &[change, what] : Logged) {
        if (changes & change)
            ok = write(now, QLatin1String(what), RdsChangeValue(s, change, names)) && ok;
    }
    // A failure is told once; the lines dropped after it are not.
    return ok || wasFailed;
}

} // namespace vantor
