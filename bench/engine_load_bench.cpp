// The engine under the load of many receivers: N simulated analyzers on
// loopback TCP, every one measuring with RDS at once, driven by the engine's
// six ticks on the real event loop with the real device library. Prints, for
// each N, the CPU the engine costs per device-second and the receive tick's
// median, 99th percentile and longest in wall and CPU time, and checks the
// targets: at 1000 devices a receive tick p99 of at most 10 ms and a longest
// of 20 ms, and a cost per device at 1000 no more than 1.2 times that at 100.
//
// The receivers run in a separate analyzer-sim process, so the CPU counted
// here is the engine's own (plus the Qt event loop it needs).
//
//     engine_load_bench [--devices 10,100,300,1000] [--seconds 20] [--sim PATH]
//                       [--connect-interval MS] [--windows] [--process VANTOR,...]
//
// --connect-interval is the connection tick's interval while the devices come
// up (default 2 ms: all at once). The program itself brings one device up a
// second, so its replies arrive spread out; 1000 does the same, a smaller
// value the same spread compressed.
//
// With --windows the main window and its children show the engine (run it
// under a display, e.g. Xvfb), so the CPU the windows add can be compared
// with the same station headless.
//
// With --process the program itself runs (vantor --headless) against the
// simulator, at its own pace of connections, and its CPU is read from /proc;
// several executables given comma-separated are measured in turn at each N
// (a build before and after a change, under the same load). The receive
// tick cannot be timed from outside, so only the CPU is reported; the target
// is at most 20 % of one core at 1000 devices.
//
// Before the runs a stall check times a fixed computation, to show how long
// this machine stalls a thread that has nothing else to do.
//
// Exit code 1 when the 300-device run misses a target or a run cannot start.
#include "engine.h"
#include "engine_timers.h"
#include "link_library.h"
#include "main_window.h"
#include "window_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

using namespace vantor;

constexpr int TargetDevices = 1000;
constexpr int ScalingBaseDevices = 100;
constexpr double TargetProcessCpuPercent = 20.0;
constexpr double TargetTickP99Ms = 10.0;
constexpr double TargetTickMs = 20.0;
constexpr double TargetScaling = 1.2;
// The RDS rate, 1187.5 bit/s in 104-bit groups.
constexpr double GroupsPerSecond = 1187.5 / 104;
// Frequencies of the simulator's built-in stations (clean, clean,
// overmodulated, weak with lost blocks), dealt out in turn.
const std::array<const char *, 4> Frequencies = {"94.2", "98.5", "101.1", "105.3"};
// During start-up only, by default: the connection tick brings one device up
// per visit and visits one device per tick, so at its own 1 s pace 300
// devices would take ten minutes. The measured span runs it at its own pace
// again.
constexpr int DefaultConnectIntervalMs = 2;
// Every device is visited twice (opened, then found up) before it measures.
constexpr int StartupSlackMs = 90000;
constexpr int StallCheckSeconds = 10;

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// User and system CPU seconds another process has used so far.
double processCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which may hold blanks: state is the
    // first, utime the 12th and stime the 13th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong()) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Runs the event loop until done() holds or limitMs passes; returns done().
