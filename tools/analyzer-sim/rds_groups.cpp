#include "rds_groups.h"

#include <QFile>

#include <cmath>
#include <cstdlib>

namespace vantor::sim {

namespace {

// Block B: group type code, version A, no traffic programme, programme type 0.
quint16 blockB(int groupType, unsigned low5)
{
    return static_cast<quint16>((groupType << 12) | (low5 & 0x1F));
}

quint16 charPair(const QByteArray &text, int index)
{
    const auto at = [&](int i) { return static_cast<quint8>(text.at(i)); };
    return static_cast<quint16>((at(index) << 8) | at(index + 1));
}

// No alternative frequencies: "no AF exists" (224) followed by the filler code (205).
constexpr quint16 noAlternativeFrequencies = 0xE0CD;

} // namespace

RdsGroup psGroup(quint16 pi, const QByteArray &ps, int segment)
{
    const QByteArray padded = ps.leftJustified(8, ' ', true);
    const int s = segment & 3;
    return {pi, blockB(0, static_cast<unsigned>(s)), noAlternativeFrequencies,
            charPair(padded, 2 * s)};
}

int radioTextSegments(const QByteArray &text)
{
    if (text.isEmpty())
        return 0;
    const qsizetype withEnd = text.size() < 64 ? text.size() + 1 : 64;
    return static_cast<int>((withEnd + 3) / 4);
}

RdsGroup radioTextGroup(quint16 pi, const QByteArray &text, int segment, bool textB)
{
    QByteArray full = text.left(64);
    if (full.size() < 64)
        full.append('\r');
    full = full.leftJustified(64, ' ');
    const int s = segment & 15;
    const unsigned low = (textB ? 0x10U : 0U) | static_cast<unsigned>(s);
    return {pi, blockB(2, low), charPair(full, 4 * s), charPair(full, 4 * s + 2)};
}

RdsGroup clockTimeGroup(quint16 pi, const QDateTime &stationTime)
{
    const QDateTime utc = stationTime.toUTC();
    const qint64 mjd = utc.date().toJulianDay() - 2400001;
    const int hour = utc.time().hour();
    const int minute = utc.time().minute();
    const int halfHours = static_cast<int>(std::lround(stationTime.offsetFromUtc() / 1800.0));
    const unsigned sign = halfHours < 0 ? 1U : 0U;
    const unsigned magnitude = static_cast<unsigned>(std::abs(halfHours)) & 0x1F;

    const auto b = static_cast<quint16>((4 << 12) | ((mjd >> 15) & 0x3));
    const auto c = static_cast<quint16>(((mjd & 0x7FFF) << 1) | ((hour >> 4) & 1));
    const auto d =
        static_cast<quint16>(((hour & 0xF) << 12) | (minute << 6) | (sign << 5) | magnitude);
    return {pi, b, c, d};
}

QByteArray groupText(const RdsGroup &group, unsigned lostBlocks)
{
    QByteArray text;
    text.reserve(16);
    for (int i = 0; i < 4; ++i) {
        if (lostBlocks & (1U << i))
            text.append("----");
        else
            text.append(QByteArray::number(group[static_cast<size_t>(i)], 16)
                            .toUpper()
                            .rightJustified(4, '0'));
    }
    return text;
}

std::optional<QList<CapturedGroup>> readCapture(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    QList<CapturedGroup> groups;
    int lineNumber = 0;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        ++lineNumber;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith("expect "))
            continue;
        CapturedGroup captured;
        bool ok = line.size() == 16;
        for (int i = 0; ok && i < 4; ++i) {
            const QByteArray block = line.mid(i * 4, 4);
            if (block == "----") {
                captured.lost |= 1U << i;
                continue;
            }
            captured.group[static_cast<size_t>(i)] = static_cast<quint16>(block.toUInt(&ok, 16));
        }
        if (!ok) {
            *error = path + QStringLiteral(": line %1 is no group").arg(lineNumber);
            return std::nullopt;
        }
        groups.append(captured);
    }
    if (groups.isEmpty()) {
        *error = path + QStringLiteral(": no groups");
        return std::nullopt;
    }
    return groups;
}

} // namespace vantor::sim
