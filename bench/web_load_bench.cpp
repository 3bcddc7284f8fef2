// The web server under a station of many receivers: N simulated analyzers
// on loopback TCP, all measuring, driven by the engine's six ticks on the
// real event loop with the real device library. Prints
//   - the time to render /metrics, /api/v1/overview (and /api/v1/status)
//     for the N devices, checked against 5 ms for /metrics and 10 ms for the
//     overview in the thread's CPU time (wall time is printed too; on a
//     loaded machine it holds other processes' turns);
//   - the receive tick, in the same run, without web clients, with five
//     real headless Chromiums showing the overview page (each polls every
//     second) and a real Prometheus scraping /metrics every 5 s when there
//     is one, and without again; the ratios loaded / quiet of the median,
//     99th percentile and longest tick and of the timer's lateness (how
//     much later than its 200 ms a tick began, which is where work between
//     ticks would show). Target: the median within 1.1 x of the quiet one.
//
//     web_load_bench [--devices 300] [--seconds 30] [--sim PATH]
//
// Chromium and Prometheus are taken from the PATH; without Chromium the
// second part is left out. Exit code 1 when /metrics misses its target or a run
// cannot start.
//
// With --flood, hostile clients instead of the browser and the scrape, each
// from an address of its own (127.0.0.2 on) in a second process:
//   - 32 clients asking without pause for the largest pictures (histogram
//     and graphs, 2000 x 2000): CSV lines per minute and the receive tick
//     against the quiet phases around it; target: no CSV second lost and
//     the tick's p99 within 1.2 x of the quiet one;
//   - 32 clients sending their headers a line a second (slowloris), while
//     /healthz is asked four times a second: how many were answered.
//
//     web_load_bench --flood [--devices 10] [--seconds 60]
#include "engine.h"
#include "engine_timers.h"
#include "link_library.h"
#include "metrics_text.h"
#include "overview_json.h"
#include "status_json.h"
#include "web_server.h"

#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

using namespace vantor;

constexpr double TargetMetricsMs = 5.0;
constexpr double TargetOverviewMs = 10.0;
constexpr int Browsers = 5;
constexpr double TargetTickMedianRatio = 1.1;
constexpr int RenderRuns = 200;
const std::array<const char *, 4> Frequencies = {"94.2", "98.5", "101.1", "105.3"};

void RunFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool RunUntil(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < limitMs)
        RunFor(50);
    return done();
}

// Nearest-rank quantile; 1 is the largest.
double Quantile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::max<size_t>(rank, 1) - 1];
}

// analyzer-sim with one TCP receiver per device; the ports in order.
QList<int> StartSimulator(QProcess &process, const QString &program, int receivers)
{
    QStringList args;
    for (int i = 0; i < receivers; ++i)
        args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0");
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, args);
    QList<int> ports;
    if (!process.waitForStarted(5000))
        return ports;
    QElapsedTimer waited;
    waited.start();
    while (ports.size() < receivers && waited.elapsed() < 20000 &&
           (process.canReadLine() || process.waitForReadyRead(1000))) {
        while (process.canReadLine())
            ports << process.readLine().trimmed().split(':').last().toInt();
    }
    return ports;
}