bool runUntil(const std::function<bool()> &done, int limitMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    check.start(50);
    loop.exec();
    return done();
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The device library as the engine uses it, counting what it hands over.
class CountingLibrary final : public DeviceLibrary
{
public:
    explicit CountingLibrary(const QString &dataFolder) : m_inner(dataFolder) {}

    qint64 responses = 0;
    qint64 groups = 0;

    int AddDevice() override { return m_inner.AddDevice(); }
    void SetDevice(int handle) override { m_inner.SetDevice(handle); }
    void ConnectionSetup(int kind, int comPort, const QString &host, int portOrSpeed) override
    {
        m_inner.ConnectionSetup(kind, comPort, host, portOrSpeed);
    }
    void Connect() override { m_inner.Connect(); }
    bool Connected() override { return m_inner.Connected(); }
    void Disconnect() override { m_inner.Disconnect(); }
    void WriteCommand(const QString &command) override { m_inner.WriteCommand(command); }
    int ReadBufferLength() override { return m_inner.ReadBufferLength(); }
    QString ReadResponse() override { return ReadResponseView(); }
    QLatin1StringView ReadResponseView() override
    {
        const QLatin1StringView response = m_inner.ReadResponseView();
        ++responses;
        if (response.startsWith(QLatin1StringView("G=")))
            ++groups;
        return response;
    }
    void ClearValues() override { m_inner.ClearValues(); }
    double PCharToFloat(const QString &text) override { return m_inner.PCharToFloat(text); }
    QString Version() override { return m_inner.Version(); }
    void SetTCPReconnectTimeout(int seconds) override { m_inner.SetTCPReconnectTimeout(seconds); }

private:
    AnalyzerLinkLibrary m_inner;
};

// The analyzer-sim process with one TCP receiver per device.
class SimulatorProcess
{
public:
    ~SimulatorProcess()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    // The receivers' ports in order; empty with *error when it did not start.
    QList<int> start(const QString &program, int receivers, QString *error)
    {
        QStringList args{QStringLiteral("--control"), QStringLiteral("127.0.0.1:0")};
        for (int i = 0; i < receivers; ++i)
            args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, args);
        if (!m_process.waitForStarted(5000)) {
            *error = program + QStringLiteral(": ") + m_process.errorString();
            return {};
        }
        QList<int> ports;
        QElapsedTimer waited;
        waited.start();
        while ((ports.size() < receivers || m_controlPort == 0) && waited.elapsed() < 20000) {
            if (m_process.state() == QProcess::NotRunning)
                break;
            if (!m_process.canReadLine() && !m_process.waitForReadyRead(1000))
                continue;
            while (m_process.canReadLine()) {
                const QString line = QString::fromLatin1(m_process.readLine()).trimmed();
                if (line.startsWith(QLatin1String("listen ")))
                    ports << line.section(QLatin1Char(':'), -1).toInt();
                else if (line.startsWith(QLatin1String("control ")))
                    m_controlPort = line.section(QLatin1Char(':'), -1).toInt();
            }
        }
        if (ports.size() < receivers) {
            *error = QStringLiteral("analyzer-sim announced %1 of %2 receivers")
                         .arg(ports.size())
                         .arg(receivers);
            return {};
        }
        return ports;
    }

    double cpuSeconds() const { return processCpuSeconds(m_process.processId()); }

    // How many receivers have their deviation measurement and RDS output on,
    // asked on the control port (the bench may wait here; it is no engine).
    int receiversMeasuring(int receivers)
    {
        QTcpSocket control;
        control.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(m_controlPort));
        if (!control.waitForConnected(5000))
            return 0;
        QByteArray questions;
        for (int i = 0; i < receivers; ++i)
            questions += "@" + QByteArray::number(i) + " status\n";
        control.write(questions);
        int measuring = 0;
        for (int answered = 0; answered < receivers;) {
            if (!control.canReadLine() && !control.waitForReadyRead(5000))
                break;
            while (control.canReadLine()) {
                const QByteArray line = control.readLine();
                ++answered;
                measuring += line.contains("M+") && line.contains("R+");
            }
        }
        return measuring;
    }

private:
    QProcess m_process;
    int m_controlPort = 0;
};

