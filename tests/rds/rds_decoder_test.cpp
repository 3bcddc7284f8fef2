// The decoder against groups received off air (tests/rds/data, see its
// README): each file states what its station sent, and the decoder must find
// exactly that.
#include "rds_capture.h"
#include "rds_decoder.h"
#include "rds_tables.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

TDateTime Noon()
{
    return ToDateTime(QDate(2016, 9, 15), QTime(12, 0));
}

// Feeds the groups at the usual rate of about 11.4 a second.
RdsDecoder Decode(const QStringList &groups, TDateTime start = Noon())
{
    RdsDecoder decoder;
    TDateTime now = start;
    for (const QString &text : groups) {
        const auto group = RdsGroup::Parse(text);
        EXPECT_TRUE(group) << text.toStdString();
        if (group)
            decoder.feed(*group, now);
        now += OneSecond / 11.4;
    }
    return decoder;
}

QString Frequencies(const QList<double> &list)
{
    QStringList texts;
    for (const double f : list)
        texts.append(QString::number(f, 'f', 1));
    return texts.join(QLatin1Char(' '));
}

QString Hex2(int v)
{
    return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
}

// The decoded value the capture's statement names.
QString Decoded(const RdsState &s, const QString &key, const QString &value)
{
    const RdsOtherNetwork on = s.otherNetworks.value(0);
    if (key == QLatin1String("pi"))
        return QStringLiteral("%1").arg(s.pi, 4, 16, QLatin1Char('0')).toUpper();
    if (key == QLatin1String("ps"))
        return s.ps.complete;
    if (key == QLatin1String("rt"))
        return s.rt.complete;
    if (key == QLatin1String("long-ps"))
        return s.longPs.complete;
    if (key == QLatin1String("pty"))
        return QString::number(s.pty);
    if (key == QLatin1String("tp"))
        return QString::number(s.tp);
    if (key == QLatin1String("ta"))
        return QString::number(s.ta);
    if (key == QLatin1String("ms"))
        return QString::number(s.ms);
    if (key == QLatin1String("di-stereo"))
        return QString::number(s.di & 1);
    if (key == QLatin1String("af"))
        return s.af.methodB ? QStringLiteral("(method B)") : Frequencies(s.af.same);
    if (key == QLatin1String("af-b-tuned"))
        return s.af.methodB ? QString::number(s.af.tuned, 'f', 1) : QStringLiteral("(method A)");
    if (key == QLatin1String("af-b-same"))
        return Frequencies(s.af.same);
    if (key == QLatin1String("af-b-regional"))
        return Frequencies(s.af.regional);
    if (key == QLatin1String("ecc"))
        return Hex2(s.ecc);
    if (key == QLatin1String("language"))
        return Hex2(s.language);
    if (key == QLatin1String("pin-day"))
        return QString::number(s.pinDay);
    if (key == QLatin1String("pin-time"))
        return QStringLiteral("%1:%2").arg(s.pinHour).arg(s.pinMinute, 2, 10, QLatin1Char('0'));
    if (key == QLatin1String("eon-pi"))
        return QStringLiteral("%1").arg(on.pi, 4, 16, QLatin1Char('0')).toUpper();
    if (key == QLatin1String("eon-ps"))
        return on.ps;
    if (key == QLatin1String("eon-tp"))
        return QString::number(on.tp);
    if (key == QLatin1String("eon-ta"))
        return QString::number(on.ta);
    if (key == QLatin1String("eon-af"))
        return Frequencies(on.frequencies);
    if (key == QLatin1String("rtplus")) {
        const QString type = value.section(QLatin1Char(' '), 0, 0);
        for (const RdsRtPlusItem &item : s.rtPlus) {
            if (item.type == type)
                return type + QLatin1Char(' ') + item.text;
        }
        return type + QStringLiteral(" (none)");
    }
    ADD_FAILURE() << "no such statement: " << key.toStdString();
    return {};
}

} // namespace

TEST(RdsDecoder, FindsWhatEachCapturedStationStatedItSent)
{
    const QStringList files = QDir(RdsCaptureFolder()).entryList({QStringLiteral("*.groups")});
    ASSERT_GE(files.size(), 12);
    for (const QString &file : files) {
        const RdsCapture capture = LoadRdsCapture(file);
        ASSERT_FALSE(capture.groups.isEmpty()) << file.toStdString();
        ASSERT_FALSE(capture.expected.isEmpty()) << file.toStdString();
        const RdsDecoder decoder = Decode(capture.groups);
        for (const auto &[key, value] : capture.expected)
            EXPECT_EQ(Decoded(decoder.state(), key, value).toStdString(), value.toStdString())
                << file.toStdString() << ": " << key.toStdString();
    }
}

