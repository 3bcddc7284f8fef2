// The monitoring engine: owns the device, station and alarm-set tables, the
// folder set, the engine globals and the preferences, and carries every engine
// operation. It knows no windows: it announces what changed as signals, once
// per tick, and asks EngineView only what it must.
#pragma once

#include "alarm_history.h"
#include "alarm_readings.h"
#include "clock.h"
#include "device_library.h"
#include "engine_news.h"
#include "engine_view.h"
#include "folders.h"
#include "graph_chart.h"
#include "histogram_chart.h"
#include "log_line_template.h"
#include "log_throttle.h"
#include "mail_queue.h"
#include "model.h"
#include "preferences.h"
#include "rds_group.h"
#include "rds_output_server.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vantor {

// An error that ends the operation in progress and is reported as a
// "Fatal Error: " line.
class EngineError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The frequency as the LED display shows it: "98,1" is 98.10, "100" 100.00.
QString LedFrequencyText(const QString &frequency);

// A station's entry in the main window's station box.
QString StationBoxText(const TStation &station);

// A mode countdown as the value list shows it: 118, or 118 (paused).
QString CountdownText(int seconds, bool paused);

struct TrafficTotals {
    qint64 sent = 0;
    qint64 received = 0;

    bool operator==(const TrafficTotals &) const = default;
};

class Engine : public QObject
{
    Q_OBJECT

public:
    // engine_lifecycle.cpp
    Engine(const Clock &clock, DeviceLibrary &library, EngineView &view, QObject *parent = nullptr);
    ~Engine() override;

    // Start-up: folders, "app.log", settings files, device start values, the
    // first log lines and the preferences. dataFolder is created when missing.
    void Start(const QString &exeFolder, const QString &dataFolder);

    // The start-up sequence of the engine proper.
    void FormCreate(const QString &exeFolder, const QString &dataFolder);
    // The shut-down sequence. False when the settings could not be written;
    // the engine then keeps running as it was.
    bool FormClose();
    // The last moments after FormClose, with the event loop running: the
    // closing frame gets its 200 ms to reach the decoder, and queued e-mail up
    // to MailShutDownGraceMs to go out (then it is abandoned and logged as
    // not sent). done runs when both are over.
    void AfterClose(std::function<void()> done);
    static constexpr int MailShutDownGraceMs = 6000;

    void DeleteOldFiles();

    void HandleAppException(const std::exception &error);
    void SystemTimeChanged();

    // Shows a message to the operator, or logs it when nobody is looking.
    void ShowMessage(const QString &text);

    // engine_tables.cpp
    void AddToActivityLog(int target, const QString &message);

    bool InvalidDevice(int index) const;
    bool InvalidStation(int index) const;
    void ClearDevice(int device);

    // engine_settings.cpp
    void LoadSettings();
    // Writes the four INI files; throws EngineError "Unable to write to ...".
    void SaveSettings();
    void InitializeStation(int station);
    void LoadPreferences();
    void KeepConfigToOwner();

    // connection_manager.cpp: the connection manager.
    void TryConnect(int device);
    int InitializeDevice(int device);
    bool DeviceConnected(int device);
    void DisconnectAll();

    // command_polling.cpp: command sending and polling.
    void Send(int device, const QString &command);
    void IgnoreRX(int device, int seconds);
    bool MeasuringMode(int device) const;
    bool RDSMode(int device) const;

    // response_parser.cpp: the response parser.
    // -1000 for an empty or non-numeric text, else its leading number.
    float StrToSingle(const QString &text);
    float StrToSingle(QLatin1StringView text);
    // Slots are those of RecentDataList, for the names set on every response.
    void AddToLastData(int device, const QString &name, const QString &value,
                       int slot = RecentDataList::NoSlot);
    // The value written in place; the stored value, or nullptr when refused.
    const QString *AddToLastData(int device, const QString &name, QLatin1StringView value,
                                 int slot);
    QString GetLastData(int device, const QString &name) const;
    // Whether the recent data hold an entry of that name, whatever its value.
    bool HasLastData(int device, const QString &name) const;
    int GetLastDataInt(int device, const QString &name);
    void HandleResponse(int device, const QString &response, TDateTime now, bool quiet,
                        TAlarmReadings &readings);
    // The same on the response's bytes as the library holds them.
    void HandleResponse(int device, QLatin1StringView response, TDateTime now, bool quiet,
                        TAlarmReadings &readings);

