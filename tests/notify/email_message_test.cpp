#include "address_list.h"
#include "email_copy.h"
#include "email_message.h"
#include "rfc5322_date.h"
#include "test_support.h"

#include <QLocale>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace vantor;

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s, int offsetSeconds)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone(offsetSeconds));
}

QByteArray SerialisedBody(const QString &body)
{
    const QByteArray all = SerialiseEmail({{}, {}, {}, body, At(2026, 12, 10, 3, 15, 7, 0)});
    return all.mid(all.indexOf("\r\n\r\n") + 4);
}

} // namespace

TEST(EmailMessage, SerialisedFormOfAFullMessage)
{
    const EmailMessage m{QStringLiteral("station@example.org"),
                         QStringLiteral("ops@example.org; Night Shift <night@example.org>"),
                         QStringLiteral("Alarm: Silence"),
                         QStringLiteral("Line one\r\n.starts with a dot\r\n..two dots\r\n\r\nlast"),
                         At(2026, 12, 10, 3, 15, 7, 3600)};
    EXPECT_EQ(SerialiseEmail(m),
              QByteArray("From: station@example.org\r\n"
                         "Subject: Alarm: Silence\r\n"
                         "To: ops@example.org, Night Shift <night@example.org>\r\n"
                         "Date: Thu, 10 Dec 2026 03:15:07 +0100\r\n"
                         "\r\n"
                         "Line one\r\n"
                         "..starts with a dot\r\n"
                         "...two dots\r\n"
                         "\r\n"
                         "last\r\n"
                         ".\r\n"));
}

TEST(EmailMessage, EmptyFieldsAreLeftOut)
{
    EXPECT_EQ(SerialiseEmail({{}, {}, {}, QStringLiteral("x"), At(2026, 12, 8, 21, 15, 7, 0)}),
              QByteArray("Date: Tue, 08 Dec 2026 21:15:07 +0000\r\n\r\nx\r\n.\r\n"));
    // A recipient text without any address gives no "To" either.
    EXPECT_EQ(SerialiseEmail({QStringLiteral("a@b.c"),
                              QStringLiteral(" ;, "),
                              QStringLiteral("S"),
                              {},
                              At(2026, 12, 8, 21, 15, 7, 0)}),
              QByteArray("From: a@b.c\r\nSubject: S\r\nDate: Tue, 08 Dec 2026 21:15:07 "
                         "+0000\r\n\r\n.\r\n"));
}

TEST(EmailMessage, BodyLinesAndTheirEnds)
{
    const struct {
        const char *body;
        QByteArray expected;
    } cases[] = {
        {"", ".\r\n"},
        {"a", "a\r\n.\r\n"},
        // A line break at the end closes the last line rather than opening one.
        {"a\r\n", "a\r\n.\r\n"},
        {"a\r\n\r\n", "a\r\n\r\n.\r\n"},
        {"\r\n", "\r\n.\r\n"},
        {".", "..\r\n.\r\n"},
        {"a\r\n.\r\nb", "a\r\n..\r\nb\r\n.\r\n"},
        // Only CR LF separates lines; a lone LF or CR stays inside its line.
        {"a\n.b\rc\r\n.d", "a\n.b\rc\r\n..d\r\n.\r\n"},
        // 8-bit characters pass unchanged.
        {"caf\xe9 \xb0", "caf\xe9 \xb0\r\n.\r\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SerialisedBody(QString::fromLatin1(c.body)), c.expected) << c.body;
}

TEST(EmailMessage, HeaderTextsAre8Bit)
{
    const QByteArray s = SerialiseEmail({QStringLiteral("a@b.c"),
                                         QStringLiteral("d@e.f"),
                                         QString::fromLatin1("Alarm \xe9t\xe9"),
                                         {},
                                         At(2026, 12, 8, 21, 15, 7, 0)});
    EXPECT_TRUE(s.contains("Subject: Alarm \xe9t\xe9\r\n"));
}

TEST(Rfc5322Date, OffsetsAndNames)
{
    const struct {
        QDateTime dt;
        const char *expected;
    } cases[] = {
        {At(2026, 12, 10, 3, 15, 7, 3600), "Thu, 10 Dec 2026 03:15:07 +0100"},
        {At(2024, 2, 29, 23, 59, 59, 0), "Thu, 29 Feb 2024 23:59:59 +0000"},
        {At(2027, 1, 3, 0, 0, 0, -(5 * 3600 + 30 * 60)), "Sun, 03 Jan 2027 00:00:00 -0530"},
        {At(2026, 7, 1, 12, 0, 0, 5 * 3600 + 45 * 60), "Wed, 01 Jul 2026 12:00:00 +0545"},
    };
    // Day and month names are the Internet's, not the user's language.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const auto &c : cases)
        EXPECT_EQ(Rfc5322Date(c.dt), QString::fromLatin1(c.expected));
    QLocale::setDefault(previous);
}

TEST(EmailCopy, FileNameIsTheSecondOfSending)
{
    EXPECT_EQ(EmailCopyFileName(At(2026, 12, 8, 21, 15, 7, 3600)),
              QStringLiteral("2026-12-08 21-15-07.eml"));
    EXPECT_EQ(EmailCopyFileName(QDateTime(QDate(2027, 1, 3), QTime(4, 5, 6, 999))),
              QStringLiteral("2027-01-03 04-05-06.eml"));
    const QDateTime sent(QDate(2027, 1, 3), QTime(4, 5, 6));
    EXPECT_EQ(EmailCopyFileName(sent, 2), QStringLiteral("2027-01-03 04-05-06_002.eml"));
    EXPECT_EQ(EmailCopyFileName(sent, 10), QStringLiteral("2027-01-03 04-05-06_010.eml"));
    EXPECT_EQ(EmailCopyFileName(sent, 1000), QStringLiteral("2027-01-03 04-05-06_1000.eml"));
}

TEST(AddressList, SeparatorsNamesQuotesAndComments)
{
    const auto addresses = [](const char *text) {
        QStringList out;
        for (const Mailbox &m : ParseAddressList(QString::fromLatin1(text)))
            out.append(m.address);
        return out.join(QLatin1Char('|'));
    };
    EXPECT_EQ(addresses("a@b.c"), QStringLiteral("a@b.c"));
    EXPECT_EQ(addresses(" a@b.c , d@e.f;g@h.i "), QStringLiteral("a@b.c|d@e.f|g@h.i"));
    EXPECT_EQ(addresses("a@b.c,,; ;"), QStringLiteral("a@b.c"));
    EXPECT_EQ(addresses("\"Doe, John; Jr\" <j@d.org>, Ops <ops@d.org>"),
              QStringLiteral("j@d.org|ops@d.org"));
    EXPECT_EQ(addresses("a@b.c (night shift, main site), d@e.f"), QStringLiteral("a@b.c|d@e.f"));
    EXPECT_EQ(addresses(""), QString());

    const QList<Mailbox> named = ParseAddressList(QStringLiteral(" Ops <ops@d.org> ;x@y.z"));
    ASSERT_EQ(named.size(), 2);
    EXPECT_EQ(named[0].text, QStringLiteral("Ops <ops@d.org>"));
    EXPECT_EQ(named[1].text, QStringLiteral("x@y.z"));
}
