#include "daily_report.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace vantor;

namespace {

TDevice Device(const QString &name, const QString &email,
               std::optional<QStringList> lines = QStringList())
{
    TDevice d;
    d.Name = name;
    d.Email = email;
    d.ActivityLines = std::move(lines);
    return d;
}

std::vector<TDevice> WithEmails(const QStringList &emails)
{
    std::vector<TDevice> devices;
    for (const QString &e : emails)
        devices.push_back(Device(QStringLiteral("K10"), e));
    return devices;
}

} // namespace

TEST(DailyReport, Recipients)
{
    const struct {
        QStringList emails;
        const char *expected;
    } cases[] = {
        {{QStringLiteral("a@x.org"), QStringLiteral("b@y.org")}, "a@x.org; b@y.org"},
        // The same administrator gets one copy; only exactly the same text counts.
        {{QStringLiteral("a@x.org"), QStringLiteral("b@y.org"), QStringLiteral("a@x.org")},
         "a@x.org; b@y.org"},
        {{QStringLiteral("a@x.org"), QStringLiteral("A@x.org")}, "a@x.org; A@x.org"},
        // 4 characters or fewer are no address.
        {{QStringLiteral("@"), QStringLiteral("a@bc"), QStringLiteral("a@b.c"), QString()},
         "a@b.c"},
        {{QStringLiteral("@"), QStringLiteral("@")}, ""},
        {{}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DailyReportRecipients(WithEmails(c.emails)), QString::fromLatin1(c.expected))
            << c.emails.join(QLatin1Char(',')).toStdString();
}

TEST(DailyReport, Text)
{
    const std::vector<TDevice> devices{
        Device(QStringLiteral("North"), QStringLiteral("n@x.org"),
               QStringList{QStringLiteral("2026.12.08 10:00:00 [North] Connected"),
                           QStringLiteral("2026.12.08 10:00:05 [North] Tuned")}),
        Device(QStringLiteral("South"), QStringLiteral("s@x.org")),
        Device(QStringLiteral("West"), QStringLiteral("w@x.org"), std::nullopt)};
    const QStringList app{QStringLiteral("2026.12.08 09:59:58 [application] Started")};
    EXPECT_EQ(
        DailyReportText(app, devices),
        QStringLiteral("Just to inform you that the Vantor is running, performing the operations "
                       "listed below.\r\n\r\n\r\n"
                       "Application Recent Activity:\r\n\r\n"
                       "2026.12.08 09:59:58 [application] Started\r\n\r\n\r\n"
                       "Device 'North' Recent Activity:\r\n\r\n"
                       "2026.12.08 10:00:00 [North] Connected\r\n"
                       "2026.12.08 10:00:05 [North] Tuned\r\n\r\n\r\n"
                       "Device 'South' Recent Activity:\r\n\r\n\r\n\r\n"
                       "Device 'West' Recent Activity:\r\n\r\n\r\n\r\n"
                       "--- End of the report ---\r\n"));
}

TEST(DailyReport, NothingToSendWithoutDevicesOrRecipients)
{
    EXPECT_FALSE(ComposeDailyReport({}, {}).has_value());
    EXPECT_FALSE(ComposeDailyReport({}, WithEmails({QStringLiteral("@")})).has_value());

    const auto report = ComposeDailyReport({}, WithEmails({QStringLiteral("a@x.org")}));
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->recipients, QStringLiteral("a@x.org"));
    EXPECT_TRUE(report->text.startsWith(QLatin1String("Just to inform you")));
    EXPECT_TRUE(report->text.endsWith(QLatin1String("--- End of the report ---\r\n")));
}
