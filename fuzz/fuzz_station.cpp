#include "fuzz_station.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace vantor::fuzz {

namespace {
// A target that needs more (pictures need the GUI library's application)
// makes its own first.
void Application()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "vantor-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}
} // namespace

FuzzStation &FuzzStation::Instance()
{
    Application();
    static FuzzStation *station = new FuzzStation; // never destroyed: libFuzzer exits at will
    return *station;
}

FuzzStation::FuzzStation()
    : clock(QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC)), engine(clock, library, view)
{
    if (!m_folder.isValid())
        std::abort();
    const QString data = m_folder.path() + QStringLiteral("/data");
    QDir().mkpath(data);
    QFile devices(data + QStringLiteral("/devices.ini"));
    if (!devices.open(QIODevice::WriteOnly) ||
        devices.write("[General]\r\nDeviceCount=1\r\n[Device0]\r\nName=D0\r\n"
                      "Connection=10.0.0.5:7000\r\n") < 0)
        std::abort();
    devices.close();
    engine.Start(m_folder.path(), data);
    library.setConnectSucceeds(true);
    for (int k = 0; k < 2; ++k)
        engine.TimerConnectTimer();
    if (Tables(engine).Devices.size() != 1 || Tables(engine).Devices[0].ConnectCountdown != -1)
        std::abort();
    Reset();
}

void FuzzStation::Reset()
{
    TDevice &d = Tables(engine).Devices[0];
    engine.ClearDevice(0);
    d.Station.Name = QStringLiteral("Radio 1");
    d.Station.Frequency = QStringLiteral("98.5");
    d.StationActive = true;
    d.Mode = ModeMeasuringPart;
    d.TunedFrequency = 98.5f;
    d.IgnoreUntil = 0;
    d.SilentSeconds = 0;
    library.clearCalls();
}

} // namespace vantor::fuzz
