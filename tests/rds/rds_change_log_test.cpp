// The RDS change log written from off-air groups into a real folder: what
// changed, when, one file a day, a scrolling PS kept to a few lines.
#include "rds_change_log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantor;

namespace {

// YLE X3M (FI), 2016-09-15, groups 0A (tests/rds/data/yle-x3m-2016-09-15.groups).
const QStringList X3m{u"62040130966B594C"_qs, u"6204013193CD4520"_qs, u"62040132E4725833"_qs,
                      u"62040137966B4D20"_qs};

// The same groups spelling another name: a station scrolling its PS.
QStringList Named(const QString &name)
{
    QStringList groups = X3m;
    for (int i = 0; i < 4; ++i) {
        const int d = name[2 * i].unicode() << 8 | name[2 * i + 1].unicode();
        groups[i].replace(12, 4, QStringLiteral("%1").arg(d, 4, 16, QLatin1Char('0')).toUpper());
    }
    return groups;
}

struct Station {
    RdsDecoder decoder;
    RdsChangeLog log;
    TDateTime now;
    int failures = 0;

    void play(const QStringList &groups, int times = 1)
    {
        for (int t = 0; t < times; ++t) {
            for (const QString &text : groups) {
                const std::uint32_t changes = decoder.feed(*RdsGroup::Parse(text), now);
                if ((changes || log.pending()) &&
                    !log.record(decoder.state(), changes, now, PtyNames::Rds))
                    ++failures;
                now += OneSecond / 4;
            }
        }
    }
};

QStringList Lines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("(no file)")};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

std::string Text(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n')).toStdString();
}

TDateTime At(int h, int m, int s)
{
    return ToDateTime(QDate(2016, 9, 15), QTime(h, m, s));
}

} // namespace

TEST(RdsChangeLog, WritesEachChangeOnceWithItsLocalTime)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    Station s{{}, RdsChangeLog(folder, QStringLiteral("K30 \"roof\"")), At(23, 59, 56)};
    ASSERT_TRUE(s.log.tuned(QStringLiteral("YLE X3M 93.2"), s.now));
    s.play(X3m, 8);
    const QString file = RdsChangeLogFileName(folder, QStringLiteral("K30 \"roof\""), At(0, 0, 0));
    EXPECT_TRUE(file.endsWith(QStringLiteral(" - 2016-09-15 RDS.csv"))) << file.toStdString();
    // The AF list as the station sends it: 98.9 102.5 98.2 102.2 and a filler.
    EXPECT_EQ(Text(Lines(file)), Text({
                                     u"Time;What;Value"_qs,
                                     u"2016-09-15 23:59:56;Station;\"YLE X3M 93.2\""_qs,
                                     u"2016-09-15 23:59:56;PI;\"6204\""_qs,
                                     u"2016-09-15 23:59:56;PTY;\"9 Varied\""_qs,
                                     u"2016-09-15 23:59:56;TP;\"0\""_qs,
                                     u"2016-09-15 23:59:56;TA;\"1\""_qs,
                                     u"2016-09-15 23:59:57;AF;\"98.9 102.5 98.2 102.2\""_qs,
                                 }));
    // The name is logged once it stayed for 16 PS groups, on the next day's file.
    const QString next =
        RdsChangeLogFileName(folder, QStringLiteral("K30 \"roof\""), At(0, 0, 0) + 1);
    EXPECT_EQ(Text(Lines(next)),
              Text({u"Time;What;Value"_qs, u"2016-09-16 00:00:00;PS;\"YLE X3M \""_qs}));
    EXPECT_EQ(s.failures, 0);
}

TEST(RdsChangeLog, AScrollingNameWritesOneLineNotOnePerName)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    Station s{{}, RdsChangeLog(folder, QStringLiteral("K10")), At(10, 0, 0)};
    s.play(X3m, 6);
    for (int cycle = 0; cycle < 20; ++cycle) {
        for (const char *name : {"NOW ON  ", "ANOTHER ", "SONG BY ", "SOMEONE "})
            s.play(Named(QLatin1String(name)));
        s.play(X3m, 6);
    }
    s.play(Named(QStringLiteral("NEWS 24 ")), 6);
    QStringList ps;
    for (const QString &line : Lines(RdsChangeLogFileName(folder, QStringLiteral("K10"), s.now))) {
        if (line.contains(QLatin1String(";PS")))
            ps.append(line.section(QLatin1Char(';'), 1));
    }
    EXPECT_EQ(Text(ps), Text({u"PS;\"YLE X3M \""_qs, u"PS scrolling;\"SONG BY \""_qs,
                              u"PS;\"NEWS 24 \""_qs}));
}

TEST(RdsChangeLog, AFileThatCannotBeWrittenIsToldOnceAndTriedAgainWhenTuned)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/gone/");
    Station s{{}, RdsChangeLog(folder, QStringLiteral("K10")), At(10, 0, 0)};
    s.play(X3m, 8);
    EXPECT_EQ(s.failures, 1);
    EXPECT_TRUE(s.log.errorString().contains(QLatin1String("gone")))
        << s.log.errorString().toStdString();
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(s.log.tuned(QStringLiteral("Next"), s.now));
    s.decoder.reset();
    s.play(X3m, 8);
    EXPECT_EQ(s.failures, 1);
    EXPECT_EQ(Lines(RdsChangeLogFileName(folder, QStringLiteral("K10"), s.now)).size(), 8);
}

TEST(RdsChangeLog, QuotesValuesAndKeepsEveryCharacter)
{
    EXPECT_EQ(RdsChangeLine(At(9, 5, 3), QStringLiteral("RT"),
                            QStringLiteral("Say \"hi\"\r\nVega Kväll")),
              QByteArray("2016-09-15 09:05:03;RT;\"Say \"\"hi\"\"  Vega Kv\xC3\xA4ll\"\r\n"));
    RdsAlternativeFrequencies b{true, 94.0, {97.0, 90.3}, {94.3}};
    EXPECT_EQ(RdsAfText(b), QStringLiteral("B 94.0: 97.0 90.3 / regional: 94.3"));
}
