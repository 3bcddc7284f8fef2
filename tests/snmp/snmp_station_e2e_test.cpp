// End to end: the headless program on the simulator, joined to a private
// snmpd as its AgentX subagent, with a private snmptrapd taking the
// notifications and the web server's JSON status beside them. What a walk
// shows is what the simulator plays and what the status shows at the same
// moment; an alarm played by the simulator and a dropped link arrive as
// notifications; snmpd going away costs the station nothing but the answers
// it missed meanwhile.
// Skipped where the net-snmp daemons or tools are missing.
#include "private_snmp.h"
#include "test_support.h"
#include "web_station_helpers.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace vantor::test;

namespace {

const QString NoValue = QStringLiteral("INTEGER: -2147483648");

// The readings of the device table: the status's name, the column, how many
// of the MIB's units make the status's unit (0: a hex PI code), and what the
// simulator is told to play, with the integer that must come of it.
struct Reading {
    const char *name;
    int column;
    int scale;
    const char *simulatorKey; // null: not set (the RDS clock's error)
    const char *played;
    long expected;
};
const Reading Readings[] = {
    {"MAX", 8, 10, "MAX", "68.2", 682},      {"MAX Hold", 9, 10, "MAXHold", "72.6", 726},
    {"AVE", 10, 10, "AVE", "38.4", 384},     {"Pilot", 11, 100, "Pilot", "6.83", 683},
    {"RDS", 12, 100, "RDS", "3.61", 361},    {"Pm", 13, 10, "Pm", "-1.3", -13},
    {"Level", 14, 10, "Level", "58.5", 585}, {"Signal Quality", 15, 1, "Quality", "4", 4},
    {"PI", 16, 0, "PI", "A202", 0xA202},     {"Time Error", 17, 1, nullptr, nullptr, 0},
};

// The status's value text as the MIB's integer, as snmpwalk prints it.
QString MibInteger(const QJsonValue &value, int scale)
{
    if (value.isNull())
        return NoValue;
    const QString text = value.toString();
    if (scale == 0)
        return QStringLiteral("INTEGER: %1").arg(text.toUInt(nullptr, 16));
    static const QRegularExpression number(QStringLiteral(R"(^\s*([-+]?\d+(?:\.\d+)?))"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return QStringLiteral("(no number in \"%1\")").arg(text);
    return QStringLiteral("INTEGER: %1").arg(std::lround(m.captured(1).toDouble() * scale));
}

QString Truth(bool value)
{
    return value ? QStringLiteral("INTEGER: 1") : QStringLiteral("INTEGER: 2");
}

QString Text(const QString &text)
{
    return QStringLiteral("STRING: \"%1\"").arg(text);
}

// What must not change between two statuses for a walk between them to be
// of the same moment.
QJsonObject Comparable(const QJsonObject &device)
{
    QJsonObject out;
    for (const char *key :
         {"connected", "station", "measuring", "rds", "paused", "values", "alarms"})
        out.insert(QLatin1String(key), device.value(QLatin1String(key)));
    return out;
}

QByteArray Stations(int measuringMinutes)
{
    // RDS=-1: the groups come in while measuring, so PI and the clock's
    // error are measured too.
    return "[General]\r\nStationCount=1\r\n[Station0]\r\nName=City FM\r\nFrequency=98.5\r\n"
           "DeviceName=Tx Site\r\nPI=A202\r\nMeasuring=" +
           QByteArray::number(measuringMinutes) + "\r\nRDS=-1\r\nAlarmSetName=Watch\r\n";
}

class SnmpStation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const QString missing = PrivateSnmp::Missing(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        ASSERT_TRUE(m_snmpFolder.isValid());
        snmp = std::make_unique<PrivateSnmp>(m_snmpFolder.path());
        ASSERT_TRUE(snmp->StartTrapd()) << snmp->error().toStdString();
        ASSERT_TRUE(snmp->StartSnmpd()) << snmp->error().toStdString();
    }

    // Starts the simulator and the program, which joins snmpd when joined.
    void StartStation(int measuringMinutes, bool joined = true)
    {
        station.setFile(QStringLiteral("stations.ini"), Stations(measuringMinutes));
        station.addArguments({QStringLiteral("--snmp-agentx"), snmp->agentxSocket()});
        ASSERT_TRUE(station.start());
        if (!joined)
            return;
        ASSERT_TRUE(
            waitFor([&] { return station.appLog().contains("SNMP: joined snmpd at"); }, 15000))
            << station.appLog().constData();
    }

    void Play(const QString &key, const QString &value)
    {
        ASSERT_EQ(station.simulator()
                      .control(QStringLiteral("set 98.5 %1 %2").arg(key, value))
                      .value(0)
                      .left(2),
                  QStringLiteral("OK"))
            << qPrintable(key);
    }

    QJsonObject Device()
    {
        const QJsonDocument status = QJsonDocument::fromJson(HttpCall(
            "GET", QStringLiteral("http://127.0.0.1:%1/api/v1/status").arg(station.webPort())));
        return status.object().value(QStringLiteral("devices")).toArray().at(0).toObject();
    }
    QJsonObject Values() { return Device().value(QStringLiteral("values")).toObject(); }

    // A walk taken between two statuses that agree, and the second status.
    bool WalkAtOneMoment(QMap<QString, QString> *walk, QJsonObject *device)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            const QJsonObject before = Device();
            *walk = snmp->Walk();
            *device = Device();
            if (!walk->isEmpty() && Comparable(before) == Comparable(*device))
                return true;
        }
        return false;
    }

