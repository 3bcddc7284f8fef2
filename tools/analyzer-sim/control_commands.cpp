// The control protocol: "[@N] command [arguments]", one answer ending in a
// line that starts "OK" or "ERR". See README.md for the commands.
#include "simulator.h"

#include <QRegularExpression>

namespace vantor::sim {

namespace {

QString ok(const QString &text = {})
{
    return text.isEmpty() ? QStringLiteral("OK") : QStringLiteral("OK ") + text;
}

QString err(const QString &text)
{
    return QStringLiteral("ERR ") + text;
}

} // namespace

QStringList Simulator::control(const QString &line)
{
    static const QRegularExpression prefix(QStringLiteral("^\\s*@(\\d+)\\s+(.*)$"));
    QString command = line;
    int index = 0;
    if (const auto m = prefix.match(line); m.hasMatch()) {
        bool parsed = false;
        index = m.captured(1).toInt(&parsed);
        if (!parsed || index >= receiverCount())
            return {err(QStringLiteral("no receiver ") + m.captured(1))};
        command = m.captured(2);
    }
    Receiver *r = receiver(index);
    if (!r)
        return {err(QStringLiteral("no receiver"))};
    return runOn(r, command);
}

QStringList Simulator::runOn(Receiver *r, const QString &command)
{
    static const QRegularExpression shape(QStringLiteral("^\\s*(\\S+)(?: (.*))?$"));
    const auto m = shape.match(command);
    if (!m.hasMatch())
        return {err(QStringLiteral("empty command"))};
    const QString verb = m.captured(1);
    // "raw" keeps its text exactly; everything else ignores surrounding blanks.
    const QString rest = m.captured(2);
    const QString args = rest.trimmed();

    if (verb == QLatin1String("set")) {
        static const QRegularExpression setArgs(QStringLiteral("^(\\S+)\\s+(\\S+)\\s+(.*)$"));
        const auto a = setArgs.match(args);
        if (!a.hasMatch())
            return {err(QStringLiteral("usage: set FREQ KEY VALUE"))};
        const int kHz = Scenario::parseFrequency(a.captured(1));
        if (kHz < 0)
            return {err(QStringLiteral("not a frequency in MHz: ") + a.captured(1))};
        QString error;
        if (!r->scenario().set(kHz, a.captured(2), a.captured(3), &error))
            return {err(error)};
        return {ok()};
    }
    if (verb == QLatin1String("silent")) {
        if (args != QLatin1String("on") && args != QLatin1String("off"))
            return {err(QStringLiteral("usage: silent on|off"))};
        r->setSilent(args == QLatin1String("on"));
        return {ok()};
    }
    if (verb == QLatin1String("drop")) {
        r->link()->drop();
        return {ok()};
    }
    if (verb == QLatin1String("group")) {
        static const QRegularExpression group(QStringLiteral("^(?:[0-9A-Fa-f]{4}|----){4}$"));
        if (!group.match(args).hasMatch())
            return {err(QStringLiteral("a group is 4 blocks of 4 hex digits or ----: ") + args)};
        if (!r->sendLine("G=" + args.toLatin1()))
            return {err(QStringLiteral("no program connected"))};
        return {ok()};
    }
    if (verb == QLatin1String("raw")) {
        if (!r->sendLine(rest.toLatin1()))
            return {err(QStringLiteral("no program connected"))};
        return {ok()};
    }
    if (verb == QLatin1String("drift")) {
        bool parsed = false;
        const double mhz = args.toDouble(&parsed);
        if (!parsed || !(mhz > 0.0) || mhz >= 1000.0)
            return {err(QStringLiteral("not a frequency in MHz: ") + args)};
        r->setDrift(mhz);
        return {ok()};
    }
    if (verb == QLatin1String("status"))
        return {ok(r->statusText())};
    if (verb == QLatin1String("commands")) {
        QStringList lines;
        for (const QByteArray &c : r->commandLog())
            lines.append(QString::fromLatin1(c));
        lines.append(ok());
        return lines;
    }
    return {err(QStringLiteral("unknown command: ") + verb)};
}

} // namespace vantor::sim
