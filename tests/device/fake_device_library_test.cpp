#include "fake_device_library.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(FakeDeviceLibrary, RecordsCallsWithTheSelectedHandleAndPlaysBackResponses)
{
    FakeDeviceLibrary fake;
    const int a = fake.AddDevice();
    const int b = fake.AddDevice();
    fake.pushResponse(b, QStringLiteral("Level=63.2 dBuV"));
    fake.pushResponse(b, QStringLiteral("MAX=45 kHz"));

    fake.SetDevice(a);
    fake.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("host"), 5000);
    fake.Connect();
    EXPECT_FALSE(fake.Connected());
    fake.setConnected(a, true);
    EXPECT_TRUE(fake.Connected());
    fake.WriteCommand(QStringLiteral("?Q"));

    fake.SetDevice(b);
    fake.WriteCommand(QStringLiteral("*r"));
    EXPECT_EQ(fake.ReadBufferLength(), 2);
    EXPECT_EQ(fake.ReadResponse(), QStringLiteral("Level=63.2 dBuV"));
    fake.ClearValues();
    EXPECT_EQ(fake.ReadBufferLength(), 0);
    EXPECT_EQ(fake.ReadResponse(), QString());

    fake.setConnectSucceeds(true);
    fake.Connect();
    EXPECT_TRUE(fake.Connected());
    fake.Disconnect();
    EXPECT_FALSE(fake.Connected());

    fake.SetDevice(7);
    fake.pushResponse(7, QStringLiteral("x=1"));
    fake.setConnected(7, true);
    EXPECT_FALSE(fake.Connected());
    EXPECT_EQ(fake.ReadBufferLength(), 0);

    EXPECT_EQ(fake.commands(a), QStringList{"?Q"});
    EXPECT_EQ(fake.commands(b), QStringList{"*r"});
    const auto setups = fake.calls(QStringLiteral("ConnectionSetup"));
    ASSERT_EQ(setups.size(), 1u);
    EXPECT_EQ(setups[0], (FakeDeviceLibrary::Call{
                             a, QStringLiteral("ConnectionSetup"), {"1", "0", "host", "5000"}}));
    EXPECT_EQ(fake.calls().front().handle, -1); // AddDevice before any SetDevice
    EXPECT_THROW(fake.PCharToFloat(QStringLiteral("dB")), NumberConversionError);
    EXPECT_DOUBLE_EQ(fake.PCharToFloat(QStringLiteral("-2.5 dBr")), -2.5);
}