    // histogram_store.cpp
    // Reads a "Histogram Data" text into the device's bins and statistics.
    void StoreHistogram(int device, const QString &text);

    // tuning.cpp
    // Station -1 keeps the device's own station copy (quick entry).
    void Tune(int device, int station, bool manual);
    void Retune(int device, const QString &frequency, bool restoreModes);
    // The "Tune the station" button for a station of the list: the message to
    // show, empty when the station's device was tuned.
    QString TuneStation(int station);
    // Whether an operator's tuning may go to the device: registered,
    // connected and not waiting to connect again.
    bool DeviceUsable(int device);
    int FindDeviceID(const QString &name) const;
    int FindActualAlarmSetID(int device) const;

    // modes.cpp: the measuring and RDS modes.
    void StartMeasuring(int device);
    void StartRDS(int device);
    void FinishMode(int device);
    void Stop(int device);
    // The operator's Stop and Pause buttons for a device.
    void StopByUser(int device);
    void TogglePause(int device);

    // engine_pictures.cpp
    // Pictures of a device drawn with the settings of the moment and saved by
    // the image-file rule; false when nothing was written.
    bool SaveDeviceHistogram(int device, const QString &fileName, int width, int height) const;
    bool SaveDeviceGraph(int device, int column, const QString &fileName, int width,
                         int height) const;
    // How those pictures are drawn, by the preferences of the moment.
    HistogramOptions HistogramPictureOptions() const;
    GraphOptions GraphPictureOptions(int column) const;

    // scheduler.cpp
    bool HandleScheduling(int device);
    int FindNextStationID(const QString &deviceName, int after) const;
    // One counted second of one device.
    void RunDeviceSecond(int device);

    // measurement_log.cpp
    void IniTableLine(int device);
    // The CSV line of a device for the current line composition, empty when no
    // value was filled in.
    QString ComposeLogLine(int device, const QString &date, const QString &time,
                           const QString &decimalPoint) const;

    // alarm_activation.cpp. Alarm kinds are 0 ... AlarmKindCount - 1 (9 on
    // judge the RDS), -1 "Unable to connect" and -2 "No response".
    void ActivateAlarm(int device, int kind);
    void DriveAlarmPin(int device, int pin, int level);
    int EnabledInSomeAlarm(int device, int pin) const;
    // Runs the operator's station file at every tuning.
    void RunUserBatchFile(const QString &parameters);
    void DeactivateAlarm(int device, int kind);

    // alarm_history_record.cpp
    // Every alarm raised and cleared since long before this run, newest last.
    const AlarmHistory &AlarmHistoryRecords() const { return m_alarmHistory; }

    // alarm_evaluation.cpp
    // Compares one tick's readings of a device with its alarm set.
    void EvaluateAlarms(int device, const TAlarmReadings &readings, TDateTime now);
    // One evaluation step of one alarm kind.
    void HandleAlarm(int device, int kind, bool condition, bool present, TDateTime now);

    // rds_alarm_evaluation.cpp
    // The kinds that judge the decoded RDS, while the device receives it.
    void EvaluateRdsAlarms(int device, const TAlarmReadings &readings, TDateTime now);

    // email_sending.cpp
    // E-mail: composes the message and keeps its copy at once, then queues it
    // and returns; the failure is shown and logged when delivery has ended.
    // An empty subject takes the "Subject" setting. done, when given, runs
    // later with the result: true when the message was delivered or no server
    // is configured. A message about a device (index) counts in its e-mails
    // sent or failed once delivery has ended.
    void SendEmail(const QString &recipient, const QString &text, bool showErrors,
                   const QString &subject, std::function<void(bool)> done = {}, int device = -1);
    // The Preferences dialog's test message; its outcome comes as
    // TestEmailFinished.
    void SendTestEmail();
    void SendDailyReport();
    // Replaces the mail transport (the SMTP client by default); only while no
    // e-mail is pending.
    void SetMailTransport(std::unique_ptr<MailTransport> transport);
    int PendingEmails() const { return m_mail->Pending(); }

