// Reading of the scenario INI text: "[98.5]" opens a station, "Key=Value"
// lines set its values through the same setter the control connection uses,
// lines starting with ";" or "#" are comments.
#include "scenario.h"

#include <QFile>

namespace vantor::sim {

std::optional<Scenario> Scenario::parse(const QByteArray &text, QString *error)
{
    Scenario scenario;
    int kHz = -1;
    int lineNumber = 0;
    const auto fail = [&](const QString &message) {
        if (error)
            *error = QStringLiteral("line %1: ").arg(lineNumber) + message;
        return std::nullopt;
    };
    for (const QByteArray &raw : text.split('\n')) {
        ++lineNumber;
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(QStringLiteral("section without closing bracket: ") + line);
            kHz = parseFrequency(line.mid(1, line.size() - 2));
            if (kHz < 0)
                return fail(QStringLiteral("section is not a frequency in MHz: ") + line);
            if (!scenario.m_stations.contains(kHz))
                scenario.m_stations.insert(kHz, defaultStation(kHz));
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return fail(QStringLiteral("expected Key=Value: ") + line);
        if (kHz < 0)
            return fail(QStringLiteral("key outside a [frequency] section: ") + line);
        QString message;
        if (!scenario.set(kHz, line.left(eq).trimmed(), line.mid(eq + 1).trimmed(), &message))
            return fail(message);
    }
    return scenario;
}

std::optional<Scenario> Scenario::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    QString message;
    auto scenario = parse(file.readAll(), &message);
    if (!scenario && error)
        *error = path + QStringLiteral(": ") + message;
    return scenario;
}

} // namespace vantor::sim