    QString DataFolder() const { return station.folder() + QStringLiteral("/station"); }

    QTemporaryDir m_snmpFolder;
    std::unique_ptr<PrivateSnmp> snmp;
    WebStation station;
};

} // namespace

TEST_F(SnmpStation, AWalkGivesTheSimulatorsValuesAsTheStatusShowsThemAtTheSameMoment)
{
    StartStation(10);
    Play(QStringLiteral("Noise"), QStringLiteral("0"));
    for (const Reading &r : Readings) {
        if (r.simulatorKey)
            Play(QLatin1String(r.simulatorKey), QLatin1String(r.played));
    }
    // Until every played value is the device's latest.
    ASSERT_TRUE(waitFor(
        [&] {
            const QJsonObject values = Values();
            for (const Reading &r : Readings) {
                if (r.simulatorKey && MibInteger(values.value(QLatin1String(r.name)), r.scale) !=
                                          QStringLiteral("INTEGER: %1").arg(r.expected))
                    return false;
            }
            return true;
        },
        30000))
        << QJsonDocument(Values()).toJson().constData();

    QMap<QString, QString> walk;
    QJsonObject device;
    ASSERT_TRUE(WalkAtOneMoment(&walk, &device)) << "the status kept changing";
    EXPECT_EQ(walk.value(VantorMibRoot + QStringLiteral(".1.3.0")), QStringLiteral("Gauge32: 1"));
    EXPECT_EQ(walk.value(DeviceCell(2, 1)), Text(device.value(QStringLiteral("name")).toString()));
    EXPECT_EQ(walk.value(DeviceCell(2, 1)), Text(QStringLiteral("Tx Site")));
    EXPECT_EQ(walk.value(DeviceCell(3, 1)),
              Truth(device.value(QStringLiteral("connected")).toBool()));
    const QJsonObject on = device.value(QStringLiteral("station")).toObject();
    EXPECT_EQ(walk.value(DeviceCell(4, 1)), Text(on.value(QStringLiteral("name")).toString()));
    // "98.50" MHz in units of 10 kHz.
    EXPECT_EQ(walk.value(DeviceCell(5, 1)),
              QStringLiteral("INTEGER: %1")
                  .arg(std::lround(on.value(QStringLiteral("frequency_mhz")).toString().toDouble() *
                                   100)));
    EXPECT_EQ(walk.value(DeviceCell(5, 1)), QStringLiteral("INTEGER: 9850"));
    const int mode = device.value(QStringLiteral("rds")).toBool()         ? 3
                     : device.value(QStringLiteral("measuring")).toBool() ? 2
                                                                          : 1;
    EXPECT_EQ(walk.value(DeviceCell(6, 1)), QStringLiteral("INTEGER: %1").arg(mode));
    EXPECT_EQ(walk.value(DeviceCell(7, 1)), Truth(device.value(QStringLiteral("paused")).toBool()));

    const QJsonObject values = device.value(QStringLiteral("values")).toObject();
    for (const Reading &r : Readings) {
        const QString cell = walk.value(DeviceCell(r.column, 1));
        EXPECT_EQ(cell, MibInteger(values.value(QLatin1String(r.name)), r.scale)) << r.name;
        if (r.simulatorKey) {
            EXPECT_EQ(cell, QStringLiteral("INTEGER: %1").arg(r.expected)) << r.name;
        }
    }

    // Every kind the status lists, in its order, from 1.
    const QJsonArray alarms = device.value(QStringLiteral("alarms")).toArray();
    ASSERT_GE(alarms.size(), 9);
    const QMap<QString, int> states{
        {QStringLiteral("off"), 1}, {QStringLiteral("pending"), 2}, {QStringLiteral("active"), 3}};
    for (int k = 0; k < alarms.size(); ++k) {
        const QJsonObject alarm = alarms[k].toObject();
        EXPECT_EQ(walk.value(AlarmCell(2, 1, k + 1)),
                  Text(alarm.value(QStringLiteral("name")).toString()));
        EXPECT_EQ(walk.value(AlarmCell(3, 1, k + 1)),
                  Truth(alarm.value(QStringLiteral("enabled")).toBool()));
        EXPECT_EQ(walk.value(AlarmCell(4, 1, k + 1)),
                  QStringLiteral("INTEGER: %1")
                      .arg(states.value(alarm.value(QStringLiteral("state")).toString())));
    }
    EXPECT_FALSE(walk.contains(AlarmCell(2, 1, static_cast<int>(alarms.size()) + 1)));
}