bool WriteFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// One device per receiver, each on one station measuring with RDS.
bool WriteSettings(const QString &data, const QList<int> &ports)
{
    QByteArray devices = "[General]\r\nDeviceCount=" + QByteArray::number(ports.size()) + "\r\n";
    QByteArray stations = "[General]\r\nStationCount=" + QByteArray::number(ports.size()) + "\r\n";
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const QByteArray n = QByteArray::number(i);
        devices += "[Device" + n + "]\r\nName=Site " + n +
                   "\r\nConnection=127.0.0.1:" + QByteArray::number(ports[i]) +
                   "\r\nSchedulingMode=1\r\n";
        stations += "[Station" + n + "]\r\nName=Programme " + n +
                    "\r\nFrequency=" + Frequencies[static_cast<size_t>(i) % Frequencies.size()] +
                    "\r\nDeviceName=Site " + n +
                    "\r\nMeasuring=60\r\nRDS=-1\r\nModeOrder=Measuring/RDS\r\n";
    }
    return QDir().mkpath(data) && WriteFile(data + QStringLiteral("/devices.ini"), devices) &&
           WriteFile(data + QStringLiteral("/stations.ini"), stations);
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// The engine's six ticks at their own intervals; the receive tick timed: how
// long it ran and how late after its interval it began.
class Ticks
{
public:
    explicit Ticks(Engine &engine)
    {
        for (size_t i = 0; i < EngineTicks.size(); ++i) {
            QTimer &timer = m_timers[i];
            timer.setInterval(EngineTicks[i].intervalMs);
            timer.setTimerType(Qt::PreciseTimer);
            const auto handler = EngineTicks[i].handler;
            if (handler == &Engine::TimerReceiveTimer) {
                QObject::connect(&timer, &QTimer::timeout, &engine, [this, &engine, handler] {
                    const qint64 start = m_clock.nsecsElapsed();
                    const double cpuStart = ThreadCpuMs();
                    if (m_lastStart > 0)
                        lateMs.push_back(
                            std::max(0.0, static_cast<double>(start - m_lastStart) * 1e-6 - 200));
                    m_lastStart = start;
                    (engine.*handler)();
                    tickMs.push_back(static_cast<double>(m_clock.nsecsElapsed() - start) * 1e-6);
                    tickCpuMs.push_back(ThreadCpuMs() - cpuStart);
                });
            } else {
                QObject::connect(&timer, &QTimer::timeout, &engine, handler);
            }
            timer.start();
        }
        m_clock.start();
    }
    void setConnectInterval(int ms) { m_timers[0].setInterval(ms); }
    void reset()
    {
        tickMs.clear();
        tickCpuMs.clear();
        lateMs.clear();
        m_lastStart = 0;
    }

    std::vector<double> tickMs;
    std::vector<double> tickCpuMs; // the thread's CPU time within each tick
    std::vector<double> lateMs;

private:
    std::array<QTimer, 6> m_timers;
    QElapsedTimer m_clock;
    qint64 m_lastStart = 0;
};

struct Phase {
    const char *name;
    std::vector<double> tickMs;
    std::vector<double> tickCpuMs;
    std::vector<double> lateMs;
};

void PrintPhase(const Phase &p)
{
    std::printf("%-26s %6zu | %7.3f %7.3f %7.3f | %7.3f %7.3f | %7.2f %7.2f %7.2f\n", p.name,
                p.tickMs.size(), Quantile(p.tickMs, 0.5), Quantile(p.tickMs, 0.99),
                Quantile(p.tickMs, 1), Quantile(p.tickCpuMs, 0.5), Quantile(p.tickCpuMs, 0.99),
                Quantile(p.lateMs, 0.5), Quantile(p.lateMs, 0.99), Quantile(p.lateMs, 1));
}

double Ratio(double loaded, double quiet)
{
    return quiet > 0 ? loaded / quiet : 0;
}

// One render's cost over RenderRuns runs: wall time (median, longest) and the
// thread's CPU time (median), which leaves out the time a loaded machine gave
// to other processes meanwhile.
struct RenderTimes {
    double wallMedian = 0;
    double wallLongest = 0;
    double cpuMedian = 0;
    qsizetype bytes = 0;
};

RenderTimes TimeRender(const std::function<qsizetype()> &render)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    RenderTimes times;
    for (int i = 0; i < RenderRuns; ++i) {
        QElapsedTimer t;
        const double cpuStart = ThreadCpuMs();
        t.start();
        times.bytes = render();
        wall.push_back(static_cast<double>(t.nsecsElapsed()) * 1e-6);
        cpu.push_back(ThreadCpuMs() - cpuStart);
    }
    times.wallMedian = Quantile(wall, 0.5);
    times.wallLongest = Quantile(wall, 1);
    times.cpuMedian = Quantile(cpu, 0.5);
    return times;
}

void PrintLoadAverage(const char *when)
{
    std::array<double, 3> load{};
    if (getloadavg(load.data(), 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f on %ld cores\n", when, load[0], load[1],
                    load[2], sysconf(_SC_NPROCESSORS_ONLN));
}

// Lines written to every CSV file under folder so far.
qint64 CsvLines(const QString &folder)
{
    qint64 lines = 0;
    QDirIterator files(folder, {QStringLiteral("*.csv")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly))
            lines += file.readAll().count('\n');
    }
    return lines;
}

