#include "receiver.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace vantor::sim {

namespace {

// An RDS decoder delivers 1187.5 bit/s in groups of 104 bits.
constexpr double groupsPerSecond = 1187.5 / 104.0;
constexpr int groupTickMs = 40;
// Groups that could not go out while the event loop was held up are lost, as
// in a receiver's overflowing output buffer; at most this many catch up.
constexpr qint64 groupBurstLimit = 3;
// A command longer than this without a line end is garbage and is dropped.
constexpr qsizetype commandLimit = 4096;
constexpr qint64 histogramSampleLimit = 1000000;

struct Query {
    char letter;
    QList<Quantity> quantities;
};

// Which query answers which names; see README.md.
const QList<Query> &queries()
{
    static const QList<Query> table = {
        {'Q', {Quantity::SignalQuality}},
        {'U', {Quantity::Level}},
        {'A', {Quantity::Ave, Quantity::Max}},
        {'N', {Quantity::Min}},
        {'X', {Quantity::MaxHold}},
        {'E', {Quantity::Pm}},
        {'R', {Quantity::Rds, Quantity::PhaseDifference}},
        {'L', {Quantity::Pilot, Quantity::LeftPeak, Quantity::RightPeak}},
        {'I', {Quantity::If}},
    };
    return table;
}

// The measuring outputs: deviation and modulation values need "*M", pilot
// and RDS injection need "*P"; the front end (level, quality, IF, frequency)
// always answers.
char outputSwitch(Quantity q)
{
    switch (q) {
    case Quantity::Max:
    case Quantity::MaxHold:
    case Quantity::Ave:
    case Quantity::Min:
    case Quantity::Pm:
    case Quantity::LeftPeak:
    case Quantity::RightPeak:
        return 'M';
    case Quantity::Pilot:
    case Quantity::Rds:
    case Quantity::PhaseDifference:
        return 'P';
    case Quantity::If:
    case Quantity::SignalQuality:
    case Quantity::Level:
        return 0;
    }
    return 0;
}

bool allDigits(const QByteArray &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

Receiver::Receiver(Scenario scenario, quint32 seed, DeviceLink *link, QObject *parent)
    : QObject(parent), m_scenario(std::move(scenario)), m_link(link),
      m_clock([] { return QDateTime::currentDateTime(); }), m_measurements(seed),
      m_blockLoss(seed ^ 0x5bd1e995U)
{
    m_link->setParent(this);
    connect(m_link, &DeviceLink::received, this, &Receiver::receive);
    m_groupTimer.setInterval(groupTickMs);
    m_groupTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_groupTimer, &QTimer::timeout, this, &Receiver::emitDueGroups);
    restartHistogram();
}

bool Receiver::switchOn(char letter) const
{
    return m_switches.value(letter, false);
}

void Receiver::receive(const QByteArray &data)
{
    m_input.append(data);
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_input.size(); ++i) {
        const char c = m_input.at(i);
        if (c != '\r' && c != '\n')
            continue;
        if (i > start)
            handleCommand(m_input.mid(start, i - start));
        start = i + 1;
    }
    m_input.remove(0, start);
    if (m_input.size() > commandLimit) {
        qWarning("analyzer-sim: dropped %lld bytes without a line end",
                 static_cast<long long>(m_input.size()));
        m_input.clear();
    }
}

void Receiver::handleCommand(const QByteArray &command)
{
    m_commandLog.append(command);
    while (m_commandLog.size() > commandLogSize)
        m_commandLog.removeFirst();

    const QByteArray c = command.trimmed();
    if (c.endsWith("*F")) {
        bool ok = false;
        const int kHz = c.chopped(2).toInt(&ok);
        if (ok && allDigits(c.chopped(2)))
            tune(kHz);
        return;
    }
    if (c.size() == 2 && c.at(0) == '*') {
        setSwitch(c.at(1));
        return;
    }
    static const QRegularExpression pin(QStringLiteral("^AR([IJKL]):G([HD])\\*X$"));
    if (const auto m = pin.match(QString::fromLatin1(c)); m.hasMatch()) {
        m_pins[m.captured(1).at(0).toLatin1() - 'I'] = m.captured(2).at(0).toLatin1();
        return;
    }
    const qsizetype mark = c.indexOf('?');
    if (mark >= 0 && mark == c.size() - 2 && allDigits(c.left(mark)))
        answerQuery(c.at(mark + 1), c.left(mark));
}