TEST_F(SnmpStation, ASilenceAndADroppedLinkArriveAsNotificationsAndTheTableKeepsTheRaisesTime)
{
    // The shortest wait before a lost link is tried again.
    station.setFile(QStringLiteral("config.ini"), "[General]\r\nConnectionTimeout=20\r\n");
    StartStation(10);
    Play(QStringLiteral("Noise"), QStringLiteral("0"));
    ASSERT_TRUE(waitFor([&] { return !Values().value(QStringLiteral("AVE")).isNull(); }, 20000));
    Play(QStringLiteral("AVE"), QStringLiteral("2"));
    ASSERT_TRUE(snmp->WaitForNotifications(1, 30000)) << station.appLog().constData();
    Play(QStringLiteral("AVE"), QStringLiteral("40"));
    ASSERT_TRUE(snmp->WaitForNotifications(2, 30000)) << snmp->TrapLog().constData();

    const QList<QMap<QString, QString>> got = snmp->Notifications();
    ASSERT_EQ(got.size(), 2) << snmp->TrapLog().constData();
    // The value in tenths of kHz, as the device table's AVE column.
    const struct {
        int notification;
        const char *value;
    } expected[] = {{1, "INTEGER: 20"}, {2, "INTEGER: 400"}};
    for (int i = 0; i < 2; ++i) {
        const QMap<QString, QString> &n = got[i];
        EXPECT_EQ(n.value(TrapOid), NotificationName(expected[i].notification));
        EXPECT_EQ(n.value(EventObject(1)), Text(QStringLiteral("Tx Site")));
        EXPECT_EQ(n.value(EventObject(2)), QStringLiteral("INTEGER: 1")) << "silence";
        EXPECT_EQ(n.value(EventObject(3)), QLatin1String(expected[i].value));
        EXPECT_EQ(n.value(EventObject(4)), Text(QStringLiteral("25")));
        EXPECT_EQ(n.value(EventObject(5)), Text(QStringLiteral("City FM")));
    }

    // The table's last raise is the moment the device's log tells of it.
    const QRegularExpression line(QStringLiteral(
        R"((\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d) \[Tx Site\] Alarm: Silence detector)"));
    const QRegularExpressionMatch logged =
        line.match(QString::fromLatin1(DeviceLog(DataFolder(), QStringLiteral("Tx Site"))));
    ASSERT_TRUE(logged.hasMatch());
    const qint64 raised =
        QDateTime::fromString(logged.captured(1), QStringLiteral("yyyy.MM.dd HH:mm:ss"))
            .toSecsSinceEpoch();
    const QMap<QString, QString> walk = snmp->Walk();
    const QString last = walk.value(AlarmCell(5, 1, 1));
    ASSERT_TRUE(last.startsWith(QStringLiteral("Gauge32: "))) << last.toStdString();
    EXPECT_NEAR(last.mid(9).toLongLong(), raised, 1);
    EXPECT_EQ(walk.value(AlarmCell(4, 1, 1)), QStringLiteral("INTEGER: 1")) << "off again";
    EXPECT_EQ(walk.value(VantorMibRoot + QStringLiteral(".1.4.0")), QStringLiteral("Counter32: 1"));

    // The link dropped by the analyzer: lost, then regained, with the device
    // and its station and no alarm's objects.
    ASSERT_EQ(station.simulator().control(QStringLiteral("drop")).value(0).left(2),
              QStringLiteral("OK"));
    ASSERT_TRUE(snmp->WaitForNotifications(4, 60000)) << station.appLog().constData();
    const QList<QMap<QString, QString>> link = snmp->Notifications().mid(2);
    ASSERT_EQ(link.size(), 2) << snmp->TrapLog().constData();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(link[i].value(TrapOid), NotificationName(3 + i));
        EXPECT_EQ(link[i].value(EventObject(1)), Text(QStringLiteral("Tx Site")));
        EXPECT_EQ(link[i].value(EventObject(5)), Text(QStringLiteral("City FM")));
        EXPECT_FALSE(link[i].contains(EventObject(2)));
    }
}