bool writeIni(const QString &path, const QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text =
        (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    return file.write(text) == text.size();
}

// One device per receiver in an endless loop over its one station, which
// measures with RDS for an hour.
bool writeSettings(const QString &dataFolder, const QList<int> &ports)
{
    const auto n = ports.size();
    QStringList devices{QStringLiteral("[General]"), QStringLiteral("DeviceCount=%1").arg(n)};
    QStringList stations{QStringLiteral("[General]"), QStringLiteral("StationCount=%1").arg(n)};
    for (qsizetype i = 0; i < n; ++i) {
        const QString device = QStringLiteral("Site %1").arg(i);
        devices << QStringLiteral("[Device%1]").arg(i) << QStringLiteral("Name=") + device
                << QStringLiteral("Connection=127.0.0.1:%1").arg(ports[i])
                << QStringLiteral("SchedulingMode=1");
        stations << QStringLiteral("[Station%1]").arg(i)
                 << QStringLiteral("Name=Programme %1").arg(i)
                 << QStringLiteral("Frequency=") +
                        QLatin1String(Frequencies[static_cast<size_t>(i) % Frequencies.size()])
                 << QStringLiteral("DeviceName=") + device << QStringLiteral("Measuring=60")
                 << QStringLiteral("RDS=-1") << QStringLiteral("ModeOrder=Measuring/RDS");
    }
    return QDir().mkpath(dataFolder) &&
           writeIni(dataFolder + QStringLiteral("/devices.ini"), devices) &&
           writeIni(dataFolder + QStringLiteral("/stations.ini"), stations);
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// How long the runs of one tick took in wall time, and the longest in CPU
// time of the thread, which tells the engine's own work from time the
// machine spent elsewhere.
class TickTimes
{
public:
    void add(double wallMs, double cpuMs)
    {
        m_wallMs.push_back(wallMs);
        m_cpuMs.push_back(cpuMs);
    }
    int runs() const { return static_cast<int>(m_wallMs.size()); }
    int countOver(double ms) const
    {
        return static_cast<int>(
            std::count_if(m_wallMs.begin(), m_wallMs.end(), [ms](double t) { return t > ms; }));
    }
    // By nearest rank: 0.5 the median, 1 the longest.
    double quantileMs(double share) const { return quantile(m_wallMs, share); }
    double cpuQuantileMs(double share) const { return quantile(m_cpuMs, share); }
    double longestMs() const { return quantileMs(1); }
    double longestCpuMs() const { return cpuQuantileMs(1); }

private:
    static double quantile(std::vector<double> times, double share)
    {
        if (times.empty())
            return 0;
        std::sort(times.begin(), times.end());
        const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(times.size())));
        return times[std::max<size_t>(rank, 1) - 1];
    }

    std::vector<double> m_wallMs;
    std::vector<double> m_cpuMs;
};

// The machine's own stalls: a fixed computation of about 2 ms, repeated with
// pauses. On a shared or virtual machine it now and then takes many times
// its median, in CPU time as well; a tick that ran into such a stall looks
// longer than its work.
TickTimes measureMachineStalls(int seconds)
{
    TickTimes times;
    volatile unsigned x = 1;
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < seconds * 1000) {
        QElapsedTimer wall;
        const double cpu = threadCpuMs();
        wall.start();
        for (int k = 0; k < 1000000; ++k)
            x = x * 1664525u + 1013904223u;
        times.add(static_cast<double>(wall.nsecsElapsed()) * 1e-6, threadCpuMs() - cpu);
        QThread::msleep(20);
    }
    return times;
}

// The engine's six ticks at their own intervals, each timed.
class TimedTicks
{
public:
    enum Tick { Connect, Send, Receive, Measuring, Status, WriteLog, Count };

    explicit TimedTicks(Engine &engine)
    {
        const auto &entries = EngineTicks;
        for (size_t i = 0; i < entries.size(); ++i) {
            m_timers[i].setInterval(entries[i].intervalMs);
            m_timers[i].setTimerType(Qt::PreciseTimer);
            QObject::connect(&m_timers[i], &QTimer::timeout, &engine,
                             [this, i, &engine, handler = entries[i].handler] {
                                 QElapsedTimer wall;
                                 const double cpu = threadCpuMs();
                                 wall.start();
                                 (engine.*handler)();
                                 m_times[i].add(static_cast<double>(wall.nsecsElapsed()) * 1e-6,
                                                threadCpuMs() - cpu);
                             });
            m_timers[i].start();
        }
    }

