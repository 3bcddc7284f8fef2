// analyzer-sim: plays FM analyzer receivers on TCP ports and pseudo-terminals
// so the program can run without hardware. See README.md.
#include "simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using vantor::sim::Scenario;
using vantor::sim::Simulator;

struct Endpoint {
    QHostAddress host;
    quint16 port = 0;
};

// "HOST:PORT", "[V6]:PORT", "localhost:PORT" or ":PORT" (all interfaces).
std::optional<Endpoint> parseEndpoint(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    QString host = text.left(colon);
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    Endpoint e;
    e.port = static_cast<quint16>(port);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host == QLatin1String("*"))
        e.host = QHostAddress::Any;
    else if (host == QLatin1String("localhost"))
        e.host = QHostAddress::LocalHost;
    else if (!e.host.setAddress(host))
        return std::nullopt;
    return e;
}

QString endpointText(const QHostAddress &host, int port)
{
    const QString h = host.protocol() == QAbstractSocket::IPv6Protocol
                          ? QStringLiteral("[") + host.toString() + QStringLiteral("]")
                          : host.toString();
    return h + QStringLiteral(":") + QString::number(port);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "analyzer-sim: %s\n", qPrintable(message));
    return 1;
}

// SIGINT and SIGTERM end the event loop, so that pty links are removed.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("analyzer-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated FM analyzer receivers."));
    parser.addHelpOption();
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("A receiver on TCP (port 0: a free port)."),
                                    QStringLiteral("HOST:PORT"));
    const QCommandLineOption pty(
        QStringLiteral("pty"),
        QStringLiteral("A serial receiver on a pseudo-terminal linked at PATH."),
        QStringLiteral("PATH"));
    const QCommandLineOption scenarioFile(
        QStringLiteral("scenario"),
        QStringLiteral("Station values (INI); built-in stations without it."),
        QStringLiteral("FILE"));
    const QCommandLineOption controlPort(QStringLiteral("control"),
                                         QStringLiteral("Control port (port 0: a free port)."),
                                         QStringLiteral("HOST:PORT"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Noise seed (default 1)."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    parser.addOptions({listen, pty, scenarioFile, controlPort, seed});
    parser.process(app);

    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument: ") + parser.positionalArguments().first());
    if (!parser.isSet(listen) && !parser.isSet(pty))
        return fail(QStringLiteral("give at least one --listen HOST:PORT or --pty PATH"));
    bool seedOk = false;
    const quint32 seedValue = parser.value(seed).toUInt(&seedOk);
    if (!seedOk)
        return fail(QStringLiteral("--seed takes a whole number: ") + parser.value(seed));

    Scenario scenario = Scenario::builtIn();
    if (parser.isSet(scenarioFile)) {
        QString error;
        auto loaded = Scenario::load(parser.value(scenarioFile), &error);
        if (!loaded)
            return fail(QStringLiteral("scenario ") + error);
        scenario = *loaded;
    }

    Simulator simulator(scenario, seedValue);
    QStringList announce;
    for (const QString &text : parser.values(listen)) {
        const auto e = parseEndpoint(text);
        if (!e)
            return fail(QStringLiteral("--listen takes HOST:PORT: ") + text);
        const int port = simulator.listenTcp(e->host, e->port);
        if (port < 0)
            return fail(text + QStringLiteral(": ") + simulator.errorString());
        announce.append(QStringLiteral("listen ") + endpointText(e->host, port));
    }
    for (const QString &path : parser.values(pty)) {
        if (!simulator.openPty(path))
            return fail(path + QStringLiteral(": ") + simulator.errorString());
        announce.append(QStringLiteral("pty ") + path);
    }
    if (parser.isSet(controlPort)) {
        const QString text = parser.value(controlPort);
        const auto e = parseEndpoint(text);
        if (!e)
            return fail(QStringLiteral("--control takes HOST:PORT: ") + text);
        const int port = simulator.listenControl(e->host, e->port);
        if (port < 0)
            return fail(text + QStringLiteral(": ") + simulator.errorString());
        announce.append(QStringLiteral("control ") + endpointText(e->host, port));
    }
    for (const QString &line : std::as_const(announce))
        std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);

    quitOnSignals(app);
    return app.exec();
}