void Receiver::tune(int kHz)
{
    m_tunedKHz = kHz;
    m_driftMHz.reset();
    restartHistogram();
    if (m_groupTimer.isActive())
        m_rds.restart(stationTime());
}

void Receiver::setSwitch(char c)
{
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const char key = letter ? static_cast<char>(c & ~0x20) : c;
    const bool on = !letter || (c >= 'A' && c <= 'Z');
    m_switches.insert(key, on);
    if (key == 'E')
        restartHistogram();
    if (key != 'R')
        return;
    if (on && !m_groupTimer.isActive()) {
        m_rds.restart(stationTime());
        m_rdsAge.start();
        m_groupsDue = 0;
        m_groupTimer.start();
    } else if (!on) {
        m_groupTimer.stop();
    }
}

void Receiver::answerQuery(char query, const QByteArray &argument)
{
    const StationParams &station = heard();
    switch (query) {
    case 'F': {
        const double mhz = m_driftMHz.value_or(m_tunedKHz / 1000.0);
        respond("Frequency=" + QByteArray::number(mhz, 'f', 3) + " MHz");
        return;
    }
    case 'H':
        if (switchOn('M')) {
            const qint64 samples =
                std::min(histogramSampleLimit, 500 + m_histogramAge.elapsed() / 10);
            respond("Histogram Data=" + histogramText(station, samples));
        }
        return;
    case 'W':
        respond("W=" + (argument.isEmpty() ? QByteArray("0") : argument));
        return;
    default:
        break;
    }
    for (const Query &q : queries()) {
        if (q.letter != query)
            continue;
        for (Quantity quantity : q.quantities) {
            const char needed = outputSwitch(quantity);
            if (needed == 0 || switchOn(needed))
                respond(quantityName(quantity) + '=' + m_measurements.value(quantity, station));
        }
    }
}

void Receiver::respond(const QByteArray &line)
{
    if (!m_silent)
        m_link->write(line + "\r\n");
}

bool Receiver::sendLine(const QByteArray &line)
{
    if (!m_link->isConnected())
        return false;
    m_link->write(line + "\r\n");
    return true;
}

void Receiver::restartHistogram()
{
    m_histogramAge.start();
}

void Receiver::emitDueGroups()
{
    const auto due =
        static_cast<qint64>(static_cast<double>(m_rdsAge.elapsed()) * groupsPerSecond / 1000.0);
    m_groupsDue = std::max(m_groupsDue, due - groupBurstLimit);
    const StationParams *station = m_scenario.station(m_tunedKHz);
    const bool onAir = station && station->quality > 0 && station->rds > 0.0;
    for (; m_groupsDue < due; ++m_groupsDue) {
        if (!onAir)
            continue;
        unsigned lost = 0;
        const RdsGroup group = m_rds.next(*station, stationTime(), &lost);
        if (station->blockErrorRate > 0.0) {
            for (int i = 0; i < 4; ++i) {
                if (m_blockLoss.generateDouble() < station->blockErrorRate)
                    lost |= 1U << i;
            }
        }
        respond("G=" + groupText(group, lost));
    }
}

const StationParams &Receiver::heard() const
{
    const StationParams *station = m_scenario.station(m_tunedKHz);
    return station ? *station : silence();
}

QDateTime Receiver::stationTime() const
{
    return m_clock().addMSecs(std::llround(heard().clockOffset * 1000.0));
}

QString Receiver::statusText() const
{
    QString switches;
    for (auto it = m_switches.cbegin(); it != m_switches.cend(); ++it) {
        if (!switches.isEmpty())
            switches += QLatin1Char(',');
        switches += QLatin1Char(it.key()) + QLatin1Char(it.value() ? '+' : '-');
    }
    const double reported = m_driftMHz.value_or(m_tunedKHz / 1000.0);
    return QStringLiteral("frequency=") + QString::number(m_tunedKHz / 1000.0, 'f', 3) +
           QStringLiteral(" reported=") + QString::number(reported, 'f', 3) +
           QStringLiteral(" switches=") + (switches.isEmpty() ? QStringLiteral("none") : switches) +
           QStringLiteral(" pins=") + QString::fromLatin1(m_pins, 4) + QStringLiteral(" silent=") +
           (m_silent ? QStringLiteral("on") : QStringLiteral("off")) + QStringLiteral(" link=") +
           (m_link->isConnected() ? QStringLiteral("up") : QStringLiteral("down"));
}

} // namespace vantor::sim