    // rds_output.cpp
    // RDS output: the server following the settings (autoStart at start-up;
    // a start-up launch of the decoder follows a newly announced port 300 ms
    // later, on a timer), a group or control frame to every client, the
    // decoder program.
    void UpdateRdsOutput(bool autoStart);
    void SendToRDSLumex(const QString &payload);
    bool RDSLumexRunning() const;
    // The decoder launch: at start-up, or by the operator for the selected device.
    void LaunchDecoder(bool startUp);
    // The closing frame at shut-down; AfterClose gives it a moment to arrive.
    void CloseRdsOutput();
    int RdsOutputServerPort() const { return m_rdsServer.Port(); }

    // status_display.cpp
    // Status display: the traffic totals for the activity filter (0 all
    // devices, i + 1 device i, anything else none) and the uptime text.
    TrafficTotals Traffic(int filterIndex) const;
    QString UptimeText() const;
    // Milliseconds since the receive tick last began, -1 before its first run:
    // whether the engine's timers still run, for a supervisor to ask.
    qint64 MsSinceReceiveTick() const;

    // editor_operations.cpp
    // Editor operations: the editors edit copies and hand the result over here.
    // The message refusing the station editors, empty when they may open.
    QString StationEditorRefusal() const;
    // Replaces the station list and refills the station box; devices keep the
    // station copy they work on.
    void ReplaceStations(std::vector<TStation> stations);
    // The device list for the next start; raises RestartRequired.
    void ReplaceDevicesToSave(std::vector<TDeviceToSave> devices);
    // One working record per device, in table order, and the way back.
    std::vector<TSch> ScheduleCopy() const;
    void ApplySchedules(const std::vector<TSch> &schedules);
    // Devices take the sets at their next tuning.
    void ReplaceAlarmSets(std::vector<TAlarmSet> alarmSets);
    // A one-off station on a device, tuned at once; mode 0 measuring, 1 RDS,
    // 2 both. False, with "Not connected" in the device's log, when the
    // device cannot be tuned now.
    bool TuneQuickStation(int device, const QString &frequency, int mode);

    // engine_news.cpp
    // Runs one event handler; an error escaping it is logged and the handler
    // cut short, as the process-wide handler does. What the handler changed is
    // announced when it ends (also when a dialog's event loop runs ticks
    // inside an operator's handler, so the windows stay current meanwhile).
    template <typename F> void RunGuarded(F &&handler)
    {
        try {
            handler();
        } catch (const std::exception &e) {
            HandleAppException(e);
        } catch (...) {
            HandleAppException(std::runtime_error("unknown error"));
        }
        Announce();
    }

    // Emits what changed since the last announcement.
    void Announce();

    // The tables, for reading; they change only through the operations above.
    const std::vector<TDevice> &DeviceTable() const { return Devices; }
    const std::vector<TDeviceToSave> &DevicesToSaveTable() const { return DevicesToSave; }
    const std::vector<TStation> &StationTable() const { return Stations; }
    const std::vector<TAlarmSet> &AlarmSetTable() const { return AlarmSets; }
    const FolderSet &FolderPaths() const { return Folders; }
    const TGlobals &Globals() const { return G; }

    // What the engine was given, and the preferences it reads.
    const Clock &clock() const { return m_clock; }
    DeviceLibrary &library() { return m_library; }
    EngineView &view() { return m_view; }
    Preferences &Prefs() { return m_prefs; }
    const Preferences &Prefs() const { return m_prefs; }

signals:
    // The text the Preferences dialog shows for its test message.
    void TestEmailFinished(const QString &text);
    // Devices that changed, each with what changed (DeviceChange bits), in
    // the order they first changed; once per tick or operator action.
    void devicesChanged(const QList<vantor::DeviceNews> &news);
    // The station list changed (loaded or edited).
    void stationsChanged();
    // The status tick ran; secondPassed on the ticks that count a second
    // (uptime and countdowns), every tick may change the traffic totals.
    void statusTicked(bool secondPassed);
    // The status bar text while files are saved ("" when done).
    void statusTextChanged(const QString &text);

public slots:
    // The six timer ticks, each in the file of the work it drives.
    void TimerConnectTimer();   // connection_manager.cpp
    void TimerSendTimer();      // command_polling.cpp
    void TimerReceiveTimer();   // response_parser.cpp
    void TimerMeasuringTimer(); // scheduler.cpp
    void TimerStatusTimer();    // status_display.cpp
    void TimerWriteLogTimer();  // measurement_log.cpp

private:
    // Tests, benchmarks and fuzz targets set up state through these directly.
    friend class EngineTables;

