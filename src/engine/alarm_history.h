// Every alarm raised and cleared, kept across restarts: appended a line at a
// time to "alarm-history.jsonl" in the data folder (one JSON object a line),
// which is set aside as "alarm-history.1.jsonl" once it holds its bound of
// lines, so the two files never hold more than twice that. The entries stay in
// memory too, so reading the history reads no file.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <deque>

namespace vantor {

// One line of the file: an alarm raised or cleared.
struct AlarmEvent {
    bool raised = true;
    QDateTime time; // UTC
    QString device;
    QString station;
    QString frequency; // as the station list has it
    QString kind;      // machine name: "silence", ..., "connection", "no_response"
    QString value;     // the reading, as received
    QString limit;     // the alarm set's condition, for a raise
};

// An alarm from its raise to its clear.
struct AlarmHistoryEntry {
    QString device;
    QString station;
    QString frequency;
    QString kind;
    QString value; // at the raise
    QString limit;
    QDateTime raised;
    QDateTime cleared;    // invalid while active, or when it was never seen to clear
    QString clearedValue; // the reading that ended it
    bool active = false;  // raised in this run and not cleared yet
};

struct AlarmHistoryFilter {
    QString device; // empty: all
    QString kind;   // empty: all
    int limit = 200;
};

class AlarmHistory
{
public:
    static inline const QString FileName = QStringLiteral("alarm-history.jsonl");
    static inline const QString PreviousFileName = QStringLiteral("alarm-history.1.jsonl");
    static constexpr int DefaultMaxLines = 20000;

    explicit AlarmHistory(int maxLines = DefaultMaxLines);

    // Reads the history kept in folder and appends there from now on. An
    // alarm still open in the files was open when the program last stopped:
    // it stays without a clear. False with error set when a file cannot be
    // read (the history then starts empty) or holds malformed lines (they are
    // skipped).
    bool Open(const QString &folder, QString *error);
    // Adds an event. False with error set when the line could not be written;
    // the entry is kept in memory all the same.
    bool Record(const AlarmEvent &event, QString *error);

    // Newest first.
    QList<AlarmHistoryEntry> Entries(const AlarmHistoryFilter &filter) const;

private:
    void Apply(const AlarmEvent &event);
    bool Rotate(QString *error);

    int m_maxLines;
    QString m_folder; // empty: not kept in a file
    int m_linesInFile = 0;
    bool m_lastWriteFailed = false;
    std::deque<AlarmHistoryEntry> m_entries; // oldest first
    qint64 m_firstNumber = 0;                // the number of m_entries.front()
    QHash<QString, qint64> m_open;           // device + kind -> entry number
};

// {"alarms":[...]}, each entry with its times as ISO 8601 UTC.
QByteArray AlarmHistoryJson(const QList<AlarmHistoryEntry> &entries);

} // namespace vantor