// The hostile clients of --flood, run in a process of their own so that
// their work is not the station's: each from its own loopback address, so
// that the per-address limit does not turn them away.
class FloodClients : public QObject
{
public:
    FloodClients(quint16 port, bool slow, int devices)
        : m_port(port), m_slow(slow), m_devices(devices)
    {
        for (int i = 0; i < 32; ++i)
            Open(i);
    }

private:
    void Open(int i)
    {
        auto *socket = new QTcpSocket(this);
        socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i)));
        auto *buffer = new QByteArray;
        auto *drip = new QTimer(socket);
        connect(socket, &QObject::destroyed, this, [buffer] { delete buffer; });
        connect(socket, &QTcpSocket::connected, this, [this, socket, drip, i] {
            if (!m_slow)
                return Ask(socket, i);
            socket->write("GET / HTTP/1.1\r\nHost: station\r\n");
            connect(drip, &QTimer::timeout, socket, [socket] { socket->write("X-Slow: y\r\n"); });
            drip->start(1000);
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer, i] {
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            const qsizetype length = buffer->indexOf("Content-Length: ");
            if (end < 0 || length < 0)
                return;
            const qint64 size =
                buffer->mid(length + 16, buffer->indexOf('\r', length) - length - 16).toLongLong();
            if (buffer->size() < end + 4 + size)
                return;
            buffer->remove(0, end + 4 + size);
            if (!m_slow)
                Ask(socket, i);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, i] {
            socket->deleteLater();
            QTimer::singleShot(100, this, [this, i] { Open(i); });
        });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket, i] {
            if (socket->state() == QAbstractSocket::UnconnectedState) {
                socket->deleteLater();
                QTimer::singleShot(100, this, [this, i] { Open(i); });
            }
        });
        socket->connectToHost(QHostAddress::LocalHost, m_port);
    }

    void Ask(QTcpSocket *socket, int i)
    {
        static const std::array<const char *, 4> pictures = {"histogram.png", "graph/MAX.png",
                                                             "graph/AVE.png", "graph/Level.png"};
        const QByteArray path = "/device/" + QByteArray::number(i % m_devices) + '/' +
                                pictures[static_cast<size_t>(m_asked++ % pictures.size())] +
                                "?width=2000&height=2000";
        socket->write("GET " + path + " HTTP/1.1\r\nHost: station\r\n\r\n");
    }

    quint16 m_port;
    bool m_slow;
    int m_devices;
    qint64 m_asked = 0;
};

// Asks /healthz four times a second on connections of its own; counts the
// 200s, and the rest (any other answer, or none within a second).
class HealthProbe : public QObject
{
public:
    explicit HealthProbe(quint16 port) : m_port(port)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { Ask(); });
        m_timer.start(250);
    }
    int asked = 0;
    int answered = 0;

private:
    void Ask()
    {
        ++asked;
        auto *socket = new QTcpSocket(this);
        auto *reply = new QByteArray;
        connect(socket, &QObject::destroyed, this, [reply] { delete reply; });
        connect(socket, &QTcpSocket::connected, socket, [socket] {
            socket->write("GET /healthz HTTP/1.1\r\nHost: station\r\nConnection: close\r\n\r\n");
        });
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, reply] {
            *reply += socket->readAll();
            if (reply->startsWith("HTTP/1.1 200") && reply->endsWith("ok\n")) {
                ++answered;
                socket->abort();
                socket->deleteLater();
            }
        });
        QTimer::singleShot(1000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->connectToHost(QHostAddress::LocalHost, m_port);
    }

    quint16 m_port;
    QTimer m_timer;
};