    void setInterval(Tick tick, int ms) { m_timers[tick].setInterval(ms); }
    void reset() { m_times.fill({}); }
    const TickTimes &times(Tick tick) const { return m_times[tick]; }
    double longestOtherMs() const
    {
        double longest = 0;
        for (size_t i = 0; i < m_times.size(); ++i) {
            if (i != Receive)
                longest = std::max(longest, m_times[i].longestMs());
        }
        return longest;
    }

private:
    std::array<QTimer, Count> m_timers;
    std::array<TickTimes, Count> m_times{};
};

struct LoadResult {
    int devices = 0;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    TickTimes receive;
    double longestOtherMs = 0;
    qint64 responses = 0;
    qint64 groups = 0;
    double simCpuSeconds = 0;

    double cpuPercent() const { return 100.0 * cpuSeconds / wallSeconds; }
    double cpuMsPerDeviceSecond() const { return 1000.0 * cpuSeconds / (devices * wallSeconds); }
    double groupsPerDeviceSecond() const
    {
        return static_cast<double>(groups) / (devices * wallSeconds);
    }
    bool meetsTickTargets() const
    {
        return receive.quantileMs(0.99) <= TargetTickP99Ms && receive.longestMs() <= TargetTickMs;
    }
};

bool allMeasuring(const Engine &engine, const Clock &clock)
{
    const TDateTime now = clock.now();
    for (const TDevice &d : engine.DeviceTable()) {
        if (d.ConnectCountdown != -1 || d.Mode != (ModeMeasuringPart | ModeRdsPart) ||
            now < d.IgnoreUntil)
            return false;
    }
    return true;
}

// The simulator with its receivers and a data folder whose settings point at
// them: what every run of this bench starts from.
struct BenchStation {
    SimulatorProcess sim;
    QTemporaryDir tmp;
    QString data;

    bool start(const QString &simProgram, int devices)
    {
        QString error;
        const QList<int> ports = sim.start(simProgram, devices, &error);
        data = tmp.path() + QStringLiteral("/data");
        if (ports.isEmpty() || !tmp.isValid() || !writeSettings(data, ports)) {
            std::fprintf(
                stderr, "%d devices: cannot start: %s\n", devices,
                qPrintable(error.isEmpty() ? QStringLiteral("settings not written") : error));
            return false;
        }
        return true;
    }
};

std::optional<LoadResult> runLoad(const QString &simProgram, int devices, int seconds,
                                  int connectIntervalMs, bool windows)
{
    BenchStation station;
    if (!station.start(simProgram, devices))
        return std::nullopt;
    SimulatorProcess &sim = station.sim;
    const QString &data = station.data;

    SystemClock clock;
    CountingLibrary library(data);
    HeadlessView headless;
    WindowView windowView;
    Engine engine(clock, library,
                  windows ? static_cast<EngineView &>(windowView)
                          : static_cast<EngineView &>(headless));
    std::unique_ptr<MainWindow> window;
    if (windows) {
        window = std::make_unique<MainWindow>(engine);
        windowView.attach(window.get());
    }
    engine.Start(QCoreApplication::applicationDirPath(), data);
    if (window) {
        // The busiest choices: the bar meters, and three graph values every second.
        Preferences &prefs = engine.Prefs();
        prefs.SetInteger(QStringLiteral("RecentDataShow"), 1);
        prefs.SetInteger(QStringLiteral("GraphValue1"), 1);
        prefs.SetInteger(QStringLiteral("GraphValue2"), 10);
        prefs.SetInteger(QStringLiteral("GraphValue3"), 6);
        prefs.SetInteger(QStringLiteral("GraphRate"), 0);
        window->applyPreferences();
    }
    TimedTicks ticks(engine);
    ticks.setInterval(TimedTicks::Connect, connectIntervalMs);
    const int startupLimitMs = 2 * devices * connectIntervalMs + StartupSlackMs;
    if (!runUntil([&] { return allMeasuring(engine, clock); }, startupLimitMs)) {
        int ready = 0;
        for (const TDevice &d : engine.DeviceTable())
            ready += d.ConnectCountdown == -1 && d.Mode == (ModeMeasuringPart | ModeRdsPart);
        std::fprintf(stderr, "%d devices: only %d measuring after %d s\n", devices, ready,
                     startupLimitMs / 1000);
        return std::nullopt;
    }
    ticks.setInterval(TimedTicks::Connect, 1000);

    LoadResult r;
    r.devices = devices;
    ticks.reset();
    const qint64 responses = library.responses;
    const qint64 groups = library.groups;
    const double simCpu = sim.cpuSeconds();
    const double cpu = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    r.cpuSeconds = processCpuSeconds() - cpu;
    r.wallSeconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    r.simCpuSeconds = sim.cpuSeconds() - simCpu;
    r.responses = library.responses - responses;
    r.groups = library.groups - groups;
    r.receive = ticks.times(TimedTicks::Receive);
    r.longestOtherMs = ticks.longestOtherMs();

    if (!engine.FormClose())
        std::fprintf(stderr, "%d devices: settings not written at shut-down\n", devices);
    return r;
}

