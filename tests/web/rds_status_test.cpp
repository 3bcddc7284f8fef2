// What a device decodes of its station's RDS, as the JSON status and the
// metrics carry it, from an off-air capture given as the receiver's groups.
#include "engine_fixture.h"
#include "metrics_text.h"
#include "rds_capture.h"
#include "status_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vantor;
using namespace vantor::test;

class RdsStatus : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("127.0.0.1:1"), QStringLiteral("127.0.0.1:2")});
        Start();
        ConnectAll();
        PutOnStation(0, QStringLiteral("93.2"), ModeRdsPart);
        // YLE X3M (FI), 2016-09-15 (tests/rds/data/yle-x3m-2016-09-15.groups), 5 s of PS.
        const QStringList groups = RdsCaptureGroups(QStringLiteral("yle-x3m-2016-09-15.groups"));
        ASSERT_FALSE(groups.isEmpty());
        for (int t = 0; t < 6; ++t) {
            for (const QString &g : groups) {
                library.pushResponse(0, QStringLiteral("G=") + g);
                ReceiveTick();
            }
        }
    }
};

TEST_F(RdsStatus, TheJsonStatusCarriesTheDecodedRdsAndNullForADeviceWithout)
{
    const QJsonArray devices =
        QJsonDocument::fromJson(StatusJson(engine)).object().value(u"devices").toArray();
    ASSERT_EQ(devices.size(), 2);
    const QJsonObject rds = devices[0].toObject().value(u"rds_decoded").toObject();
    EXPECT_EQ(rds.value(u"pi").toString(), QStringLiteral("6204"));
    EXPECT_EQ(rds.value(u"ps").toString(), QStringLiteral("YLE X3M "));
    EXPECT_EQ(rds.value(u"pty").toInt(), 9);
    EXPECT_EQ(rds.value(u"pty_name").toString(), QStringLiteral("Varied"));
    EXPECT_EQ(rds.value(u"tp").toBool(true), false);
    EXPECT_EQ(rds.value(u"ta").toBool(false), true);
    EXPECT_TRUE(rds.value(u"radiotext").isNull());
    EXPECT_EQ(rds.value(u"group_counts").toObject().value(u"0A").toInt(), 24);
    EXPECT_EQ(rds.value(u"af").toObject().value(u"same_mhz").toArray().size(), 4);
    EXPECT_TRUE(devices[0].toObject().value(u"rds").isBool()) << "the mode flag stays";
    EXPECT_TRUE(devices[1].toObject().value(u"rds_decoded").isNull());
}

TEST_F(RdsStatus, TheMetricsCarryTheStationsNameTypeFlagsAndGroupCounts)
{
    const QByteArray text = MetricsText(engine, ReadProcessFigures());
    const QByteArray station = R"(device="D0",station="Radio 1",frequency_mhz="93.20")";
    for (const QByteArray &line : QList<QByteArray>{
             "vantor_rds_info{" + station + ",pi=\"6204\",ps=\"YLE X3M \",pty=\"Varied\"} 1\n",
             "vantor_rds_traffic_programme{" + station + "} 0\n",
             "vantor_rds_traffic_announcement{" + station + "} 1\n",
             "vantor_rds_groups_total{" + station + ",type=\"0A\"} 24\n",
         })
        EXPECT_TRUE(text.contains(line)) << line.constData();
    EXPECT_FALSE(text.contains("device=\"D1\",station=\"\",frequency_mhz=\"\",pi="));
}
