#include "rds_output_update.h"

#include "test_support.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::waitFor;

namespace {

int FreePort()
{
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::AnyIPv4, 0));
    return probe.serverPort();
}

class RdsOutputUpdateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&server, &RdsOutputServer::error,
                         [this](const QString &text) { errors << text; });
        on.enabled = true;
        on.port = FreePort();
    }

    RdsOutputFollowUp Apply(const RdsOutputSettings &settings, bool autoStart)
    {
        return ApplyRdsOutputSettings(server, settings, autoStart, globals);
    }

    RdsOutputServer server;
    TGlobals globals;
    RdsOutputSettings on;
    QStringList errors;
};

TEST_F(RdsOutputUpdateTest, AnnouncesEachNewlyOpenedPortOnce)
{
    const RdsOutputFollowUp announce{true, false};
    const RdsOutputFollowUp nothing{false, false};

    EXPECT_EQ(Apply(RdsOutputSettings{}, true), nothing);
    EXPECT_FALSE(server.IsListening());
    EXPECT_EQ(globals.RdsOutputPort, -1);

    EXPECT_EQ(Apply(on, true), announce);
    EXPECT_EQ(server.Port(), on.port);
    EXPECT_EQ(globals.RdsOutputPort, on.port);

    // Closing the Preferences dialog without changes keeps the clients.
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(on.port));
    ASSERT_TRUE(waitFor([&] { return server.ClientCount() == 1; }));
    EXPECT_EQ(Apply(on, false), nothing);
    EXPECT_EQ(server.ClientCount(), 1);

    RdsOutputSettings off = on;
    off.enabled = false;
    EXPECT_EQ(Apply(off, false), nothing);
    EXPECT_FALSE(server.IsListening());
    EXPECT_EQ(globals.RdsOutputPort, -1);
    // Off and on again on the same port is announced again.
    EXPECT_EQ(Apply(on, false), announce);

    RdsOutputSettings moved = on;
    moved.port = FreePort();
    EXPECT_EQ(Apply(moved, false), announce);
    EXPECT_EQ(server.Port(), moved.port);
    EXPECT_EQ(globals.RdsOutputPort, moved.port);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(RdsOutputUpdateTest, PortInUseIsNeitherAnnouncedNorFollowedByALaunch)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::AnyIPv4, static_cast<quint16>(on.port)));
    on.lumexAuto = true;

    EXPECT_EQ(Apply(on, true), (RdsOutputFollowUp{false, false}));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Address already in use")});
    EXPECT_EQ(globals.RdsOutputPort, -1);
    EXPECT_FALSE(globals.RdsLumexAutoStarted);

    // Once the port is free, the next close of the dialog opens it.
    holder.close();
    EXPECT_EQ(Apply(on, false), (RdsOutputFollowUp{true, false}));
    EXPECT_TRUE(server.IsListening());
}

TEST_F(RdsOutputUpdateTest, StartUpLaunchIsDueOnlyWhenConfiguredAndOnlyOnce)
{
    struct Case {
        bool lumexAuto;
        bool autoStart;
        bool autoStarted;
        int lumexDevice;
        bool launch;
    };
    const Case cases[] = {
        {true, true, false, 0, true},   {true, true, false, 3, true},
        {false, true, false, 0, false}, {true, false, false, 0, false},
        {true, true, true, 0, false},   {true, true, false, -1, false},
    };
    for (const Case &c : cases) {
        RdsOutputSettings settings = on;
        settings.lumexAuto = c.lumexAuto;
        settings.lumexDevice = c.lumexDevice;
        globals = TGlobals{};
        globals.RdsLumexAutoStarted = c.autoStarted;
        const RdsOutputFollowUp followUp = Apply(settings, c.autoStart);
        EXPECT_EQ(followUp.launchDecoder, c.launch)
            << c.lumexAuto << c.autoStart << c.autoStarted << ' ' << c.lumexDevice;
        EXPECT_EQ(globals.RdsLumexAutoStarted, c.launch || c.autoStarted);
    }

    // A second start-up call in the same run does not launch again.
    on.lumexAuto = true;
    globals = TGlobals{};
    EXPECT_TRUE(Apply(on, true).launchDecoder);
    EXPECT_FALSE(Apply(on, true).launchDecoder);
}

} // namespace