struct ProcessResult {
    int devices = 0;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double simCpuSeconds = 0;

    double cpuPercent() const { return 100.0 * cpuSeconds / wallSeconds; }
    double cpuMsPerDeviceSecond() const { return 1000.0 * cpuSeconds / (devices * wallSeconds); }
};

// The program itself, headless, on the same station as runLoad, once every
// device measures (at the program's pace: about two seconds per device).
std::optional<ProcessResult> runProcess(const QString &simProgram, const QString &program,
                                        int devices, int seconds)
{
    BenchStation station;
    if (!station.start(simProgram, devices))
        return std::nullopt;
    SimulatorProcess &sim = station.sim;
    const QString &data = station.data;
    QProcess vantor;
    vantor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    vantor.setStandardOutputFile(QProcess::nullDevice());
    vantor.start(program, {QStringLiteral("--headless"), QStringLiteral("--data-dir"), data});
    if (!vantor.waitForStarted(5000)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(program), qPrintable(vantor.errorString()));
        return std::nullopt;
    }
    const auto stop = qScopeGuard([&vantor] {
        vantor.terminate();
        if (!vantor.waitForFinished(30000))
            vantor.kill();
        vantor.waitForFinished(5000);
    });
    const int limitMs = 2 * devices * 1000 + StartupSlackMs;
    QElapsedTimer waited;
    waited.start();
    int measuring = 0;
    while ((measuring = sim.receiversMeasuring(devices)) < devices) {
        if (waited.elapsed() > limitMs || vantor.state() == QProcess::NotRunning) {
            std::fprintf(stderr, "%d devices: only %d measuring after %lld s\n", devices, measuring,
                         waited.elapsed() / 1000);
            return std::nullopt;
        }
        runFor(5000);
    }
    // Settled: the last device's first polls and tuning are over.
    runFor(5000);

    ProcessResult r;
    r.devices = devices;
    const double cpu = processCpuSeconds(vantor.processId());
    const double simCpu = sim.cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    r.cpuSeconds = processCpuSeconds(vantor.processId()) - cpu;
    r.simCpuSeconds = sim.cpuSeconds() - simCpu;
    r.wallSeconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    return r;
}

