// An engine on a fake clock and a fake device library, started on a data
// folder of its own, with helpers to configure devices and run ticks.
#pragma once

#include "engine.h"
#include "fake_device_library.h"
#include "recording_view.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vantor::test
{

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

    // devices.ini with one device per connection entry, named "D0", "D1", ...
    void WriteDevices(const QStringList &connections)
    {
        QByteArray ini =
            "[General]\r\nDeviceCount=" + QByteArray::number(connections.size()) + "\r\n";
        for (int i = 0; i < connections.size(); ++i)
            ini += "[Device" + QByteArray::number(i) + "]\r\nName=D" + QByteArray::number(i) +
                   "\r\nConnection=" + connections[i].toLatin1() + "\r\n";
        WriteFile(QStringLiteral("devices.ini"), ini);
    }

    void Start() { engine.Start(tmp.path(), Data()); }

    // Registers every device and brings its link up into the connected state.
    void ConnectAll()
    {
        library.setConnectSucceeds(true);
        for (size_t k = 0; k < 2 * engine.Devices.size(); ++k)
            engine.TimerConnectTimer();
        for (const TDevice &d : engine.Devices)
            ASSERT_EQ(d.ConnectCountdown, -1) << qPrintable(d.Name);
        library.clearCalls();
    }

    // Puts a device on a station by hand, as tuning will.
    void PutOnStation(int device, const QString &frequency, int mode)
    {
        TDevice &d = engine.Devices[device];
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

    QString DeviceLog(int device) const
    {
        return engine.Devices[device].ActivityLines
                   ? engine.Devices[device].ActivityLines->join(QLatin1Char('\n'))
                   : QString();
    }
    QString AppLines() const { return engine.G.AppActivityLines.join(QLatin1Char('\n')); }

    QTemporaryDir tmp;
    FakeClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC)};
    FakeDeviceLibrary library;
    RecordingView view;
    Engine engine{clock, library, view};
};

} // namespace vantor::test
