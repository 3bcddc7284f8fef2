// The station's records served to viewers: the alarm history and the log
// files, listed and downloaded. A file to download is found by listing the
// data folder's log folders and picking the entry of that exact name; the
// request's text is never made part of a path.
#pragma once

#include "http_answer.h"

#include <QString>
#include <QUrlQuery>

namespace vantor {

class AlarmHistory;

// /api/v1/alarms?device=NAME&kind=KIND&limit=N, newest first.
HttpAnswer AlarmHistoryAnswer(const AlarmHistory &history, const QUrlQuery &query);

// /api/v1/logs?subject=NAME&kind=KIND.
HttpAnswer LogListAnswer(const QString &dataFolder, const QUrlQuery &query);

// /api/v1/logs/download?name=NAME: 404 for any name that is not listed.
HttpAnswer LogDownloadAnswer(const QString &dataFolder, const QUrlQuery &query);

// Files larger than this are not sent: the answer is made in memory on the
// engine's loop.
inline constexpr qint64 MaxDownloadBytes = 64 * 1024 * 1024;

} // namespace vantor
