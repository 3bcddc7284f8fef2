#include "smtp_server.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(SmtpServer, HostAndPortRules)
{
    const struct {
        const char *setting;
        const char *host;
        int port;
    } cases[] = {
        {"mail.x.org:587", "mail.x.org", 587},
        {"abc:25", "abc", 25},
        // A colon before the fourth character is part of the host name.
        {"ab:25", "ab:25", 25},
        {"a:b:587", "a:b:587", 25},
        {"mail.x.org:smtp", "mail.x.org", 25},
        {"mail.x.org:", "mail.x.org", 25},
        // At most five characters after the colon make the number.
        {"mail.x.org:1234567", "mail.x.org", 12345},
        {"mail.x.org:25:26", "mail.x.org", 25},
        {"mail.x.org", "mail.x.org", 25},
        {"", "", 25},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParseSmtpServer(QString::fromLatin1(c.setting)),
                  (SmtpServer{QString::fromLatin1(c.host), c.port}))
            << c.setting;
}
