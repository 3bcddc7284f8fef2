#include "email_message.h"
#include "smtp_payload.h"
#include "test_support.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace vantor;

TEST(SmtpPayload, EnvelopeFromTheHeaderAndDataWithoutTransparency)
{
    const QByteArray message =
        SerialiseEmail({QStringLiteral("Station <station@example.org>"),
                        QStringLiteral("one@example.org, two@example.org; Ops <three@example.org>"),
                        QStringLiteral("S"), QStringLiteral(".a\r\n..b\r\n.\r\n\r\nc"),
                        QDateTime(QDate(2026, 12, 10), QTime(3, 15, 7), QTimeZone(3600))});
    const SmtpPayload p = PayloadFromMessage(message);
    EXPECT_EQ(p.sender, QStringLiteral("station@example.org"));
    EXPECT_EQ(p.recipients,
              (QStringList{QStringLiteral("one@example.org"), QStringLiteral("two@example.org"),
                           QStringLiteral("three@example.org")}));
    EXPECT_EQ(p.data, QByteArray("From: Station <station@example.org>\r\n"
                                 "Subject: S\r\n"
                                 "To: one@example.org, two@example.org, Ops <three@example.org>\r\n"
                                 "Date: Thu, 10 Dec 2026 03:15:07 +0100\r\n"
                                 "\r\n"
                                 ".a\r\n"
                                 "..b\r\n"
                                 ".\r\n"
                                 "\r\n"
                                 "c\r\n"));
}

TEST(SmtpPayload, FoldedFieldsMissingFieldsAndAnUnterminatedText)
{
    const SmtpPayload folded = PayloadFromMessage("Subject: x\r\n"
                                                  "TO: a@b.c,\r\n"
                                                  "\t d@e.f\r\n"
                                                  "Date: now\r\n"
                                                  "\r\n"
                                                  "body");
    EXPECT_EQ(folded.sender, QString());
    EXPECT_EQ(folded.recipients, (QStringList{QStringLiteral("a@b.c"), QStringLiteral("d@e.f")}));
    EXPECT_EQ(folded.data,
              QByteArray("Subject: x\r\nTO: a@b.c,\r\n\t d@e.f\r\nDate: now\r\n\r\nbody"));

    // The data ends at the first line holding a lone ".".
    EXPECT_EQ(PayloadFromMessage("To: a@b.c\r\n\r\nx\r\n.\r\nafter\r\n").data,
              QByteArray("To: a@b.c\r\n\r\nx\r\n"));
}

TEST(SmtpPayload, LinesLongerThanSmtpCarriesAreBrokenWithoutLosingAByte)
{
    const QByteArray longLine = QByteArray(997, 'x') + ".yz" + QByteArray(1500, 'w');
    const QByteArray message = SerialiseEmail(
        {QStringLiteral("a@example.org"), QStringLiteral("b@example.org"), QStringLiteral("S"),
         QStringLiteral("short\r\n") + QString::fromLatin1(longLine),
         QDateTime(QDate(2026, 12, 10), QTime(3, 15, 7), QTimeZone(3600))});
    const SmtpPayload p = PayloadFromMessage(message);
    const QByteArray body = p.data.mid(p.data.indexOf("\r\n\r\n") + 4);
    for (const QByteArray &line : body.split('\n'))
        EXPECT_LE(line.size(), 999) << "998 characters and the CR";
    EXPECT_EQ(QByteArray(body).replace("\r\n", ""), "short" + longLine);
}
