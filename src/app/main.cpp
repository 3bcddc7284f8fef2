// Entry point: command line, one copy per data folder, then the station runs
// until it is told to stop.
#include "command_line.h"
#include "demo_station.h"
#include "guarded_application.h"
#include "link_library.h"
#include "open_file_limit.h"
#include "single_instance.h"
#include "station_runner.h"
#include "termination_signals.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <optional>

using namespace vantor;

namespace {

using Application = Guarded<QGuiApplication>;

int RunHeadless(Application &app, const CommandLine &options)
{
    const QString dataFolder = ResolveDataFolder(options);
    if (!QDir().mkpath(dataFolder)) {
        std::fprintf(stderr, "vantor: cannot create the data folder %s\n",
                     qPrintable(QDir::toNativeSeparators(dataFolder)));
        return 1;
    }
    SingleInstance instance(dataFolder);
    if (!instance.claim()) {
        std::fprintf(stderr, "vantor: already running on %s\n",
                     qPrintable(QDir::toNativeSeparators(dataFolder)));
        return 0;
    }

    std::optional<DemoStation> demo;
    if (options.demo) {
        demo.emplace();
        QString error;
        if (!demo->prepare(dataFolder, &error)) {
            std::fprintf(stderr, "vantor: %s\n", qPrintable(error));
            return 1;
        }
        std::fprintf(stderr, "vantor: demo station in %s, analyzer simulator on 127.0.0.1:%d\n",
                     qPrintable(QDir::toNativeSeparators(dataFolder)), demo->port());
    }

    HeadlessView view;
    StationRunner runner(std::make_unique<AnalyzerLinkLibrary>(dataFolder), view);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &runner,
                     [&runner] { QCoreApplication::exit(runner.shutDown() ? 0 : 1); });
    app.setErrorHandler(
        [&runner](const std::exception &e) { runner.engine().HandleAppException(e); });
    runner.start(QCoreApplication::applicationDirPath(), dataFolder);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
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

    RaiseOpenFileLimit();
    // Until the main window exists every start runs headless; pictures are
    // still drawn, off-screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vantor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));
    return RunHeadless(app, *parsed.options);
}
