// The windows on an engine with a fake clock and the fake device library,
// started on a data folder of its own: two devices "D0" and "D1", a station
// for each.
#pragma once

#include "engine.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "main_window.h"
#include "recent_activity_window.h"
#include "recent_data_window.h"
#include "test_support.h"
#include "window_view.h"

#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vantor::test {

class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString data = Data();
        QDir().mkpath(data);
        ASSERT_TRUE(writeAll(data + QStringLiteral("/devices.ini"),
                             "[General]\r\nDeviceCount=2\r\n"
                             "[Device0]\r\nName=D0\r\nConnection=10.0.0.5:7000\r\n"
                             "[Device1]\r\nName=D1\r\nConnection=10.0.0.6:7000\r\n"));
        ASSERT_TRUE(writeAll(data + QStringLiteral("/stations.ini"),
                             "[General]\r\nStationCount=2\r\n"
                             "[Station0]\r\nName=Radio 1\r\nFrequency=98,1\r\nDeviceName=D0\r\n"
                             "Measuring=2\r\nRDS=1\r\n"
                             "[Station1]\r\nName=Radio 2\r\nFrequency=100\r\nDeviceName=D1\r\n"
                             "Measuring=1\r\nRDS=-1\r\n"));
        view.attach(&window);
        engine.Start(tmp.path(), data);
        window.applyPreferences();
    }

    QString Data() const { return tmp.path() + QStringLiteral("/data"); }

    // Registers and connects both devices, as the connection ticks do.
    void ConnectAll()
    {
        library.setConnectSucceeds(true);
        for (int k = 0; k < 4; ++k)
            engine.TimerConnectTimer();
    }

    // The operator picks a device in the main toolbar.
    void ChooseDevice(int device)
    {
        window.deviceBox()->setCurrentIndex(device);
        window.CBFILChange();
    }

    void StatusSecond()
    {
        for (int k = 0; k < 5; ++k) {
            clock.advanceMs(200);
            engine.TimerStatusTimer();
        }
    }

    RecentDataWindow &Data3() { return *window.recentData(); }
    RecentActivityWindow &Activity() { return *window.recentActivity(); }

    QTemporaryDir tmp;
    FakeClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC)};
    FakeDeviceLibrary library;
    WindowView view;
    Engine engine{clock, library, view};
    MainWindow window{engine};
};

} // namespace vantor::test
