#include "clock.h"
#include "system_clock_setting.h"
#include "test_support.h"
#include "time_change_watcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <optional>

using namespace vantor;
using namespace vantor::test;

namespace {

const QString ZoneInfo = QStringLiteral("/usr/share/zoneinfo/Etc/");

// TZ as a test wants it, and as it was (read again) once the test is over.
class ScopedZone
{
public:
    explicit ScopedZone(const std::optional<QByteArray> &zone)
    {
        if (m_saved)
            m_saved = qgetenv("TZ");
        Set(zone);
    }
    ~ScopedZone() { Set(m_saved); }

private:
    static void Set(const std::optional<QByteArray> &zone)
    {
        if (zone)
            qputenv("TZ", *zone);
        else
            qunsetenv("TZ");
        tzset();
    }

    std::optional<QByteArray> m_saved =
        qEnvironmentVariableIsSet("TZ") ? std::optional<QByteArray>(qgetenv("TZ")) : std::nullopt;
};

int LocalOffsetHours()
{
    return SystemClock().currentDateTime().offsetFromUtc() / 3600;
}

} // namespace

TEST(TimeChangeWatcher, StaysQuietWhileTheClockRunsOnByItself)
{
    TimeChangeWatcher watcher;
    ASSERT_TRUE(watcher.isActive());
    int changes = 0;
    QObject::connect(&watcher, &TimeChangeWatcher::timeChanged, [&] { ++changes; });
    EXPECT_FALSE(waitFor([&] { return changes > 0; }, 300));
}

TEST(TimeChangeWatcher, SignalsWhenTheClockIsSetAndKeepsWatching)
{
    if (const QString reason = ClockSettingSkipReason(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    TimeChangeWatcher watcher;
    ASSERT_TRUE(watcher.isActive());
    int changes = 0;
    QObject::connect(&watcher, &TimeChangeWatcher::timeChanged, [&] { ++changes; });

    if (!SetClockToNow())
        GTEST_SKIP() << "setting the clock is not permitted here (errno " << errno << ")";
    EXPECT_TRUE(waitFor([&] { return changes == 1; }));
    ASSERT_TRUE(SetClockToNow());
    EXPECT_TRUE(waitFor([&] { return changes == 2; }));
}

TEST(LocalTimeZone, IsPinnedToTheSystemFileOnlyWhenTzIsUnset)
{
    {
        const ScopedZone zone(std::nullopt);
        EXPECT_EQ(LocalTimeZoneFile(), QStringLiteral("/etc/localtime"));
        PinLocalTimeZone();
        EXPECT_EQ(qgetenv("TZ"), QByteArray(":/etc/localtime"));
        EXPECT_EQ(LocalTimeZoneFile(), QStringLiteral("/etc/localtime"));
    }
    const struct {
        const char *tz;
        const char *file;
    } cases[] = {
        {":/srv/zone", "/srv/zone"},
        {"/srv/zone", "/srv/zone"},
        {"Europe/Berlin", ""},
        {"CET-1CEST,M3.5.0,M10.5.0/3", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        const ScopedZone zone(QByteArray(c.tz));
        EXPECT_EQ(LocalTimeZoneFile(), QString::fromLatin1(c.file)) << c.tz;
        PinLocalTimeZone();
        EXPECT_EQ(qgetenv("TZ"), QByteArray(c.tz));
    }
}

// The zone file replaced as tools do it: renamed over, rewritten in place,
// or a new link. Each time the notice comes, and the local time read after
// it is in the new zone. The zones are copies: nothing outside the test's
// folder is written.
TEST(TimeChangeWatcher, NoticesANewZoneAndTheLocalTimeFollowsIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char *zone : {"GMT-3", "GMT+5", "GMT-9", "GMT+2"}) {
        if (!QFile::copy(ZoneInfo + QLatin1String(zone), folder.filePath(QLatin1String(zone))))
            GTEST_SKIP() << "no time zone data in " << qPrintable(ZoneInfo);
    }
    const QString file = folder.filePath(QStringLiteral("localtime"));
    ASSERT_TRUE(QFile::copy(folder.filePath(QStringLiteral("GMT-3")), file));
    const ScopedZone zone(":" + QFile::encodeName(file));
    TimeChangeWatcher watcher;
    ASSERT_TRUE(watcher.watchesZone());
    int changes = 0;
    QObject::connect(&watcher, &TimeChangeWatcher::timeChanged, [&] { ++changes; });
    ASSERT_EQ(LocalOffsetHours(), 3);

    const auto renamedOver = [&](const QString &source) {
        const QString next = folder.filePath(QStringLiteral("localtime.new"));
        return QFile::copy(source, next) && std::rename(QFile::encodeName(next).constData(),
                                                        QFile::encodeName(file).constData()) == 0;
    };
    const auto rewritten = [&](const QString &source) {
        return !QFileInfo(file).isSymLink() && writeAll(file, readAll(source));
    };
    const auto linked = [&](const QString &source) {
        return QFile::remove(file) && QFile::link(source, file);
    };
    const struct {
        const char *way;
        std::function<bool(const QString &)> replace;
        const char *zone;
        int offset;
    } cases[] = {
        {"renamed over", renamedOver, "GMT+5", -5},
        {"rewritten in place", rewritten, "GMT-9", 9},
        {"rewritten in place again", rewritten, "GMT-3", 3},
        {"linked", linked, "GMT+2", -2},
    };
    for (const auto &c : cases) {
        const int before = changes;
        ASSERT_TRUE(c.replace(folder.filePath(QLatin1String(c.zone)))) << c.way;
        EXPECT_TRUE(waitFor([&] { return changes > before; })) << c.way;
        EXPECT_EQ(LocalOffsetHours(), c.offset) << c.way;
    }
    EXPECT_FALSE(waitFor([&] { return changes > static_cast<int>(std::size(cases)); }, 200))
        << "one notice for each change";
}
