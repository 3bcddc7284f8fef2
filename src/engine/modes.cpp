// Measuring, RDS and combined modes: the analyzer's outputs, the files of a
// mode in the Recent folder and their archive copies; Stop and Pause.
#include "engine.h"
#include "platform_utils.h"

#include <QFile>

namespace vantor {

namespace {
const QString RdsReset = QStringLiteral("RESET-----------");

// False when lines still pending could not be written.
bool CloseModeFile(TextFile &file)
{
    const bool closed = !file || file->close();
    file.reset();
    return closed;
}
} // namespace

QString Engine::RecentFile(int device, const QString &ending) const
{
    return Folders.RecentFolder + DataFileName(Devices[device].Station.Name, ending);
}

bool Engine::MakeWaitingModeFile(int device, TextFile &file, QString &name)
{
    if (!file || !file->awaitsCreation())
        return true;
    if (!file->create()) {
        AddToActivityLog(device, QStringLiteral("Cannot create ") + file->path() +
                                     QStringLiteral(": ") + file->errorString());
        file.reset();
        name.clear();
        return false;
    }
    // What it was given so far goes in at once.
    if (!file->flush()) {
        DropEmptyModeFile(device, file, name);
        return false;
    }
    return true;
}

// A mode file just made that cannot take even its first lines (a full disk)
// is not left behind empty.
void Engine::DropEmptyModeFile(int device, TextFile &file, QString &name)
{
    const QString path = name;
    DropModeLog(device, name);
    file.reset();
    QFile::remove(path);
}

// A mode log whose writing failed keeps what it holds; with its name cleared
// nothing more is written to it or archived from it in this mode.
void Engine::DropModeLog(int device, QString &name)
{
    AddToActivityLog(device, QStringLiteral("Cannot write to ") + name +
                                 QStringLiteral("; it is not written again in this mode"));
    name.clear();
}

// Copies a finished file into the station archive. When that fails the file is
// renamed in the Recent folder to the flat archive name, so that the next mode
// of the station does not overwrite it.
void Engine::ArchiveFile(int device, const QString &stationName, const QString &file,
                         const QString &archiveName)
{
    const QString station = SafeFileName(stationName);
    QString error;
    if (FileCopy(file, Folders.StationLogsFolder, station, archiveName,
                 m_prefs.Integer(QStringLiteral("Structure")), &error))
        return;
    const QString kept =
        Folders.RecentFolder + DataFileName(station, QStringLiteral(" - ") + archiveName);
    QFile::remove(kept);
    const QString where = QFile::rename(file, kept) ? QStringLiteral("; kept as ") + kept
                                                    : QStringLiteral("; left as ") + file;
    AddToActivityLog(device, QStringLiteral("Cannot archive ") + error + where);
}

QString Engine::PictureEnding() const
{
    return m_prefs.Integer(QStringLiteral("GraphExt")) == 1 ? QStringLiteral(".jpg")
                                                            : QStringLiteral(".bmp");
}

void Engine::StartMeasuring(int device)
{
    if (InvalidDevice(device))
        return;
    FinishMode(device);
    IgnoreRX(device, 4);
    for (const char *c : {"*E", "*1", "*M", "*P"})
        Send(device, QLatin1String(c));
    TDevice &d = Devices[device];
    if (m_prefs.Flag(QStringLiteral("LogMeasuring"))) {
        d.MeasurementLog = CreateModeFile(device, d.MeasurementLogName,
                                          RecentFile(device, QStringLiteral(".csv")));
        if (d.MeasurementLog &&
            !d.MeasurementLog->writeLine(m_prefs.Text(QStringLiteral("LineComposition"))))
            DropEmptyModeFile(device, d.MeasurementLog, d.MeasurementLogName);
    }
    d.MeasuringStarted = true;
    Note(device, ModeChanged);
    if (d.Station.RDS >= 0) {
        d.Mode = ModeMeasuringPart;
        return;
    }
    d.Mode = ModeMeasuringPart | ModeRdsPart;
    if (device == G.RdsOutputDevice)
        SendToRDSLumex(RdsReset);
    Send(device, QStringLiteral("*R"));
    if (m_prefs.Flag(QStringLiteral("LogRDS")))
        d.RDSLog =
            CreateModeFile(device, d.RDSLogName, RecentFile(device, QStringLiteral(".lumex")));
}

void Engine::StartRDS(int device)
{
    if (InvalidDevice(device))
        return;
    FinishMode(device);
    if (device == G.RdsOutputDevice)
        SendToRDSLumex(RdsReset);
    IgnoreRX(device, 4);
    for (const char *c : {"*m", "*p", "*D", "*R", "*6"})
        Send(device, QLatin1String(c));
    TDevice &d = Devices[device];
    if (m_prefs.Flag(QStringLiteral("LogRDS")))
        d.RDSLog =
            CreateModeFile(device, d.RDSLogName, RecentFile(device, QStringLiteral(".lumex")));
    d.Mode = ModeRdsPart;
    Note(device, ModeChanged);
}

void Engine::FinishMode(int device)
{
    if (InvalidDevice(device))
        return;
    TDevice &d = Devices[device];
    d.Mode = 0;
    Note(device, ModeChanged);
    for (const char *c : {"*m", "*p", "*r"})
        Send(device, QLatin1String(c));
    const TDateTime t = m_clock.now();
    // Each open log is closed and archived under the finishing moment, as
    // file work in its turn; one whose writing failed (name cleared) is closed
    // but not archived.
    auto archive = [&](TextFile &file, QString &name, const QString &ending) {
        if (!file && name.isEmpty())
            return;
        DoFileWork([this, device, station = d.Station.Name, file = std::exchange(file, {}),
                    name = std::exchange(name, {}), ending,
                    archiveName = QString(FileTimeStamp(t) + ending)]() mutable {
            // A file still waiting is made now, with every line it was given.
            MakeWaitingModeFile(device, file, name);
            if (!CloseModeFile(file) && !name.isEmpty())
                DropModeLog(device, name);
            if (name.endsWith(ending))
                ArchiveFile(device, station, name, archiveName);
            return true;
        });
    };
    archive(d.RDSLog, d.RDSLogName, QStringLiteral(".lumex"));
    archive(d.MeasurementLog, d.MeasurementLogName, QStringLiteral(".csv"));
    if (d.MeasuringStarted) {
        d.MeasuringStarted = false;
        if (d.HistoryCount >= 1)
            SaveMeasuringFiles(device, t);
    }
}

// The histogram file and the pictures at the end of a measuring period.
void Engine::SaveHistogramFile(int device, const QString &station, const QString &file,
                               const QByteArray &text, const QString &stamp)
{
    LogFile out(file, LogFile::Open::Replace);
    if (!out.isOpen()) {
        AddToActivityLog(device, QStringLiteral("Cannot create ") + file + QStringLiteral(": ") +
                                     out.errorString());
    } else if (!out.write(text)) {
        // A full disk leaves no empty file behind.
        out.close();
        QFile::remove(file);
        AddToActivityLog(device, QStringLiteral("Cannot write to ") + file);
    } else {
        out.close();
        ArchiveFile(device, station, file, stamp + QStringLiteral(" - histogram.csv"));
    }
}

void Engine::SaveMeasuringFiles(int device, TDateTime finished)
{
    const QString stamp = FileTimeStamp(finished);
    const bool keep = m_prefs.Flag(QStringLiteral("KeepGraphs"));
    const int width = m_prefs.Integer(QStringLiteral("GraphWidth"));
    const int height = m_prefs.Integer(QStringLiteral("GraphHeight"));
    const QString ending = PictureEnding();
    emit statusTextChanged(QStringLiteral("Saving data ..."));

    const QString histogram = GetLastData(device, QStringLiteral("Histogram Data"));
    if (m_prefs.Flag(QStringLiteral("LogHistogram")) && !histogram.isEmpty()) {
        DoFileWork([this, device, station = Devices[device].Station.Name,
                    file = RecentFile(device, QStringLiteral(" - histogram.csv")),
                    text = histogram.toLatin1(), stamp] {
            SaveHistogramFile(device, station, file, text, stamp);
            return true;
        });
    }
    // A picture that could not be saved is reported; one saved is archived
    // only when older pictures are kept.
    auto picture = [&](bool saved, const QString &file, const QString &archiveName) {
        if (!saved)
            AddToActivityLog(device, QStringLiteral("Cannot save the picture ") + file);
        else if (keep)
            ArchiveFile(device, Devices[device].Station.Name, file, archiveName);
    };
    if (m_prefs.Flag(QStringLiteral("SaveHistogram"))) {
        const QString file = RecentFile(device, QStringLiteral(" - histogram") + ending);
        picture(SaveDeviceHistogram(device, file, width, height), file,
                QStringLiteral("histogram - ") + stamp + ending);
    }
    for (int n = 1; n <= NamedColumnCount; ++n) {
        if (!m_prefs.Flag(QStringLiteral("LogGraph") + QString::number(n)))
            continue;
        const int column = n - 1;
        const QString &name = MeasurementColumns[column];
        const QString file = RecentFile(device, QStringLiteral(" - ") + name + ending);
        picture(SaveDeviceGraph(device, column, file, width, height), file,
                name + QStringLiteral(" - ") + stamp + ending);
    }
    emit statusTextChanged(QString());
}

void Engine::Stop(int device)
{
    if (InvalidDevice(device) || !Devices[device].StationActive)
        return;
    FinishMode(device);
    TDevice &d = Devices[device];
    d.StationIndex = -1;
    d.StationActive = false;
    d.MeasuringCountdown = 0;
    d.RDSCountdown = 0;
    Note(device, Stopped);
}

void Engine::StopByUser(int device)
{
    if (InvalidDevice(device))
        return;
    Stop(device);
    AddToActivityLog(device, QStringLiteral("Stopped by user"));
}

void Engine::TogglePause(int device)
{
    if (InvalidDevice(device))
        return;
    Devices[device].Paused = !Devices[device].Paused;
    Note(device, PauseChanged);
}

} // namespace vantor
