// File work spread over ticks: making a file costs the file system an
// allocation (half a millisecond, more on a slow or network disk), which a
// thousand devices starting or ending a mode at one listed time, or starting
// a new day's log at midnight, would otherwise all ask of one tick. Work
// beyond a tick's share waits, in the order it was asked for, so a copy into
// the archive always reads the file before the next mode replaces it.
#include "engine.h"

namespace vantor {

namespace {
// Six ticks a second make the files of a hundred modes in under four seconds,
// and a tick stays well within its time.
constexpr int FilesMadePerTick = 10;
} // namespace

bool Engine::FileWorkNow() const
{
    return m_fileWork.empty() && m_filesMadeThisTick < FilesMadePerTick;
}

void Engine::DoFileWork(std::function<bool()> work)
{
    if (FileWorkNow()) {
        ++m_filesMadeThisTick;
        work();
        return;
    }
    m_fileWork.push_back(std::move(work));
}

void Engine::RunWaitingFileWork(FileWorkShare share)
{
    while (!m_fileWork.empty() &&
           (share == FileWorkShare::All || m_filesMadeThisTick < FilesMadePerTick)) {
        const std::function<bool()> work = std::move(m_fileWork.front());
        m_fileWork.pop_front();
        if (work())
            ++m_filesMadeThisTick;
    }
}

// Made over the next ticks when this one has made its share; lines given to
// the file meanwhile wait in it.
TextFile Engine::CreateModeFile(int device, QString &name, const QString &path)
{
    const bool now = FileWorkNow();
    auto file =
        std::make_shared<LogFile>(path, now ? LogFile::Open::Replace : LogFile::Open::ReplaceLater);
    if (now) {
        ++m_filesMadeThisTick;
    } else {
        m_fileWork.push_back([this, device, waiting = std::weak_ptr<LogFile>(file)] {
            const TextFile f = waiting.lock();
            // Gone, or made when its mode ended.
            if (!f || !f->awaitsCreation() || InvalidDevice(device))
                return false;
            TDevice &d = Devices[device];
            if (f == d.MeasurementLog)
                MakeWaitingModeFile(device, d.MeasurementLog, d.MeasurementLogName);
            else if (f == d.RDSLog)
                MakeWaitingModeFile(device, d.RDSLog, d.RDSLogName);
            return true;
        });
    }
    if (!file->isOpen()) {
        AddToActivityLog(device, QStringLiteral("Cannot create ") + path + QStringLiteral(": ") +
                                     file->errorString());
        name.clear();
        return {};
    }
    name = path;
    return file;
}

// A new day's logs of many devices are opened over the next ticks like the
// files of modes started together.
void Engine::ReopenActivityLogs(TDateTime date)
{
    for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
        TDevice &d = Devices[i];
        if (!d.ActivityLogOpen)
            continue;
        CloseDeviceLogFile(d);
        OpenDeviceLogFile(Devices, i, Folders.AppLogsFolder, date, nullptr,
                          LogFile::Open::AppendLater);
        m_fileWork.push_back([this, i, waiting = std::weak_ptr<LogFile>(d.ActivityLog)] {
            const TextFile f = waiting.lock();
            if (!f || !f->awaitsCreation() || InvalidDevice(i) || f != Devices[i].ActivityLog)
                return false;
            MakeWaitingActivityLog(i);
            return true;
        });
    }
    RunWaitingFileWork(FileWorkShare::Tick);
}

void Engine::MakeWaitingActivityLog(int device)
{
    TDevice &d = Devices[device];
    if (d.ActivityLog->create()) {
        d.ActivityLog->flush();
        return;
    }
    const QString complaint = QStringLiteral("Cannot open the activity log ") +
                              d.ActivityLog->path() + QStringLiteral(": ") +
                              d.ActivityLog->errorString();
    CloseDeviceLogFile(d);
    AddToActivityLog(1000 + device, complaint);
}

} // namespace vantor