TEST_F(SnmpStation, SnmpdGoingAwayCostsTheStationNoSecondAndIsToldOnce)
{
    StartStation(1);
    const QString data = DataFolder();
    ASSERT_TRUE(waitFor(
        [&] {
            return CountCsvSeconds(data + QStringLiteral("/StationLogs/Recent/City FM.csv")).lines >
                   3;
        },
        20000));
    const qsizetype before = ArchivedVisitCsv(data, QStringLiteral("City FM")).size();

    snmp->KillSnmpd();
    ASSERT_TRUE(
        waitFor([&] { return station.appLog().contains("SNMP: snmpd not reachable at"); }, 30000));
    ASSERT_TRUE(snmp->StartSnmpd()) << snmp->error().toStdString();
    ASSERT_TRUE(
        waitFor([&] { return station.appLog().count("SNMP: joined snmpd at") == 2; }, 30000))
        << station.appLog().constData();
    EXPECT_EQ(snmp->Walk().value(DeviceCell(2, 1)), Text(QStringLiteral("Tx Site")));
    EXPECT_EQ(station.appLog().count("SNMP: snmpd not reachable"), 1)
        << station.appLog().constData();

    // The visit that ran while snmpd was away, and any before it, wrote a
    // line every second of its minute.
    ASSERT_TRUE(waitFor(
        [&] { return ArchivedVisitCsv(data, QStringLiteral("City FM")).size() > before; }, 90000));
    for (const QString &file : ArchivedVisitCsv(data, QStringLiteral("City FM")))
        EXPECT_EQ(MissedCsvSeconds(file), QString());
    EXPECT_TRUE(station.stopProgram());
}

TEST_F(SnmpStation, AStationStartedBeforeSnmpdJoinsItWhenItComes)
{
    snmp->KillSnmpd();
    StartStation(10, false);
    ASSERT_TRUE(
        waitFor([&] { return station.appLog().contains("SNMP: snmpd not reachable at"); }, 15000))
        << station.appLog().constData();
    ASSERT_TRUE(snmp->StartSnmpd()) << snmp->error().toStdString();
    ASSERT_TRUE(waitFor([&] { return station.appLog().contains("SNMP: joined snmpd at"); }, 30000))
        << station.appLog().constData();
    EXPECT_EQ(snmp->Walk().value(DeviceCell(2, 1)), Text(QStringLiteral("Tx Site")));
}
