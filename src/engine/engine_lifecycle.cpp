// Start-up and shut-down of the engine, the process-wide error handler and the
// reaction to a change of the system clock.
#include "engine.h"

#include "curl_mail_transport.h"
#include "platform_utils.h"

#include <QDir>
#include <QTimer>

#include <utility>

namespace vantor {

Engine::Engine(const Clock &clock, DeviceLibrary &library, EngineView &view, QObject *parent)
    : QObject(parent), m_clock(clock), m_library(library), m_view(view),
      m_mail(std::make_unique<MailQueue>(std::make_unique<CurlMailTransport>()))
{
    connect(&m_rdsServer, &RdsOutputServer::error, this,
            [this](const QString &text) { RunGuarded([&] { OnRdsOutputError(text); }); });
    connect(&m_rdsServer, &RdsOutputServer::clientRejected, this,
            [this](const QString &text) { RunGuarded([&] { OnRdsClientRejected(text); }); });
    m_library.SetWarningHandler([this](int handle, const QString &text) {
        RunGuarded([&] { OnLinkWarning(handle, text); });
    });
}

Engine::~Engine()
{
    m_library.SetWarningHandler({});
}

void Engine::Start(const QString &exeFolder, const QString &dataFolder)
{
    FormCreate(exeFolder, dataFolder);
    AddToActivityLog(-1, QStringLiteral("Starting up..."));
    AddToActivityLog(-1, QStringLiteral("TUNIX.DLL version ") + LibraryVersion);
    for (const QString &note : std::exchange(m_loadNotes, {}))
        AddToActivityLog(-1, note);
    LoadPreferences();
    UpdateRdsOutput(true);
    Announce();
}

void Engine::FormCreate(const QString &exeFolder, const QString &dataFolder)
{
    G.StartTime = m_clock.now();
    G.StartUtc = m_clock.utcNow();
    G.RdsOutputPort = -1;
    G.LastUptimeDays = 0;
    G.RdsLumexAutoStarted = false;

    Folders.ExeFolder = WithSeparator(exeFolder);
    QDir().mkpath(dataFolder);
    Folders.DataFolder = WithSeparator(dataFolder);

    Folders.StationLogsFolder =
        CheckDir(Folders.DataFolder + QStringLiteral("StationLogs"), Folders.DataFolder);
    Folders.RecentFolder =
        CheckDir(Folders.StationLogsFolder + QStringLiteral("Recent"), Folders.DataFolder);
    Folders.EmailsSentFolder =
        CheckDir(Folders.DataFolder + QStringLiteral("EmailsSent"), Folders.DataFolder);

    G.AppActivityLines.clear();
    Folders.AppLogsFolder =
        CheckDir(Folders.DataFolder + QStringLiteral("AppLogs"), Folders.DataFolder);
    G.AppLog = std::make_shared<LogFile>(Folders.AppLogsFolder + QStringLiteral("app.log"));
    G.AppLogOpen = G.AppLog->isOpen();
    if (QString error; !m_alarmHistory.Open(Folders.DataFolder, &error))
        m_loadNotes.append(QStringLiteral("Alarm history: ") + error);

    G.RestartRequired = false;
    G.ConnectIndex = -1;
    G.RdsOutputDevice = -1;

    Devices.clear();
    Stations.clear();
    AlarmSets.clear();
    G.NextLogTime = 0;
    G.LogDay = m_clock.now();

    LoadSettings();
    for (TDevice &d : Devices)
        ResetDeviceRuntime(d);

    LibraryVersion = m_library.Version();
    OSVersionCode = GetOSVersionCode();
    m_library.SetTCPReconnectTimeout(0);
    G.LastSecondMark = m_clock.utcMilliseconds();
}

bool Engine::FormClose()
{
    CloseRdsOutput();
    try {
        SaveSettings();
    } catch (const std::exception &e) {
        HandleAppException(e);
        return false;
    }
    DisconnectAll();
    RunGuarded([this] { DeleteOldFiles(); });
    return true;
}

void Engine::AfterClose(std::function<void()> done)
{
    // The decoder reads the closing frame while the event loop still serves
    // its connection, rather than losing it to a reset at exit.
    constexpr int ExitPauseMs = 200;
    QTimer::singleShot(RDSLumexRunning() ? ExitPauseMs : 0, this,
                       [this, done = std::move(done)]() mutable {
                           m_mail->Finish(MailShutDownGraceMs, std::move(done));
                       });
}

void Engine::DeleteOldFiles()
{
    if (!m_prefs.Flag(QStringLiteral("DeleteOld")))
        return;
    const int days = m_prefs.Integer(QStringLiteral("DeleteOlderThan"));
    for (const QString &folder :
         {Folders.AppLogsFolder, Folders.EmailsSentFolder, Folders.StationLogsFolder})
        DeleteFilesOlderThan(folder, days, QStringLiteral("*"), m_clock);
}

void Engine::HandleAppException(const std::exception &error)
{
    AddToActivityLog(-1, QStringLiteral("Fatal Error: ") + QString::fromUtf8(error.what()));
}

void Engine::SystemTimeChanged()
{
    AddToActivityLog(-1, QStringLiteral("System time has changed"));
}

void Engine::ShowMessage(const QString &text)
{
    if (m_view.Interactive())
        m_view.ShowMessage(text);
    else
        AddToActivityLog(-1, text);
}

} // namespace vantor
