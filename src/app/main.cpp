// Entry point: command line, one copy per data folder, then the station runs
// until it is told to stop: with its windows, or headless with --headless.
#include "clock.h"
#include "command_line.h"
#include "demo_station.h"
#include "guarded_application.h"
#include "link_library.h"
#include "main_window.h"
#include "open_file_limit.h"
#include "password_input.h"
#include "single_instance.h"
#include "snmp_start.h"
#include "station_runner.h"
#include "termination_signals.h"
#include "web_status_start.h"
#include "web_user_command.h"
#include "webhook_start.h"
#include "window_view.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <optional>

using namespace vantor;

namespace {

// What a start needs before the engine runs: the data folder, the claim on
// it and, for the demo, the simulator.
struct Station {
    QString dataFolder;
    std::optional<SingleInstance> instance;
    std::optional<DemoStation> demo;
};

// False with the exit code when the program should end instead.
bool PrepareStation(const CommandLine &options, Station &station, int &exitCode)
{
    station.dataFolder = ResolveDataFolder(options);
    if (!QDir().mkpath(station.dataFolder)) {
        std::fprintf(stderr, "vantor: cannot create the data folder %s\n",
                     qPrintable(QDir::toNativeSeparators(station.dataFolder)));
        exitCode = 1;
        return false;
    }
    station.instance.emplace(station.dataFolder);
    if (!station.instance->claim()) {
        std::fprintf(stderr, "vantor: already running on %s\n",
                     qPrintable(QDir::toNativeSeparators(station.dataFolder)));
        exitCode = 0;
        return false;
    }
    if (options.demo) {
        station.demo.emplace();
        QString error;
        if (!station.demo->prepare(station.dataFolder, &error)) {
            std::fprintf(stderr, "vantor: %s\n", qPrintable(error));
            exitCode = 1;
            return false;
        }
        std::fprintf(stderr, "vantor: demo station in %s, analyzer simulator on 127.0.0.1:%d\n",
                     qPrintable(QDir::toNativeSeparators(station.dataFolder)),
                     station.demo->port());
    }
    return true;
}

// Starts the engine. A start cut short by an error is logged like any other
// error, but the station does not run half set up.
bool StartStation(StationRunner &runner, const QString &dataFolder)
{
    try {
        runner.start(QCoreApplication::applicationDirPath(), dataFolder);
        return true;
    } catch (const std::exception &e) {
        runner.engine().HandleAppException(e);
        std::fprintf(stderr, "vantor: Fatal Error: %s\n", e.what());
        return false;
    }
}

int RunHeadless(Guarded<QGuiApplication> &app, const CommandLine &options)
{
    Station station;
    int exitCode = 0;
    if (!PrepareStation(options, station, exitCode))
        return exitCode;
    HeadlessView view;
    StationRunner runner(std::make_unique<AnalyzerLinkLibrary>(station.dataFolder), view);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &runner,
                     [&runner] { runner.shutDown(&QCoreApplication::exit); });
    app.setErrorHandler(
        [&runner](const std::exception &e) { runner.engine().HandleAppException(e); });
    if (!StartStation(runner, station.dataFolder))
        return 1;
    const StationWebhooks webhooks = StartWebhooks(runner.engine(), station.dataFolder);
    const auto web =
        StartWebStatus(runner.engine(), station.dataFolder, options, webhooks.sender.get());
    const auto snmp = StartSnmp(runner.engine(), station.dataFolder, options);
    return QCoreApplication::exec();
}

int RunWindows(Guarded<QApplication> &app, const CommandLine &options)
{
    Station station;
    int exitCode = 0;
    if (!PrepareStation(options, station, exitCode))
        return exitCode;
    WindowView view;
    StationRunner runner(std::make_unique<AnalyzerLinkLibrary>(station.dataFolder), view);
    // The windows exist before the engine starts: its first lines are shown.
    MainWindow window(runner.engine());
    view.attach(&window);
    // The program ends once the last frames and e-mail are out; a shut-down
    // refused (settings not written) keeps the window open.
    QApplication::setQuitOnLastWindowClosed(false);
    window.setCloseHandler([&runner] {
        const auto refused = std::make_shared<bool>(false);
        runner.shutDown([refused](int code) {
            if (code != 0)
                *refused = true;
            else
                QCoreApplication::exit(0);
        });
        return !*refused;
    });
    QObject::connect(&*station.instance, &SingleInstance::activationRequested, &window,
                     &MainWindow::bringToFront);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window,
                     &QWidget::close);
    app.setErrorHandler(
        [&runner](const std::exception &e) { runner.engine().HandleAppException(e); });
    if (!StartStation(runner, station.dataFolder))
        return 1;
    const StationWebhooks webhooks = StartWebhooks(runner.engine(), station.dataFolder);
    const auto web =
        StartWebStatus(runner.engine(), station.dataFolder, options, webhooks.sender.get());
    const auto snmp = StartSnmp(runner.engine(), station.dataFolder, options);
    // Shown only once the stored placements are applied.
    window.applyPreferences();
    return QCoreApplication::exec();
}

void NameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Vantor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));
}

} // namespace

int main(int argc, char **argv)
{
    // Before any thread can read the environment.
    PinLocalTimeZone();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineResult parsed = ParseCommandLine(arguments);
    if (!parsed.options) {
        if (!parsed.error.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(parsed.error));
        if (!parsed.output.isEmpty())
            std::fputs(qPrintable(parsed.output), stdout);
        return parsed.exitCode;
    }
    if (parsed.options->webUser) {
        NameApplication();
        const WebUserCommandResult done = RunWebUserCommand(
            *parsed.options->webUser, ResolveDataFolder(*parsed.options), &ReadNewPassword);
        std::fputs(qPrintable(done.output), stdout);
        if (!done.error.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(done.error));
        return done.exitCode;
    }

    RaiseOpenFileLimit();
    try {
        if (parsed.options->headless) {
            // Without windows pictures are still drawn, off-screen.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            Guarded<QGuiApplication> app(argc, argv);
            NameApplication();
            return RunHeadless(app, *parsed.options);
        }
        Guarded<QApplication> app(argc, argv);
        NameApplication();
        return RunWindows(app, *parsed.options);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vantor: Fatal Error: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "vantor: Fatal Error: unknown error\n");
    }
    return 1;
}