    std::vector<TDevice> Devices;
    std::vector<TDeviceToSave> DevicesToSave;
    std::vector<TStation> Stations;
    std::vector<TAlarmSet> AlarmSets;
    FolderSet Folders;
    TGlobals G;
    QString LibraryVersion;
    int OSVersionCode = 9;

    QString DataFile(const char *name) const;
    QString RecentFile(int device, const QString &ending) const;
    QString PictureEnding() const;
    // File work (see file_work.cpp): done now when the tick has made less
    // than its share of files and nothing waits before it, else queued; a
    // queued work returns false when it found nothing left to do.
    bool FileWorkNow() const;
    void DoFileWork(std::function<bool()> work);
    enum class FileWorkShare { Tick, All };
    void RunWaitingFileWork(FileWorkShare share);
    TextFile CreateModeFile(int device, QString &name, const QString &path);
    // Makes a mode file that waits to be made; when it cannot be, says so and
    // clears its name. False then.
    bool MakeWaitingModeFile(int device, TextFile &file, QString &name);
    void DropEmptyModeFile(int device, TextFile &file, QString &name);
    void MakeWaitingActivityLog(int device);
    void DropModeLog(int device, QString &name);
    void ArchiveFile(int device, const QString &stationName, const QString &file,
                     const QString &archiveName);
    void SaveHistogramFile(int device, const QString &station, const QString &file,
                           const QByteArray &text, const QString &stamp);
    void OpenActivityLog(int device, TDateTime date);
    void ReopenActivityLogs(TDateTime date);
    void SaveMeasuringFiles(int device, TDateTime finished);
    void OnRdsOutputError(const QString &text);
    void OnRdsClientRejected(const QString &text);
    // Data lost on a device's link, told by the library: one line a minute
    // per device in its activity log.
    void OnLinkWarning(int handle, const QString &text);
    // An RDS group received: PI and clock time, the decoder, the RDS log,
    // the RDS output.
    void HandleGroup(int device, const QString &group, TDateTime now, TAlarmReadings &readings);
    // The device's decoder and change log take a group (rds_reception.cpp);
    // the tick's readings learn what the RDS alarms look at.
    void DecodeRds(int device, const RdsGroup &group, TDateTime now, TAlarmReadings &readings);
    // The device was tuned: its decoder starts afresh.
    void RestartRds(int device);
    // Told in the activity log the first time a name is refused after tuning.
    void NoteRefusedName(int device);
    void Note(int device, DeviceChange change) { m_news.note(device, change); }
    // Adds a raise or clear of one of the device's alarms to the history.
    void RecordAlarmHistory(int device, int kind, bool raised);

    const Clock &m_clock;
    DeviceLibrary &m_library;
    EngineView &m_view;
    Preferences m_prefs;
    // Compiled again whenever the composition setting differs.
    mutable LogLineTemplate m_lineTemplate;
    // What loading the settings files had to correct, logged once start-up is
    // announced.
    QStringList m_loadNotes;
    std::unique_ptr<MailQueue> m_mail;
    // The RDS log stamp of the current receive tick.
    TDateTime m_rdsStampTime = -1;
    QString m_rdsStamp;
    RdsOutputServer m_rdsServer;
    LogThrottle m_rdsRejections;
    LogThrottle m_linkWarnings;
    NewsCollector m_news;
    QElapsedTimer m_receiveTick;
    AlarmHistory m_alarmHistory;
    // Files made in the current tick, and the file work waiting for later
    // ticks in the order it was asked for.
    int m_filesMadeThisTick = 0;
    std::deque<std::function<bool()>> m_fileWork;
};

} // namespace vantor
