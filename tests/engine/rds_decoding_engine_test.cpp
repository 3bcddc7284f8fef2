// The engine decodes the groups its receivers deliver: a real capture given
// as the receiver's responses shows its PS and RadioText, writes the change
// log and starts afresh at the next tuning.
#include "engine_fixture.h"
#include "engine_tables.h"
#include "rds_capture.h"
#include "rds_reception.h"

#include <QFile>

using namespace vantor;
using namespace vantor::test;

namespace {

class RdsDecoding : public EngineFixture
{
protected:
    void StartOnStations(const QByteArray &config = {})
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        WriteStations({{"YLE X3M", "93.2", "Dev0", 0, 10}, {"Radio Krka", "97.1", "Dev0", 0, 10}});
        if (!config.isEmpty())
            WriteFile(QStringLiteral("config.ini"), config);
        Start();
        ConnectAll();
    }

    void TuneAndSettle(int station)
    {
        engine.Tune(0, station, false);
        clock.advanceMs(5000); // what arrives in the first seconds after tuning is ignored
    }

    // One group a receive tick, each capture played `times` over.
    void Play(const QStringList &groups, int times)
    {
        for (int t = 0; t < times; ++t) {
            for (const QString &g : groups) {
                library.pushResponse(0, QStringLiteral("G=") + g);
                ReceiveTick();
            }
        }
    }

    const RdsState &State() const { return engine.DeviceTable()[0].Rds->decoder.state(); }

    QString ChangeLog() const
    {
        QFile file(RdsChangeLogFileName(engine.FolderPaths().AppLogsFolder,
                                        engine.DeviceTable()[0].Name,
                                        ToDateTime(QDate(2024, 5, 1), QTime(12, 0))));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

} // namespace

TEST_F(RdsDecoding, AStationsCaptureIsDecodedLoggedAndForgottenAtTheNextTuning)
{
    StartOnStations();
    TuneAndSettle(0);
    news.clear();
    Play(RdsCaptureGroups(QStringLiteral("yle-x3m-2016-09-15.groups")), 8);
    ASSERT_TRUE(Tables(engine).Devices[0].Rds);
    EXPECT_EQ(State().ps.complete, QStringLiteral("YLE X3M "));
    EXPECT_EQ(State().pty, 9);
    EXPECT_FALSE(news.devicesWith(RdsChanged).isEmpty());
    // The PI check of the station goes on as before.
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("PI")), QStringLiteral("6204"));

    TuneAndSettle(1);
    EXPECT_EQ(State().ps.complete, QString());
    EXPECT_EQ(State().pi, -1);
    Play(RdsCaptureGroups(QStringLiteral("radio-krka-2b-rt.groups")), 2);
    EXPECT_EQ(State().rt.complete, QStringLiteral("PRIJETNO POSLUSANJE RADIA KRKA"));

    const QString log = ChangeLog();
    for (const char *line :
         {";Station;\"YLE X3M\"", ";PS;\"YLE X3M \"", ";PTY;\"9 Varied\"",
          ";Station;\"Radio Krka\"", ";PI;\"9423\"", ";RT;\"PRIJETNO POSLUSANJE RADIA KRKA\""})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line << "\n" << log.toStdString();
    EXPECT_LT(log.indexOf(QLatin1String(";PS;\"YLE X3M \"")),
              log.indexOf(QLatin1String(";Station;\"Radio Krka\"")));
}

TEST_F(RdsDecoding, ProgrammeTypesAreNamedFromTheTableChosenInThePreferences)
{
    StartOnStations("[General]\r\nRDSPtyNames=1\r\n");
    TuneAndSettle(0);
    Play(RdsCaptureGroups(QStringLiteral("yle-x3m-2016-09-15.groups")), 1);
    EXPECT_TRUE(ChangeLog().contains(QLatin1String(";PTY;\"9 Top 40\"")))
        << ChangeLog().toStdString();
}
