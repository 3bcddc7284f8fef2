// The order and content of a station's groups, read back the way a decoder
// reads them.
#include "analyzer-sim/rds_stream.h"
#include "analyzer-sim/scenario.h"
#include "rds_decode.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;

namespace {

struct Decoded {
    QByteArray text = QByteArray(64, '?');
    int textFlag = -1;
    int flagChanges = 0;
    int clockGroups = 0;
    int other = 0;
};

void decode(const sim::RdsGroup &g, Decoded &d)
{
    const auto blocks = test::parseGroup(sim::groupText(g));
    ASSERT_TRUE(blocks.has_value());
    const int b = (*blocks)[1];
    switch (test::groupTypeCode(b)) {
    case 4: {
        const int flag = (b >> 4) & 1;
        if (d.textFlag >= 0 && flag != d.textFlag) {
            ++d.flagChanges;
            d.text = QByteArray(64, '?');
        }
        d.textFlag = flag;
        const int at = 4 * (b & 0xF);
        for (int i = 0; i < 2; ++i) {
            const int block = (*blocks)[2 + i];
            d.text[at + 2 * i] = static_cast<char>(block >> 8);
            d.text[at + 2 * i + 1] = static_cast<char>(block & 0xFF);
        }
        break;
    }
    case 8:
        ++d.clockGroups;
        break;
    case 0:
        break;
    default:
        ++d.other;
    }
}

TEST(RdsStream, RadiotextCompletesAndRestartsWithAFlippedFlagWhenItChanges)
{
    sim::StationParams station;
    station.radioText = "Sixty-four characters do not fit in fewer than sixteen segments!";
    ASSERT_EQ(station.radioText.size(), 64);
    const QDateTime t(QDate(2024, 5, 1), QTime(12, 0, 10), Qt::UTC);
    sim::RdsStream stream;
    stream.restart(t);

    Decoded d;
    for (int i = 0; i < 5 * 16; ++i)
        decode(stream.next(station, t), d);
    EXPECT_EQ(d.text, station.radioText) << "one 2A group in five: 16 segments in 80 groups";
    EXPECT_EQ(d.clockGroups, 0);
    EXPECT_EQ(d.other, 0);

    station.radioText = "Short";
    for (int i = 0; i < 5 * 2; ++i)
        decode(stream.next(station, t), d);
    EXPECT_EQ(d.flagChanges, 1);
    EXPECT_EQ(d.text.left(8), QByteArray("Short\r  ")) << "ended by a carriage return";
}

TEST(RdsStream, ClockTimeOnlyWhenTheMinuteChanges)
{
    sim::StationParams station;
    const QDateTime t(QDate(2024, 5, 1), QTime(12, 0, 59), Qt::UTC);
    sim::RdsStream stream;
    stream.restart(t);
    Decoded d;
    decode(stream.next(station, t), d);
    decode(stream.next(station, t.addMSecs(999)), d);
    EXPECT_EQ(d.clockGroups, 0);
    decode(stream.next(station, t.addSecs(1)), d);
    EXPECT_EQ(d.clockGroups, 1);
    decode(stream.next(station, t.addSecs(2)), d);
    EXPECT_EQ(d.clockGroups, 1);
    // A clock set back counts as a change too.
    decode(stream.next(station, t.addSecs(-60)), d);
    EXPECT_EQ(d.clockGroups, 2);
}

} // namespace

TEST(RdsStream, AStationGivenACapturePlaysItsGroupsInALoop)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("capture.groups"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# station: Radio Krka (SI), PI 9423\nexpect pi 9423\n\n"
               "9423080000002020\n94232801----4B52\n");
    file.close();
    sim::Scenario scenario;
    QString error;
    ASSERT_TRUE(scenario.set(98500, QStringLiteral("Groups"), path, &error)) << qPrintable(error);
    const sim::StationParams &station = *scenario.station(98500);

    sim::RdsStream stream;
    const QDateTime t(QDate(2024, 5, 1), QTime(12, 0, 30));
    stream.restart(t);
    QList<QByteArray> played;
    for (int i = 0; i < 5; ++i) {
        unsigned lost = 0;
        // The minute changes meanwhile: a capture carries its own clock.
        const sim::RdsGroup g = stream.next(station, t.addSecs(60 * i), &lost);
        played << sim::groupText(g, lost);
    }
    EXPECT_EQ(played, (QList<QByteArray>{"9423080000002020", "94232801----4B52", "9423080000002020",
                                         "94232801----4B52", "9423080000002020"}));

    // Refused: a missing file, a line that is no group, a file without groups.
    for (const QByteArray &content :
         {QByteArray("9423080000002020\n94230801XYZ\n"), QByteArray("# nothing but notes\n")}) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        EXPECT_FALSE(scenario.set(98500, QStringLiteral("Groups"), path, &error)) << content.data();
        EXPECT_TRUE(error.startsWith(path)) << qPrintable(error);
    }
    EXPECT_FALSE(scenario.set(98500, QStringLiteral("Groups"), dir.filePath(QStringLiteral("none")),
                              &error));
    // Empty: back to the groups made from the station's values.
    ASSERT_TRUE(scenario.set(98500, QStringLiteral("Groups"), QString(), &error));
    EXPECT_TRUE(scenario.station(98500)->capture.isEmpty());
}