// The --flood phases; 0 when the picture flood met its target.
int RunFlood(Engine &engine, Ticks &ticks, const QString &data, int devices, int seconds)
{
    WebServer server(engine, QByteArray());
    QString error;
    const quint16 port = server.start(QHostAddress::LocalHost, 0, &error);
    if (port == 0) {
        std::fprintf(stderr, "web server: %s\n", qPrintable(error));
        return 1;
    }
    struct Counted {
        Phase phase;
        double csvPerMinute;
    };
    std::vector<Counted> phases;
    const auto measure = [&](const char *name) {
        ticks.reset();
        const qint64 before = CsvLines(data);
        RunFor(seconds * 1000);
        const double perMinute = static_cast<double>(CsvLines(data) - before) * 60.0 / seconds;
        phases.push_back({{name, ticks.tickMs, ticks.tickCpuMs, ticks.lateMs}, perMinute});
    };
    const auto clients = [&](QProcess &process, const char *kind) {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--client"), QLatin1String(kind), QStringLiteral("--port"),
                       QString::number(port), QStringLiteral("--devices"),
                       QString::number(devices)});
        process.waitForStarted(5000);
        RunFor(3000); // all connected and asking
    };
    const auto stop = [](QProcess &process) {
        process.kill();
        process.waitForFinished(5000);
    };

    PrintLoadAverage("before the flood");
    measure("quiet");
    QProcess pictures;
    clients(pictures, "pictures");
    const qint64 askedBefore = server.requestsAnswered();
    measure("32 clients, pictures");
    const qint64 asked = server.requestsAnswered() - askedBefore;
    stop(pictures);
    RunFor(2000);
    measure("quiet again");
    PrintLoadAverage("after the flood");

    QProcess slow;
    clients(slow, "slow");
    HealthProbe probe(port);
    measure("32 slow clients");
    stop(slow);
    const int probeAsked = probe.asked;
    const int probeAnswered = probe.answered;

    std::printf("\nreceive tick at %d devices, %d s per phase (ms)\n", devices, seconds);
    std::printf("%-26s %6s | %7s %7s %7s | %7s %7s | %7s %7s %7s\n", "phase", "ticks", "median",
                "p99", "longest", "cpu med", "cpu p99", "late med", "late p99", "late max");
    for (const Counted &c : phases)
        PrintPhase(c.phase);
    std::printf("CSV lines per minute (%d expected):", devices * 60);
    for (const Counted &c : phases)
        std::printf(" %s %.1f;", c.phase.name, c.csvPerMinute);
    std::printf("\n");
    std::vector<double> quiet = phases[0].phase.tickMs;
    quiet.insert(quiet.end(), phases[2].phase.tickMs.begin(), phases[2].phase.tickMs.end());
    const double ratio = Ratio(Quantile(phases[1].phase.tickMs, 0.99), Quantile(quiet, 0.99));
    // The files are counted at the phase's edges, where one second's lines
    // may fall on either side: that much short is no second lost.
    const bool allLines = phases[1].csvPerMinute >= devices * (60 - 60.0 / seconds);
    std::printf("picture flood: %lld requests answered, %lld pictures drawn, %lld refused "
                "(503); tick p99 flood / quiet %.2f (target <= 1.2); CSV lines %s\n",
                static_cast<long long>(asked), static_cast<long long>(server.picturesDrawn()),
                static_cast<long long>(server.picturesRefused()), ratio,
                allLines ? "all written" : "MISSING");
    std::printf("slowloris: /healthz answered %d of %d asked (%.1f %%)\n", probeAnswered,
                probeAsked, probeAsked > 0 ? 100.0 * probeAnswered / probeAsked : 0.0);
    return ratio <= 1.2 && allLines ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Web server render times and receive tick with and without web clients."));
    parser.addHelpOption();
    const QCommandLineOption devicesOption(QStringLiteral("devices"), QStringLiteral("Receivers."),
                                           QStringLiteral("N"), QStringLiteral("300"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Measured seconds per phase."),
                                           QStringLiteral("S"), QStringLiteral("30"));
    const QCommandLineOption simOption(QStringLiteral("sim"), QStringLiteral("analyzer-sim."),
                                       QStringLiteral("PATH"), QStringLiteral(VANTOR_ANALYZER_SIM));
    const QCommandLineOption floodOption(
        QStringLiteral("flood"), QStringLiteral("Hostile clients: a picture flood, slowloris."));
    const QCommandLineOption clientOption(QStringLiteral("client"),
                                          QStringLiteral("Run as the flood's clients."),
                                          QStringLiteral("pictures|slow"));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("The web server's port (--client)."),
                                        QStringLiteral("PORT"));
    parser.addOptions(
        {devicesOption, secondsOption, simOption, floodOption, clientOption, portOption});
    parser.process(app);
    const int devices = std::max(1, parser.value(devicesOption).toInt());
    const int seconds = std::max(1, parser.value(secondsOption).toInt());
    if (parser.isSet(clientOption)) {
        FloodClients clients(static_cast<quint16>(parser.value(portOption).toUInt()),
                             parser.value(clientOption) == QLatin1String("slow"), devices);
        return QCoreApplication::exec();
    }

    QProcess sim;
    const QList<int> ports = StartSimulator(sim, parser.value(simOption), devices);
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/data");
    if (ports.size() != devices || !WriteSettings(data, ports)) {
        std::fprintf(stderr, "cannot start %d simulated receivers\n", devices);
        return 1;
    }
    SystemClock clock;
    AnalyzerLinkLibrary library(data);
    HeadlessView view;
    Engine engine(clock, library, view);
    engine.Start(QCoreApplication::applicationDirPath(), data);
    Ticks ticks(engine);
    // The connection tick brings up one device a visit: fast during start-up.
    ticks.setConnectInterval(2);
    const bool measuring = RunUntil(
        [&] {
            return std::all_of(engine.DeviceTable().begin(), engine.DeviceTable().end(),
                               [](const TDevice &d) {
                                   return d.ConnectCountdown == -1 &&
                                          (d.Mode & ModeMeasuringPart) && d.HistogramTotal > 0;
                               });
        },
        120000);
    ticks.setConnectInterval(1000);
    if (!measuring) {
        std::fprintf(stderr, "the %d devices did not all come to measure\n", devices);
        return 1;
    }

    // Render times on the live tables.
    PrintLoadAverage("before");
    const RenderTimes metrics =
        TimeRender([&] { return MetricsText(engine, ReadProcessFigures()).size(); });
    const RenderTimes status = TimeRender([&] { return StatusJson(engine).size(); });
    const RenderTimes overview = TimeRender([&] { return OverviewJson(engine).size(); });
    const bool overviewPass = overview.cpuMedian < TargetOverviewMs;
    const bool metricsPass = metrics.cpuMedian < TargetMetricsMs;
    std::printf("%d devices: /metrics (%lld bytes) renders in %.3f ms CPU at the median; wall "
                "%.3f ms median, %.3f ms longest; target < %.0f ms: %s\n",
                devices, static_cast<long long>(metrics.bytes), metrics.cpuMedian,
                metrics.wallMedian, metrics.wallLongest, TargetMetricsMs,
                metricsPass ? "PASS" : "FAIL");
    std::printf("%d devices: /api/v1/status (%lld bytes) renders in %.3f ms CPU at the median; "
                "wall %.3f ms median, %.3f ms longest\n",
                devices, static_cast<long long>(status.bytes), status.cpuMedian, status.wallMedian,
                status.wallLongest);
    std::printf("%d devices: /api/v1/overview (%lld bytes) renders in %.3f ms CPU at the median; "
                "wall %.3f ms median, %.3f ms longest; target < %.0f ms: %s\n",
                devices, static_cast<long long>(overview.bytes), overview.cpuMedian,
                overview.wallMedian, overview.wallLongest, TargetOverviewMs,
                overviewPass ? "PASS" : "FAIL");
    std::fflush(stdout);
    int exitCode = metricsPass && overviewPass ? 0 : 1;

    if (parser.isSet(floodOption)) {
        exitCode |= RunFlood(engine, ticks, data, devices, seconds);
        engine.FormClose();
        sim.terminate();
        sim.waitForFinished(5000);
        return exitCode;
    }

    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    const QString prometheus = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
    if (chromium.isEmpty()) {
        std::printf("chromium not found: receive tick comparison left out\n");
        return exitCode;
    }
    WebServer server(engine, QByteArray());
    QString error;
    const quint16 port = server.start(QHostAddress::LocalHost, 0, &error);
    if (port == 0) {
        std::fprintf(stderr, "web server: %s\n", qPrintable(error));
        return 1;
    }
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    const QString config = tmp.path() + QStringLiteral("/prometheus.yml");
    WriteFile(config, "scrape_configs:\n  - job_name: vantor\n    scrape_interval: 5s\n"
                      "    static_configs:\n      - targets: ['127.0.0.1:" +
                          QByteArray::number(port) + "']\n");

    std::vector<Phase> phases;
    const auto measure = [&](const char *name) {
        ticks.reset();
        RunFor(seconds * 1000);
        phases.push_back({name, ticks.tickMs, ticks.tickCpuMs, ticks.lateMs});
    };
    measure("quiet");
    std::array<QProcess, Browsers> browsers;
    for (size_t b = 0; b < browsers.size(); ++b) {
        browsers[b].setStandardOutputFile(QProcess::nullDevice());
        browsers[b].setStandardErrorFile(QProcess::nullDevice());
        browsers[b].start(chromium,
                          {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                           QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                           QStringLiteral("--user-data-dir=%1/chromium%2").arg(tmp.path()).arg(b),
                           QStringLiteral("--window-size=1280,900"), url});
    }
    QProcess scraper;
    if (!prometheus.isEmpty()) {
        scraper.setStandardOutputFile(QProcess::nullDevice());
        scraper.setStandardErrorFile(QProcess::nullDevice());
        scraper.start(prometheus, {QStringLiteral("--config.file=") + config,
                                   QStringLiteral("--storage.tsdb.path=") + tmp.path() +
                                       QStringLiteral("/tsdb"),
                                   QStringLiteral("--web.listen-address=127.0.0.1:0")});
    }
    RunFor(10000); // all started and polling
    const qint64 before = server.requestsAnswered();
    const double spentBefore = server.answerMsTotal();
    measure(prometheus.isEmpty() ? "5 overview pages" : "5 overview pages + scrape");
    const qint64 loadedRequests = server.requestsAnswered() - before;
    const double loadedSpentMs = server.answerMsTotal() - spentBefore;
    for (QProcess &browser : browsers)
        browser.terminate();
    scraper.terminate();
    for (QProcess &browser : browsers)
        browser.waitForFinished(5000);
    scraper.waitForFinished(5000);
    measure("quiet again");

    std::printf("\nreceive tick at %d devices, %d s per phase (ms)\n", devices, seconds);
    std::printf("%-26s %6s | %7s %7s %7s | %7s %7s | %7s %7s %7s\n", "phase", "ticks", "median",
                "p99", "longest", "cpu med", "cpu p99", "late med", "late p99", "late max");
    for (const Phase &p : phases)
        PrintPhase(p);
    Phase quiet{"quiet (both)", phases[0].tickMs, phases[0].tickCpuMs, phases[0].lateMs};
    quiet.tickMs.insert(quiet.tickMs.end(), phases[2].tickMs.begin(), phases[2].tickMs.end());
    quiet.tickCpuMs.insert(quiet.tickCpuMs.end(), phases[2].tickCpuMs.begin(),
                           phases[2].tickCpuMs.end());
    quiet.lateMs.insert(quiet.lateMs.end(), phases[2].lateMs.begin(), phases[2].lateMs.end());
    const Phase &loaded = phases[1];
    std::printf("ratio loaded / quiet: tick median %.2f, p99 %.2f, longest %.2f; tick CPU "
                "median %.2f, p99 %.2f; lateness p99 %.2f\n",
                Ratio(Quantile(loaded.tickMs, 0.5), Quantile(quiet.tickMs, 0.5)),
                Ratio(Quantile(loaded.tickMs, 0.99), Quantile(quiet.tickMs, 0.99)),
                Ratio(Quantile(loaded.tickMs, 1), Quantile(quiet.tickMs, 1)),
                Ratio(Quantile(loaded.tickCpuMs, 0.5), Quantile(quiet.tickCpuMs, 0.5)),
                Ratio(Quantile(loaded.tickCpuMs, 0.99), Quantile(quiet.tickCpuMs, 0.99)),
                Ratio(Quantile(loaded.lateMs, 0.99), Quantile(quiet.lateMs, 0.99)));
    const double medianRatio = Ratio(Quantile(loaded.tickMs, 0.5), Quantile(quiet.tickMs, 0.5));
    const bool tickPass = medianRatio <= TargetTickMedianRatio;
    std::printf("receive tick median with %d browsers / without: %.2f; target <= %.1f: %s\n",
                Browsers, medianRatio, TargetTickMedianRatio, tickPass ? "PASS" : "FAIL");
    exitCode |= tickPass ? 0 : 1;
    std::printf("while loaded: %lld requests answered in %.1f ms of the event loop in all "
                "(%.2f %% of the phase); the longest answer took %.2f ms (%s)\n",
                static_cast<long long>(loadedRequests), loadedSpentMs,
                100.0 * loadedSpentMs / (seconds * 1000.0), server.answerMsLongest(),
                server.answerLongestPath().constData());
    PrintLoadAverage("after");
    engine.FormClose();
    sim.terminate();
    sim.waitForFinished(5000);
    return exitCode;
}
