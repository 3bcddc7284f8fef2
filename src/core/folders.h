// The folder set of a running station and the folder operations that keep the
// data tree and the station archive.
#pragma once

#include "date_time.h"

#include <QString>

namespace vantor {

// Every folder string ends with the native separator.
struct FolderSet {
    QString ExeFolder;
    QString DataFolder;
    QString AppLogsFolder;
    QString EmailsSentFolder;
    QString StationLogsFolder;
    QString RecentFolder;
};

// Makes sure folder exists (creating one level); returns it with a trailing
// separator, or dataFolder when it neither exists nor can be created.
QString CheckDir(const QString &folder, const QString &dataFolder);

// Copies a finished data file into the station archive: destination +
// station + " - " + fileName, or destination + station + separator + fileName
// when structure is 1 (per-station subfolders). The station part is shortened
// as DataFileName does, so that each name fits. Replaces an existing copy. On
// failure a partly written copy is removed, error (when given) tells the target
// and the reason, and false is returned.
bool FileCopy(const QString &source, const QString &destination, const QString &stationName,
              const QString &fileName, int structure, QString *error = nullptr);

// "yyyy-mm-dd hh-nn-ss", the time stamp in archived file names.
QString FileTimeStamp(TDateTime dt);

// Ensures a trailing native separator.
QString WithSeparator(const QString &folder);

} // namespace vantor