TEST(RdsDecoder, ShowsNoNameOrTextBeforeEverySegmentArrivedInOrder)
{
    const RdsCapture x3m = LoadRdsCapture(QStringLiteral("yle-x3m-2016-09-15.groups"));
    ASSERT_EQ(x3m.groups.size(), 4);
    // Each segment missing once, or lost in its block D: never a name.
    for (int lost = 0; lost < 4; ++lost) {
        QStringList groups = x3m.groups;
        groups[lost].replace(12, 4, QStringLiteral("----"));
        const RdsState s = Decode(groups).state();
        EXPECT_EQ(s.ps.complete, QString()) << lost;
        EXPECT_EQ(s.ps.receiving.size(), 8);
    }
    // Out of order: segments 2 and 3 first, then 0 and 1 do not make a name,
    // although every character is there.
    const QStringList shuffled{x3m.groups[2], x3m.groups[3], x3m.groups[0], x3m.groups[1]};
    const RdsState s = Decode(shuffled).state();
    EXPECT_EQ(s.ps.complete, QString());
    EXPECT_EQ(s.ps.receiving, QStringLiteral("YLE X3M "));

    // A RadioText whose A/B flag turns halfway is not finished with the new
    // text's second half: the old parts are cleared.
    const RdsCapture rt =
        LoadRdsCapture(QStringLiteral("radio-gruen-weiss-2021-07-18-rt-padded.groups"));
    QStringList turned = rt.groups;
    for (qsizetype i = turned.size() / 2; i < turned.size(); ++i) {
        const int b = turned[i].mid(4, 4).toInt(nullptr, 16) ^ 0x10;
        turned[i].replace(4, 4, QStringLiteral("%1").arg(b, 4, 16, QLatin1Char('0')).toUpper());
    }
    const RdsState t = Decode(turned).state();
    EXPECT_EQ(t.rt.complete, QString());
    EXPECT_NE(t.rtFlag, Decode(rt.groups).state().rtFlag);
    EXPECT_TRUE(t.rt.receiving.startsWith(QString(8, QLatin1Char(' '))))
        << t.rt.receiving.toStdString();
}

TEST(RdsDecoder, CountsGroupTypesAndTheShareOfLostBlocksPerWholeMinute)
{
    const RdsCapture rt = LoadRdsCapture(QStringLiteral("antenne-2016-09-17-rt-plus.groups"));
    QStringList groups;
    std::uint64_t withoutB = 0;
    // A minute and a half of the capture over and over, one block in eight lost.
    for (int i = 0; groups.size() < 1100; ++i) {
        QString g = rt.groups[i % rt.groups.size()];
        if (i % 2 == 0) {
            g.replace((i / 2 % 4) * 4, 4, QStringLiteral("----"));
            withoutB += i / 2 % 4 == 1;
        }
        groups.append(g);
    }
    const TDateTime start = Noon() + 30 * OneSecond; // half a minute seen only in part
    const RdsState s = Decode(groups, start).state();
    EXPECT_DOUBLE_EQ(s.blockErrorShare, 12.5);
    // Groups without block B have no type.
    EXPECT_EQ(s.groups, 1100u - withoutB);
    std::uint64_t sum = 0;
    for (const auto n : s.groupCounts)
        sum += n;
    EXPECT_EQ(sum, s.groups);
    EXPECT_GT(s.groupCounts[RdsGroupTypeIndex(u"2A")], s.groupCounts[RdsGroupTypeIndex(u"12A")]);
    EXPECT_GT(s.groupCounts[RdsGroupTypeIndex(u"3A")], 0u);

    RdsDecoder fresh = Decode(groups.mid(0, 100), start);
    EXPECT_EQ(fresh.state().blockErrorShare, -1) << "no whole minute yet";
    fresh.reset();
    EXPECT_EQ(fresh.state().groups, 0u);
    EXPECT_EQ(fresh.state().rt.complete, QString());
}

TEST(RdsGroup, ParsesBlocksInOnePassAndNamesGroupTypes)
{
    const auto g = RdsGroup::Parse(u"6204----e4725833");
    ASSERT_TRUE(g);
    EXPECT_TRUE(g->has(RdsGroup::A));
    EXPECT_FALSE(g->has(RdsGroup::B));
    EXPECT_EQ((*g)[RdsGroup::C], 0xE472);
    EXPECT_EQ(g->missingBlocks(), 1);
    EXPECT_EQ(g->typeIndex(), -1);
    EXPECT_FALSE(RdsGroup::Parse(u"62040132E472583"));
    const auto partial = RdsGroup::Parse(u"6204013-E4725833");
    ASSERT_TRUE(partial);
    EXPECT_FALSE(partial->has(RdsGroup::B));
    for (const auto &[name, index] : {std::pair{u"0A", 0}, {u"0B", 1}, {u"15B", 31}, {u"2a", 4}})
        EXPECT_EQ(RdsGroupTypeIndex(name), index);
    for (const char16_t *bad : {u"16A", u"A", u"2C", u"-1A", u"1"})
        EXPECT_EQ(RdsGroupTypeIndex(bad), -1);
    EXPECT_EQ(RdsGroupTypeName(29), QStringLiteral("14B"));
}

TEST(RdsTables, NamesProgrammeTypesInBothTablesAndCountries)
{
    EXPECT_EQ(PtyName(9, PtyNames::Rds), QStringLiteral("Varied"));
    EXPECT_EQ(PtyName(9, PtyNames::Rbds), QStringLiteral("Top 40"));
    EXPECT_EQ(PtyName(32, PtyNames::Rds), QString());
    EXPECT_EQ(EccCountry(0xE1, 0x6201), QStringLiteral("FI"));
    EXPECT_EQ(EccCountry(0xE0, 0xD318), QStringLiteral("DE"));
    EXPECT_EQ(EccCountry(0xA0, 0x4569), QString());
    EXPECT_EQ(RdsChar(0x91), QChar(u'ä'));
    EXPECT_EQ(RdsChar(0x41), QChar(u'A'));
}