void printLoadAverage(const char *when)
{
    std::array<double, 3> load{};
    if (getloadavg(load.data(), 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f on %ld cores\n", when, load[0], load[1],
                    load[2], sysconf(_SC_NPROCESSORS_ONLN));
}

// Cost per device at the largest count against that at the base count.
bool checkScaling(const QString &label, const std::map<int, double> &msPerDeviceSecond)
{
    const auto base = msPerDeviceSecond.find(ScalingBaseDevices);
    const auto top = msPerDeviceSecond.find(TargetDevices);
    if (base == msPerDeviceSecond.end() || top == msPerDeviceSecond.end())
        return true;
    const double ratio = top->second / base->second;
    const bool pass = ratio <= TargetScaling;
    std::printf("%scost per device at %d against %d: %.2fx (target <= %.1fx): %s\n",
                qPrintable(label), TargetDevices, ScalingBaseDevices, ratio, TargetScaling,
                pass ? "PASS" : "FAIL");
    return pass;
}

int runLoads(const QString &simProgram, const QList<int> &counts, int seconds,
             int connectIntervalMs, bool windows)
{
    std::printf("%7s %6s %6s %6s %8s | %6s %6s %6s | %6s %6s %6s %7s | %6s | %9s %9s %5s\n",
                "devices", "wall s", "CPU s", "%core", "ms/dev-s", "rx p50", "rx p99", "rx max",
                "cpu50", "cpu99", "cpumax", "rx>20ms", "other", "rsp/dev-s", "grp/dev-s", "sim %");
    std::fflush(stdout);
    int status = 0;
    std::map<int, double> perDevice;
    for (const int n : counts) {
        const auto r = runLoad(simProgram, n, seconds, connectIntervalMs, windows);
        if (!r) {
            status = 1;
            continue;
        }
        perDevice[n] = r->cpuMsPerDeviceSecond();
        const double deviceSeconds = r->devices * r->wallSeconds;
        std::printf(
            "%7d %6.1f %6.2f %6.1f %8.4f | %6.2f %6.2f %6.2f | %6.2f %6.2f %6.2f "
            "%3d/%-3d | %6.2f | %9.2f %9.2f %5.1f\n",
            r->devices, r->wallSeconds, r->cpuSeconds, r->cpuPercent(), r->cpuMsPerDeviceSecond(),
            r->receive.quantileMs(0.5), r->receive.quantileMs(0.99), r->receive.longestMs(),
            r->receive.cpuQuantileMs(0.5), r->receive.cpuQuantileMs(0.99),
            r->receive.longestCpuMs(), r->receive.countOver(TargetTickMs), r->receive.runs(),
            r->longestOtherMs, static_cast<double>(r->responses) / deviceSeconds,
            r->groupsPerDeviceSecond(), 100.0 * r->simCpuSeconds / r->wallSeconds);
        std::fflush(stdout);
        if (n == TargetDevices) {
            const bool pass = r->meetsTickTargets();
            std::printf("%d devices: receive tick p99 %.2f ms (target <= %.0f ms), longest %.2f "
                        "ms (target <= %.0f ms): %s\n",
                        n, r->receive.quantileMs(0.99), TargetTickP99Ms, r->receive.longestMs(),
                        TargetTickMs, pass ? "PASS" : "FAIL");
            if (!pass)
                status = 1;
        }
    }
    if (!checkScaling(QString(), perDevice))
        status = 1;
    std::printf(
        "Receive tick (rx) in ms: median, 99th percentile and longest in wall time, the same in\n"
        "CPU time of the thread, runs over 20 ms of all runs; other: the longest of the other\n"
        "five ticks. Responses and RDS groups per device-second (groups expected: %.2f).\n",
        GroupsPerSecond);
    return status;
}

int runProcesses(const QString &simProgram, const QStringList &programs, const QList<int> &counts,
                 int seconds)
{
    std::printf("%7s %6s %6s %6s %8s %6s  %s\n", "devices", "wall s", "CPU s", "%core", "ms/dev-s",
                "sim %", "program");
    std::fflush(stdout);
    int status = 0;
    std::map<QString, std::map<int, double>> perDevice;
    for (const int n : counts) {
        for (const QString &program : programs) {
            const auto r = runProcess(simProgram, program, n, seconds);
            if (!r) {
                status = 1;
                continue;
            }
            perDevice[program][n] = r->cpuMsPerDeviceSecond();
            std::printf("%7d %6.1f %6.2f %6.1f %8.4f %6.1f  %s\n", r->devices, r->wallSeconds,
                        r->cpuSeconds, r->cpuPercent(), r->cpuMsPerDeviceSecond(),
                        100.0 * r->simCpuSeconds / r->wallSeconds, qPrintable(program));
            std::fflush(stdout);
            if (n == TargetDevices) {
                const bool pass = r->cpuPercent() <= TargetProcessCpuPercent;
                std::printf("%d devices: %.1f %% of one core (target <= %.0f %%): %s\n", n,
                            r->cpuPercent(), TargetProcessCpuPercent, pass ? "PASS" : "FAIL");
                if (!pass)
                    status = 1;
            }
        }
    }
    for (const QString &program : programs) {
        if (!checkScaling(program + QStringLiteral(": "), perDevice[program]))
            status = 1;
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    // Windows need a QApplication, which needs a display; headless runs need neither.
    bool windows = false;
    for (int i = 1; i < argc; ++i)
        windows = windows || std::strcmp(argv[i], "--windows") == 0;
    std::unique_ptr<QCoreApplication> application;
    if (windows)
        application = std::make_unique<QApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication &app = *application;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Engine CPU and receive tick with many simulated receivers."));
    parser.addHelpOption();
    const QCommandLineOption devicesOption(
        QStringLiteral("devices"), QStringLiteral("Device counts, comma separated."),
        QStringLiteral("N,..."), QStringLiteral("10,100,300,1000"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Measured seconds per device count."),
                                           QStringLiteral("S"), QStringLiteral("20"));
    const QCommandLineOption simOption(QStringLiteral("sim"),
                                       QStringLiteral("The analyzer-sim executable."),
                                       QStringLiteral("PATH"), QStringLiteral(VANTOR_ANALYZER_SIM));
    const QCommandLineOption intervalOption(
        QStringLiteral("connect-interval"),
        QStringLiteral("Connection tick interval while the devices come up."), QStringLiteral("MS"),
        QString::number(DefaultConnectIntervalMs));
    const QCommandLineOption windowsOption(QStringLiteral("windows"),
                                           QStringLiteral("Show the engine in its windows."));
    const QCommandLineOption processOption(
        QStringLiteral("process"), QStringLiteral("Run these vantor executables instead, in turn."),
        QStringLiteral("PATH,..."));
    parser.addOptions(
        {devicesOption, secondsOption, simOption, intervalOption, windowsOption, processOption});
    parser.process(app);

    QList<int> counts;
    for (const QString &text : parser.value(devicesOption).split(QLatin1Char(','))) {
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n < 1) {
            std::fprintf(stderr, "--devices takes whole numbers above 0: %s\n", qPrintable(text));
            return 2;
        }
        counts << n;
    }
    bool ok = false;
    const int seconds = parser.value(secondsOption).toInt(&ok);
    if (!ok || seconds < 1) {
        std::fprintf(stderr, "--seconds takes a whole number above 0\n");
        return 2;
    }
    const int connectIntervalMs = parser.value(intervalOption).toInt(&ok);
    if (!ok || connectIntervalMs < 1) {
        std::fprintf(stderr, "--connect-interval takes a whole number above 0\n");
        return 2;
    }

    printLoadAverage("before");
    const TickTimes stalls = measureMachineStalls(StallCheckSeconds);
    std::printf("machine stall check: a 2 ms computation run %d times took %.2f ms at the median, "
                "%.2f ms at the longest (%.2f ms CPU)\n",
                stalls.runs(), stalls.quantileMs(0.5), stalls.longestMs(), stalls.longestCpuMs());
    const int status =
        parser.isSet(processOption)
            ? runProcesses(parser.value(simOption),
                           parser.value(processOption).split(QLatin1Char(',')), counts, seconds)
            : runLoads(parser.value(simOption), counts, seconds, connectIntervalMs, windows);
    printLoadAverage("after");
    return status;
}
