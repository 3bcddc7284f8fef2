#include "analyzer-sim/simulator.h"
#include "link_library.h"
#include "test_support.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::waitFor;

namespace {

// The real library against the simulated receiver, once over TCP and once
// over a pseudo-terminal reached through the data folder's ports/COM3 entry.
class SimulatorLink : public ::testing::TestWithParam<DeviceLibrary::ConnectionKind>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        if (GetParam() == DeviceLibrary::Tcp) {
            const int port = simulator.listenTcp(QHostAddress::LocalHost, 0);
            ASSERT_GT(port, 0) << simulator.errorString().toStdString();
            library.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("127.0.0.1"), port);
        } else {
            ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("ports")));
            ASSERT_TRUE(simulator.openPty(dir.filePath(QStringLiteral("ports/COM3"))))
                << simulator.errorString().toStdString();
            library.ConnectionSetup(DeviceLibrary::Serial, 3, QString(), 0);
        }
        library.Connect();
        ASSERT_TRUE(waitFor([&] { return library.Connected(); }));
        // A TCP connection is up before the simulator, on this same event
        // loop, has taken it.
        ASSERT_TRUE(waitFor([&] {
            return simulator.control(QStringLiteral("status"))
                .join(' ')
                .contains(QStringLiteral("link=up"));
        }));
    }

    // Name to value of every response that arrives until names are all there.
    QMap<QString, QString> collect(const QStringList &names)
    {
        QMap<QString, QString> values;
        waitFor([&] {
            while (library.ReadBufferLength() > 0) {
                const QString response = library.ReadResponse();
                const qsizetype equals = response.indexOf(QLatin1Char('='));
                values.insert(response.left(equals), response.mid(equals + 1));
            }
            for (const QString &name : names)
                if (!values.contains(name))
                    return false;
            return true;
        });
        return values;
    }

    QTemporaryDir dir;
    sim::Simulator simulator{sim::Scenario::builtIn(), 1};
    AnalyzerLinkLibrary library{dir.path()};
    const int handle = [this] {
        const int h = library.AddDevice();
        library.SetDevice(h);
        return h;
    }();
};

} // namespace

TEST_P(SimulatorLink, MeasuringAnswersAndTheHistogramArriveWhole)
{
    for (const char *command : {"098500*F", "*E", "*M", "*P", "?Q", "?U", "?A", "?F", "?H"})
        library.WriteCommand(QString::fromLatin1(command));
    const QMap<QString, QString> values =
        collect({"Signal Quality", "Level", "AVE", "MAX", "Frequency", "Histogram Data"});

    EXPECT_DOUBLE_EQ(library.PCharToFloat(values.value(QStringLiteral("Frequency"))), 98.5);
    EXPECT_NEAR(library.PCharToFloat(values.value(QStringLiteral("Level"))), 58.5, 5.0);
    // 122 fields of 14 characters: far beyond a line of ordinary length.
    EXPECT_EQ(values.value(QStringLiteral("Histogram Data")).size(), 122 * 14);
}

TEST_P(SimulatorLink, RdsGroupsStreamAsSeparateResponses)
{
    library.WriteCommand(QStringLiteral("098500*F"));
    library.WriteCommand(QStringLiteral("*R"));
    QStringList groups;
    ASSERT_TRUE(waitFor([&] {
        while (library.ReadBufferLength() > 0)
            groups.append(library.ReadResponse());
        return groups.size() >= 5;
    }));
    for (const QString &group : groups) {
        ASSERT_TRUE(group.startsWith(QStringLiteral("G="))) << group.toStdString();
        EXPECT_EQ(group.size(), 2 + 16) << group.toStdString();
    }
    library.WriteCommand(QStringLiteral("*r"));
}

TEST_P(SimulatorLink, DroppedLinkReadsAsDownAndComesBackOnConnect)
{
    ASSERT_EQ(simulator.control(QStringLiteral("drop")).last(), QStringLiteral("OK"));
    ASSERT_TRUE(waitFor([&] { return !library.Connected(); }));

    library.Connect();
    ASSERT_TRUE(waitFor([&] { return library.Connected(); }));
    library.WriteCommand(QStringLiteral("?F"));
    EXPECT_FALSE(collect({"Frequency"}).value(QStringLiteral("Frequency")).isEmpty());
}

static std::string kindName(const ::testing::TestParamInfo<DeviceLibrary::ConnectionKind> &param)
{
    return param.param == DeviceLibrary::Tcp ? "Tcp" : "Serial";
}

INSTANTIATE_TEST_SUITE_P(TcpAndSerial, SimulatorLink,
                         ::testing::Values(DeviceLibrary::Tcp, DeviceLibrary::Serial), kindName);
