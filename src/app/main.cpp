// Entry point: command line, one copy per data folder, then the station runs
// until it is told to stop.
#include "command_line.h"
#include "guarded_application.h"
#include "link_library.h"
#include "single_instance.h"
#include "station_runner.h"
#include "termination_signals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

using namespace vantor;

namespace {
int RunHeadless(GuardedCoreApplication &app, const CommandLine &options)
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

    HeadlessView view;
    StationRunner runner(std::make_unique<AnalyzerLinkLibrary>(dataFolder), view);
    TerminationSignals termination;
    int exitCode = 0;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &runner, [&] {
        exitCode = runner.shutDown() ? 0 : 1;
        QCoreApplication::exit(exitCode);
    });
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

    GuardedCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vantor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));
    // Until the main window exists every start runs headless.
    return RunHeadless(app, *parsed.options);
}
