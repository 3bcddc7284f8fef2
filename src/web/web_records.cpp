#include "web_records.h"

#include "alarm_history.h"
#include "log_files.h"

#include <algorithm>

namespace vantor {

namespace {
QString Item(const QUrlQuery &query, const char *name)
{
    return query.queryItemValue(QLatin1String(name), QUrl::FullyDecoded);
}

QByteArray DownloadType(LogFileKind kind)
{
    switch (kind) {
    case LogFileKind::Csv:
        return "text/csv; charset=utf-8";
    case LogFileKind::Activity:
        return "text/plain; charset=utf-8";
    case LogFileKind::Rds:
        break;
    }
    return "application/octet-stream";
}
} // namespace

HttpAnswer AlarmHistoryAnswer(const AlarmHistory &history, const QUrlQuery &query)
{
    AlarmHistoryFilter filter;
    filter.device = Item(query, "device");
    filter.kind = Item(query, "kind");
    if (query.hasQueryItem(QStringLiteral("limit"))) {
        bool ok = false;
        filter.limit = Item(query, "limit").toInt(&ok);
        if (!ok || filter.limit < 1 || filter.limit > 5000)
            return HttpAnswer::JsonError(400, QStringLiteral("\"limit\" is 1 to 5000"));
    }
    return {200, "application/json", AlarmHistoryJson(history.Entries(filter)), {}};
}

HttpAnswer LogListAnswer(const QString &dataFolder, const QUrlQuery &query)
{
    LogFileFilter filter;
    filter.subject = Item(query, "subject");
    if (const QString kind = Item(query, "kind"); !kind.isEmpty()) {
        filter.kind = LogFileKindFromName(kind);
        if (!filter.kind)
            return HttpAnswer::JsonError(400, QStringLiteral("\"kind\" is activity, csv or rds"));
    }
    return {200,
            "application/json",
            LogFilesJson(FilterLogFiles(ListLogFiles(dataFolder), filter)),
            {}};
}

HttpAnswer LogDownloadAnswer(const QString &dataFolder, const QUrlQuery &query)
{
    const auto entry = FindLogFile(ListLogFiles(dataFolder), Item(query, "name"));
    if (!entry)
        return HttpAnswer::Text(404, "Not found");
    QString error;
    const auto file = OpenListedLogFile(*entry, &error);
    if (!file)
        return HttpAnswer::Text(404, "Not found");
    if (file->size() > MaxDownloadBytes)
        return HttpAnswer::Text(413, "Too large to download here");
    HttpAnswer answer{200, DownloadType(entry->kind), file->read(MaxDownloadBytes), {}};
    answer.headers.emplaceBack("Content-Disposition", ContentDispositionFor(*entry));
    return answer;
}

} // namespace vantor
