#include "command_line.h"

#include "demo_station.h"
#include "web_settings.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

namespace vantor {

namespace {
const char *HelpText =
    "Usage: vantor [options]\n"
    "Unattended monitoring of FM broadcast transmitters through FM analyzer receivers.\n"
    "\n"
    "Options:\n"
    "  --data-dir DIR  keep settings, logs and station data in DIR\n"
    "                  (default: $VANTOR_DATA_DIR, else the per-user data folder + Vantor)\n"
    "  --headless      run without windows until SIGINT or SIGTERM\n"
    "  --demo          run a demo station on the built-in analyzer simulator\n"
    "                  (in its own data folder, Vantor Demo, unless --data-dir is given)\n"
    "  --http [ADDR:]PORT\n"
    "                  serve the status page, JSON status and metrics on ADDR:PORT\n"
    "                  (ADDR 127.0.0.1 unless given; any other address needs a token)\n"
    "  --http-token-file FILE\n"
    "                  the web server's access token, read from FILE\n"
    "  --web-user add NAME --role operator|viewer\n"
    "  --web-user passwd NAME | remove NAME | list\n"
    "                  edit the users of the web server and exit; the password is\n"
    "                  read without echo, or from standard input when it is no terminal\n"
    "  --snmp-agentx SOCKET\n"
    "                  join snmpd as an AgentX subagent at SOCKET (else \"[SNMP]\" decides)\n"
    "  -h, --help      show this help and exit\n"
    "  --version       show the version and exit\n";
}

CommandLineResult ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption headless(QStringLiteral("headless"));
    const QCommandLineOption demo(QStringLiteral("demo"));
    const QCommandLineOption http(QStringLiteral("http"), QString(), QStringLiteral("ADDR:PORT"));
    const QCommandLineOption httpTokenFile(QStringLiteral("http-token-file"), QString(),
                                           QStringLiteral("FILE"));
    const QCommandLineOption webUser(QStringLiteral("web-user"), QString(), QStringLiteral("VERB"));
    const QCommandLineOption role(QStringLiteral("role"), QString(), QStringLiteral("ROLE"));
    const QCommandLineOption snmpAgentx(QStringLiteral("snmp-agentx"), QString(),
                                        QStringLiteral("SOCKET"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions(
        {dataDir, headless, demo, http, httpTokenFile, webUser, role, snmpAgentx, help, version});

    CommandLineResult result;
    if (!parser.parse(arguments)) {
        result.exitCode = 2;
        result.error =
            QStringLiteral("vantor: ") + parser.errorText() + QStringLiteral(" (try --help)");
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    const QString verb = parser.value(webUser);
    const qsizetype names = verb == QLatin1String("list") ? 0 : 1;
    if (parser.isSet(webUser) &&
        (positional.size() != names || parser.isSet(role) != (verb == QLatin1String("add")))) {
        result.exitCode = 2;
        result.error = QStringLiteral("vantor: --web-user add NAME --role operator|viewer, "
                                      "passwd NAME, remove NAME or list (try --help)");
        return result;
    }
    if (!parser.isSet(webUser) && parser.isSet(role)) {
        result.exitCode = 2;
        result.error = QStringLiteral("vantor: --role goes with --web-user add (try --help)");
        return result;
    }
    if (!parser.isSet(webUser) && !positional.isEmpty()) {
        result.exitCode = 2;
        result.error = QStringLiteral("vantor: unexpected argument '") + positional.first() +
                       QStringLiteral("' (try --help)");
        return result;
    }
    if (parser.isSet(help)) {
        result.output = QLatin1String(HelpText);
        return result;
    }
    if (parser.isSet(version)) {
        result.output = QStringLiteral("vantor " VANTOR_VERSION "\n");
        return result;
    }
    if (parser.isSet(dataDir) && parser.value(dataDir).isEmpty()) {
        result.exitCode = 2;
        result.error = QStringLiteral("vantor: --data-dir needs a folder (try --help)");
        return result;
    }
    QString address;
    int port = 0;
    if (parser.isSet(http) && !ParseListenAddress(parser.value(http), &address, &port)) {
        result.exitCode = 2;
        result.error = QStringLiteral("vantor: --http needs [ADDR:]PORT, not '") +
                       parser.value(http) + QStringLiteral("' (try --help)");
        return result;
    }
    CommandLine options;
    options.dataDir = parser.value(dataDir);
    options.headless = parser.isSet(headless);
    options.demo = parser.isSet(demo);
    options.http = parser.value(http);
    options.httpTokenFile = parser.value(httpTokenFile);
    if (parser.isSet(webUser))
        options.webUser = WebUserCommand{verb, positional.value(0), parser.value(role)};
    options.snmpAgentx = parser.value(snmpAgentx);
    result.options = options;
    return result;
}

QString ResolveDataFolder(const CommandLine &options)
{
    if (!options.dataDir.isEmpty())
        return QDir(options.dataDir).absolutePath();
    if (options.demo)
        return DemoDataFolder();
    const QString fromEnv = qEnvironmentVariable("VANTOR_DATA_DIR");
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).absolutePath();
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).absoluteFilePath(QStringLiteral("Vantor"));
}

} // namespace vantor
