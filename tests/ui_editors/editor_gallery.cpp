// Shows one editor over sample data until it is closed, for screenshots:
//   editor_gallery NAME [PAGE]
// NAME is device-list, station-list, quick-station, scheduler, alarm-sets,
// or preferences; PAGE picks a Preferences tab, an alarm kind
// or the station list column whose pop-up menu is opened.
// "ready" is printed once the window has been painted.
#include "alarm_sets_dialog.h"
#include "device_list_dialog.h"
#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "preferences_dialog.h"
#include "quick_station_dialog.h"
#include "scheduler_dialog.h"
#include "station_list_dialog.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace vantor;

namespace {

class GalleryView : public HeadlessView
{
public:
    int SelectedDevice() const override { return 0; }
};

void WriteSamples(const QString &dir)
{
    auto write = [&dir](const char *name, const char *text) {
        QFile f(dir + QLatin1Char('/') + QLatin1String(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
    };
    write("devices.ini", "[General]\r\nDeviceCount=3\r\n"
                         "[Device0]\r\nName=Hilltop K30\r\nConnection=COM1:115200\r\n"
                         "Email=ops@example.org\r\nSchedulingMode=2\r\nDay1=6:00 12:00 18:30\r\n"
                         "Day2=6:00\r\nDay3=6:00\r\nDay4=6:00\r\nDay5=6:00\r\n"
                         "[Device1]\r\nName=City K20\r\nConnection=10.0.0.20:4001\r\n"
                         "[Device2]\r\nName=Coast K10\r\nConnection=rx-coast.example.net:4001\r\n"
                         "Email=coast@example.org\r\n");
    write(
        "stations.ini",
        "[General]\r\nStationCount=6\r\n"
        "[Station0]\r\nName=Radio One\r\nFrequency=98.1\r\nDeviceName=Hilltop K30\r\nPS=RADIO1\r\n"
        "PI=D3C3\r\nModeOrder=Measuring/RDS\r\nMeasuring=5\r\nRDS=2\r\nAlarmSetName=Day watch\r\n"
        "[Station1]\r\nName=Classic FM\r\nFrequency=101.4\r\nDeviceName=Hilltop K30\r\n"
        "PS=CLASSIC\r\nPI=D201\r\nModeOrder=RDS/Measuring\r\nMeasuring=10\r\nRDS=-1\r\n"
        "AlarmSetName=Night watch\r\n"
        "[Station2]\r\nName=City News\r\nFrequency=94.7\r\nDeviceName=City K20\r\nPS=NEWS\r\n"
        "PI=D455\r\nModeOrder=Measuring/RDS\r\nMeasuring=15\r\nRDS=0\r\n"
        "AlarmSetName=Day watch\r\nEmail=news@example.org\r\n"
        "[Station3]\r\nName=Youth Radio\r\nFrequency=105.2\r\nDeviceName=City K20\r\n"
        "PS=YOUTH\r\nPI=D7A1\r\nModeOrder=Measuring/RDS\r\nMeasuring=5\r\nRDS=5\r\n"
        "[Station4]\r\nName=Coast Jazz\r\nFrequency=89.9\r\nDeviceName=Coast K10\r\n"
        "PS=JAZZ\r\nModeOrder=Measuring/RDS\r\nMeasuring=30\r\nRDS=0\r\n"
        "AlarmSetName=Night watch\r\n"
        "[Station5]\r\nName=Community\r\nFrequency=107.7\r\nDeviceName=Coast K10\r\n"
        "ModeOrder=Measuring/RDS\r\nMeasuring=2\r\nRDS=1\r\nCommands=*R\r\n");
    write("alarms.ini", "[General]\r\nAlarmSetCount=2\r\n"
                        "[AlarmSet0]\r\nName=Day watch\r\nDefaultEmail=ops@example.org\r\n"
                        "SD_Enabled=1\r\nSD_Minimum=20\r\nSD_SendEmail=1\r\nOM_Enabled=1\r\n"
                        "OM_MaxHoldLimit=90\r\nPL_Enabled=1\r\nPL_SendEmail=1\r\nPL_RunFile=1\r\n"
                        "PL_FileName=/usr/local/bin/pilot-alarm.sh\r\nPL_Params=--loud\r\n"
                        "PL_DrivePin2=1\r\nPL_Pin2Polarity=1\r\nPI_Enabled=0\r\n"
                        "[AlarmSet1]\r\nName=Night watch\r\nSD_Enabled=1\r\n");
    write("config.ini", "[Email]\r\nEnable=1\r\nFrom=station@example.org\r\n"
                        "SMTPServer=mail.example.org:587\r\nAuthenticate=1\r\nUsername=station\r\n"
                        "Password=secret\r\nTLS=1\r\nTo=ops@example.org\r\n"
                        "[General]\r\nRDSTCPOutput=0\r\nLogGraph1=1\r\nLogGraph3=1\r\n");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString name =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("station-list");
    const int page = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;

    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/data");
    QDir().mkpath(data);
    WriteSamples(data);
    FakeClock clock(QDateTime(QDate(2026, 12, 10), QTime(14, 0, 0)));
    FakeDeviceLibrary library;
    GalleryView view;
    Engine engine(clock, library, view);
    engine.Start(tmp.path(), data);
    library.setConnectSucceeds(true);
    for (size_t k = 0; k < 2 * Tables(engine).Devices.size(); ++k)
        engine.TimerConnectTimer();

    std::unique_ptr<QWidget> window;
    if (name == QLatin1String("device-list")) {
        auto *d = new DeviceListDialog(engine);
        d->Load();
        window.reset(d);
    } else if (name == QLatin1String("station-list")) {
        auto *d = new StationListDialog(engine);
        d->Load();
        window.reset(d);
        if (page > 0) {
            // The pop-up menu of column PAGE, opened on the third row.
            QTimer::singleShot(200, d, [d, page] {
                d->Grid()->setCurrentCell(2, page);
                const QRect cell = d->Grid()->visualRect(d->Grid()->currentIndex());
                if (QMenu *menu = d->ColumnMenu(page).release())
                    menu->popup(d->Grid()->viewport()->mapToGlobal(cell.center()));
            });
        }
    } else if (name == QLatin1String("quick-station")) {
        auto *d = new QuickStationDialog(engine);
        d->Load();
        window.reset(d);
    } else if (name == QLatin1String("scheduler")) {
        auto *d = new SchedulerDialog(engine);
        d->Load();
        window.reset(d);
    } else if (name == QLatin1String("alarm-sets")) {
        auto *d = new AlarmSetsDialog(engine);
        d->Load();
        d->Kinds()->setCurrentRow(page);
        window.reset(d);
    } else if (name == QLatin1String("preferences")) {
        auto *d = new PreferencesDialog(engine);
        d->Load();
        d->Pages()->setCurrentIndex(page);
        window.reset(d);
    } else {
        std::fprintf(stderr, "editor_gallery: unknown dialog %s\n", qPrintable(name));
        return 2;
    }
    window->move(20, 20);
    window->show();
    QTimer::singleShot(500, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return app.exec();
}
