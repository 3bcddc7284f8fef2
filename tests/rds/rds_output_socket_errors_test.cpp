#include "rds_output_update.h"
#include "rds_socket_errors.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace vantor;

namespace {

TEST(RdsOutputLogTextTest, SocketFailuresReadAsWindowsSocketsTexts)
{
    struct Case {
        QAbstractSocket::SocketError error;
        const char *text;
    };
    const Case cases[] = {
        {QAbstractSocket::AddressInUseError, "Address already in use"},
        {QAbstractSocket::SocketAccessError, "Permission denied"},
        {QAbstractSocket::ConnectionRefusedError, "Connection refused"},
        {QAbstractSocket::SocketAddressNotAvailableError, "Can't assign requested address"},
        {QAbstractSocket::SocketResourceError, "Too many open files"},
        {QAbstractSocket::UnknownSocketError, "Not a WinSock error ?"},
        {QAbstractSocket::ProxyConnectionRefusedError, "Not a WinSock error ?"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SocketErrorText(c.error), QLatin1String(c.text)) << c.error;
}

TEST(RdsOutputLogTextTest, LogLines)
{
    EXPECT_EQ(RdsOutputErrorLine(SocketErrorText(QAbstractSocket::AddressInUseError)),
              QStringLiteral("RDS output: Address already in use"));
    EXPECT_EQ(RdsOutputAvailableLine(7000),
              QStringLiteral("RDS output: Available on TCP port 7000"));
}

} // namespace
