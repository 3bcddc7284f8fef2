// One simulated FM analyzer receiver behind one device link: it takes the
// program's commands (tuning, output switches, queries, alarm pins), answers
// the queries with named responses and streams RDS groups while its RDS output
// is on. Everything runs on the event loop; nothing blocks.
#pragma once

#include "device_link.h"
#include "measurements.h"
#include "rds_stream.h"
#include "scenario.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

#include <functional>
#include <optional>

namespace vantor::sim {

class Receiver : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // Takes ownership of the link.
    Receiver(Scenario scenario, quint32 seed, DeviceLink *link, QObject *parent = nullptr);

    // The machine's local time by default; the station's clock is this plus
    // its ClockOffset.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    Scenario &scenario() { return m_scenario; }
    DeviceLink *link() const { return m_link; }

    int tunedKHz() const { return m_tunedKHz; }
    // Last "*X"/"*x" seen for a letter (digits count as on once seen).
    bool switchOn(char letter) const;

    // Stops answering (commands are still taken in) or resumes.
    void setSilent(bool silent) { m_silent = silent; }
    bool isSilent() const { return m_silent; }
    // Reports this frequency in "Frequency" answers until the next tuning.
    void setDrift(double mhz) { m_driftMHz = mhz; }

    // Sends one response line as is (the line ending is added), whether or
    // not the receiver is silent; false when no program is connected.
    bool sendLine(const QByteArray &line);

    // The last commands received, oldest first.
    const QList<QByteArray> &commandLog() const { return m_commandLog; }
    static constexpr int commandLogSize = 200;

    // One line: tuned and reported frequency, switches, alarm pins, silence,
    // link state.
    QString statusText() const;

private:
    void receive(const QByteArray &data);
    void handleCommand(const QByteArray &command);
    void tune(int kHz);
    void setSwitch(char c);
    void answerQuery(char query, const QByteArray &argument);
    void respond(const QByteArray &line);
    void restartHistogram();
    void emitDueGroups();
    const StationParams &heard() const;
    QDateTime stationTime() const;

    Scenario m_scenario;
    DeviceLink *m_link;
    Clock m_clock;
    Measurements m_measurements;
    QRandomGenerator m_blockLoss;

    QByteArray m_input;
    QList<QByteArray> m_commandLog;

    int m_tunedKHz = 87500;
    std::optional<double> m_driftMHz;
    QMap<char, bool> m_switches;
    char m_pins[4] = {'-', '-', '-', '-'};
    bool m_silent = false;
    QElapsedTimer m_histogramAge;

    QTimer m_groupTimer;
    QElapsedTimer m_rdsAge;
    qint64 m_groupsDue = 0;
    RdsStream m_rds;
};

} // namespace vantor::sim
