// The order and content of a station's groups, read back the way a decoder
// reads them.
#include "analyzer-sim/rds_stream.h"
#include "rds_decode.h"

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
