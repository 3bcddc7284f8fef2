#include "alarm_history.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantor {

namespace {
// Alarms about the link itself are told once; nothing clears them.
bool OneOff(const QString &kind)
{
    return kind == QLatin1String("connection") || kind == QLatin1String("no_response");
}

QString OpenKey(const QString &device, const QString &kind)
{
    return device + QChar(0x1f) + kind;
}

QString TimeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QByteArray EventLine(const AlarmEvent &event)
{
    QJsonObject o;
    o.insert(QStringLiteral("event"),
             event.raised ? QStringLiteral("raised") : QStringLiteral("cleared"));
    o.insert(QStringLiteral("time"), TimeText(event.time));
    o.insert(QStringLiteral("device"), event.device);
    o.insert(QStringLiteral("station"), event.station);
    o.insert(QStringLiteral("frequency"), event.frequency);
    o.insert(QStringLiteral("kind"), event.kind);
    o.insert(QStringLiteral("value"), event.value);
    if (event.raised)
        o.insert(QStringLiteral("limit"), event.limit);
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<AlarmEvent> ParseLine(const QByteArray &line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject o = document.object();
    const QString event = o.value(QStringLiteral("event")).toString();
    AlarmEvent parsed;
    parsed.raised = event == QLatin1String("raised");
    parsed.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
    parsed.device = o.value(QStringLiteral("device")).toString();
    parsed.station = o.value(QStringLiteral("station")).toString();
    parsed.frequency = o.value(QStringLiteral("frequency")).toString();
    parsed.kind = o.value(QStringLiteral("kind")).toString();
    parsed.value = o.value(QStringLiteral("value")).toString();
    parsed.limit = o.value(QStringLiteral("limit")).toString();
    if ((!parsed.raised && event != QLatin1String("cleared")) || !parsed.time.isValid() ||
        parsed.kind.isEmpty())
        return std::nullopt;
    return parsed;
}

QJsonValue OrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}
} // namespace

AlarmHistory::AlarmHistory(int maxLines) : m_maxLines(maxLines) {}

bool AlarmHistory::Open(const QString &folder, QString *error)
{
    m_folder = folder;
    m_entries.clear();
    m_open.clear();
    m_linesInFile = 0;
    bool whole = true;
    for (const QString &name : {PreviousFileName, FileName}) {
        QFile file(QDir(folder).filePath(name));
        if (!file.exists())
            continue;
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.fileName() + QStringLiteral(": ") + file.errorString();
            whole = false;
            continue;
        }
        int lines = 0;
        int malformed = 0;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (line.isEmpty())
                continue;
            ++lines;
            if (const auto event = ParseLine(line))
                Apply(*event);
            else
                ++malformed;
        }
        if (name == FileName)
            m_linesInFile = lines;
        if (malformed > 0) {
            *error =
                file.fileName() + QStringLiteral(": %1 malformed lines skipped").arg(malformed);
            whole = false;
        }
    }
    // What was open when the program stopped is not cleared by this run's
    // events: their clear was never seen.
    m_open.clear();
    for (AlarmHistoryEntry &entry : m_entries)
        entry.active = false;
    return whole;
}

void AlarmHistory::Apply(const AlarmEvent &event)
{
    const QString key = OpenKey(event.device, event.kind);
    if (!event.raised) {
        const auto open = m_open.find(key);
        if (open == m_open.end())
            return;
        const qint64 index = *open - m_firstNumber;
        m_open.erase(open);
        if (index < 0)
            return;
        AlarmHistoryEntry &entry = m_entries[static_cast<std::size_t>(index)];
        entry.cleared = event.time;
        entry.clearedValue = event.value;
        entry.active = false;
        return;
    }
    AlarmHistoryEntry entry{event.device, event.station,      event.frequency, event.kind,
                            event.value,  event.limit,        event.time,      QDateTime(),
                            QString(),    !OneOff(event.kind)};
    // A second raise without a clear between: the first was never seen to clear.
    if (const auto open = m_open.find(key); open != m_open.end()) {
        const qint64 index = *open - m_firstNumber;
        if (index >= 0)
            m_entries[static_cast<std::size_t>(index)].active = false;
    }
    m_entries.push_back(entry);
    if (entry.active)
        m_open.insert(key, m_firstNumber + static_cast<qint64>(m_entries.size()) - 1);
    else
        m_open.remove(key);
    while (m_entries.size() > static_cast<std::size_t>(m_maxLines)) {
        m_entries.pop_front();
        ++m_firstNumber;
    }
}

bool AlarmHistory::Record(const AlarmEvent &event, QString *error)
{
    Apply(event);
    if (m_folder.isEmpty())
        return true;
    if (m_linesInFile >= m_maxLines && !Rotate(error))
        return false;
    QFile file(QDir(m_folder).filePath(FileName));
    // After a failed write the file may end in part of a line: a line end
    // first keeps the next line whole.
    const QByteArray line = (m_lastWriteFailed ? "\n" : "") + EventLine(event);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() ||
        !file.flush()) {
        *error = file.fileName() + QStringLiteral(": ") + file.errorString();
        m_lastWriteFailed = true;
        return false;
    }
    m_lastWriteFailed = false;
    ++m_linesInFile;
    return true;
}

bool AlarmHistory::Rotate(QString *error)
{
    const QDir dir(m_folder);
    QFile::remove(dir.filePath(PreviousFileName));
    if (!QFile::rename(dir.filePath(FileName), dir.filePath(PreviousFileName))) {
        *error =
            dir.filePath(FileName) + QStringLiteral(": cannot be set aside as ") + PreviousFileName;
        return false;
    }
    m_linesInFile = 0;
    return true;
}

QList<AlarmHistoryEntry> AlarmHistory::Entries(const AlarmHistoryFilter &filter) const
{
    QList<AlarmHistoryEntry> found;
    for (auto it = m_entries.rbegin(); it != m_entries.rend() && found.size() < filter.limit;
         ++it) {
        if ((filter.device.isEmpty() || it->device == filter.device) &&
            (filter.kind.isEmpty() || it->kind == filter.kind))
            found.append(*it);
    }
    return found;
}

QByteArray AlarmHistoryJson(const QList<AlarmHistoryEntry> &entries)
{
    QJsonArray alarms;
    for (const AlarmHistoryEntry &entry : entries) {
        QJsonObject o;
        o.insert(QStringLiteral("device"), entry.device);
        o.insert(QStringLiteral("station"), OrNull(entry.station));
        o.insert(QStringLiteral("frequency_mhz"), OrNull(entry.frequency));
        o.insert(QStringLiteral("kind"), entry.kind);
        o.insert(QStringLiteral("value"), OrNull(entry.value));
        o.insert(QStringLiteral("limit"), OrNull(entry.limit));
        o.insert(QStringLiteral("raised"), TimeText(entry.raised));
        o.insert(QStringLiteral("cleared"), OrNull(TimeText(entry.cleared)));
        o.insert(QStringLiteral("cleared_value"), OrNull(entry.clearedValue));
        o.insert(QStringLiteral("active"), entry.active);
        alarms.append(o);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("alarms"), alarms}})
        .toJson(QJsonDocument::Compact);
}

} // namespace vantor
