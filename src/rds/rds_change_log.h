// The per-device RDS change log: one CSV file a day beside the device's
// activity logs, a line for each change of what the station sends (PI, PS,
// RadioText, PTY, TP, TA, AF list, ECC, PIN). A name that scrolls writes one
// line when it starts scrolling, not one per name.
#pragma once

#include "log_file.h"
#include "rds_decoder.h"
#include "rds_tables.h"

#include <QString>

#include <memory>

namespace vantor {

// The file of one day: AppLogsFolder + DataFileName(device, " - yyyy-mm-dd RDS.csv").
QString RdsChangeLogFileName(const QString &appLogsFolder, const QString &deviceName,
                             TDateTime date);

// One CSV line: local time, what changed and its new value (quoted).
QByteArray RdsChangeLine(TDateTime when, const QString &what, const QString &value);

// The value a change line gives for one kind of change.
QString RdsChangeValue(const RdsState &state, RdsDecoder::Change change, PtyNames names);
// The value a change line gives for the AF lists.
QString RdsAfText(const RdsAlternativeFrequencies &af);

class RdsChangeLog
{
public:
    // PS groups a name must stay for before it is logged (about 4 s at the
    // usual share of PS groups).
    static constexpr int StablePsGroups = 16;

    RdsChangeLog(const QString &appLogsFolder, const QString &deviceName);

    // Writes the lines for the changes one group made. False, once, when the
    // file cannot be written; lines are then dropped until the next day or
    // the next tuning.
    bool record(const RdsState &state, std::uint32_t changes, TDateTime now, PtyNames names);
    // The device was tuned to a station: a line names it, and what follows is
    // new.
    bool tuned(const QString &station, TDateTime now);

    QString errorString() const { return m_error; }
    QString fileName() const { return m_file ? m_file->path() : QString(); }
    // True while a new name waits to be found stable: record() must then see
    // every group, not only those that changed something.
    bool pending() const { return m_psWaiting; }
    // The last PS that stayed (what a scrolling PS shows between its runs).
    const QString &stablePs() const { return m_psLogged; }

private:
    bool write(TDateTime now, const QString &what, const QString &value);
    bool recordPs(const RdsState &state, TDateTime now);

    QString m_folder;
    QString m_device;
    std::unique_ptr<LogFile> m_file;
    int m_fileDay = -1;
    bool m_failed = false;
    QString m_error;
    QString m_psLogged;                   // the last name that stayed
    QString m_psCandidate;                // the name shown now
    bool m_psWaiting = false;             // it has not stayed long enough yet
    std::uint64_t m_psCandidateSince = 0; // PS groups counted when it appeared
    int m_psUnstable = 0;                 // names in a row that did not stay
    bool m_psScrolling = false;           // the scrolling line was written
};

} // namespace vantor
