// An engine on a fake clock and a fake device library, started on a data
// folder of its own, with helpers to configure devices and run ticks.
#pragma once

#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "recording_view.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vantor::test {

class EngineFixture : public ::testing::Test
{
protected:
    QString Data() const { return tmp.path() + QStringLiteral("/data"); }
    QString DataFile(const QString &name) const { return Data() + QLatin1Char('/') + name; }

    void WriteFile(const QString &name, const QByteArray &content)
    {
        QDir().mkpath(Data());
        ASSERT_TRUE(writeAll(DataFile(name), content));
    }

    // devices.ini with one device per connection entry, named "D0", "D1", ...;
    // extra lines (such as "SchedulingMode=1\r\n") go into the sections in turn.
    void WriteDevices(const QStringList &connections, const QList<QByteArray> &extra = {})
    {
        QByteArray ini =
            "[General]\r\nDeviceCount=" + QByteArray::number(connections.size()) + "\r\n";
        for (int i = 0; i < connections.size(); ++i)
            ini += "[Device" + QByteArray::number(i) + "]\r\nName=D" + QByteArray::number(i) +
                   "\r\nConnection=" + connections[i].toLatin1() + "\r\n" + extra.value(i);
        WriteFile(QStringLiteral("devices.ini"), ini);
    }

    struct StationEntry {
        const char *name;
        const char *frequency;
        const char *device;
        int measuring;
        int rds;
        const char *modeOrder = "Measuring/RDS";
        const char *alarmSet = "";
        const char *commands = "";
    };

    void WriteStations(std::initializer_list<StationEntry> stations)
    {
        QByteArray ini =
            "[General]\r\nStationCount=" + QByteArray::number(int(stations.size())) + "\r\n";
        int j = 0;
        for (const StationEntry &s : stations) {
            ini += "[Station" + QByteArray::number(j++) + "]\r\nName=" + s.name +
                   "\r\nFrequency=" + s.frequency + "\r\nDeviceName=" + s.device +
                   "\r\nMeasuring=" + QByteArray::number(s.measuring) +
                   "\r\nRDS=" + QByteArray::number(s.rds) + "\r\nModeOrder=" + s.modeOrder +
                   "\r\nAlarmSetName=" + s.alarmSet + "\r\nCommands=" + s.commands + "\r\n";
        }
        WriteFile(QStringLiteral("stations.ini"), ini);
    }

    void Start() { engine.Start(tmp.path(), Data()); }

    // Runs whole seconds of the scheduler clock.
    void RunSeconds(int seconds)
    {
        for (int s = 0; s < seconds; ++s) {
            clock.advanceMs(1000);
            engine.TimerMeasuringTimer();
        }
    }

    // Registers every device and brings its link up into the connected state.
    void ConnectAll()
    {
        library.setConnectSucceeds(true);
        for (size_t k = 0; k < 2 * Tables(engine).Devices.size(); ++k)
            engine.TimerConnectTimer();
        for (const TDevice &d : Tables(engine).Devices)
            ASSERT_EQ(d.ConnectCountdown, -1) << qPrintable(d.Name);
        library.clearCalls();
    }

    // Puts a device on a station by hand, as tuning will.
    void PutOnStation(int device, const QString &frequency, int mode)
    {
        TDevice &d = Tables(engine).Devices[device];
        d.Station.Name = QStringLiteral("Radio 1");
        d.Station.Frequency = frequency;
        d.StationActive = true;
        d.Mode = mode;
        d.TunedFrequency = frequency.toFloat();
        d.IgnoreUntil = 0;
    }

    // Advances the clock by 200 ms and runs one receive tick.
    void ReceiveTick()
    {
        clock.advanceMs(200);
        engine.TimerReceiveTimer();
    }

    // The receive ticks of one second: the history advances on the fifth,
    // and each device's RDS log is written once.
    void ReceiveSecond()
    {
        for (int k = 0; k < 5; ++k)
            ReceiveTick();
    }

    QString DeviceLog(int device) const
    {
        const TDevice &d = engine.DeviceTable()[device];
        return d.ActivityLines ? d.ActivityLines->join(QLatin1Char('\n')) : QString();
    }
    QString AppLines() const { return engine.Globals().AppActivityLines.join(QLatin1Char('\n')); }

    QTemporaryDir tmp;
    FakeClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC)};
    FakeDeviceLibrary library;
    RecordingView view;
    Engine engine{clock, library, view};
    EngineRecorder news{engine};
};

} // namespace vantor::test
