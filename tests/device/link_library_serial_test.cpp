#include "link_library.h"
#include "serial_port_path.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::waitFor;

TEST(SerialPortPath, OperatorEntryInTheDataFolderWinsOverTheSystemPort)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString data = dir.path();
    ASSERT_TRUE(QDir(data).mkpath(QStringLiteral("ports")));
    const QString com3 = data + QStringLiteral("/ports/COM3");
    const QString com4 = data + QStringLiteral("/ports/COM4");
    ASSERT_TRUE(QFile::link(data, com3));
    ASSERT_TRUE(QFile::link(data + QStringLiteral("/unplugged"), com4));

    EXPECT_EQ(serialPortPath(data, 3), com3);
    EXPECT_EQ(serialPortPath(data, 4), com4); // dangling: fails to open, no fallback
    EXPECT_EQ(serialPortPath(data, 5), QStringLiteral("/dev/ttyS4"));
    EXPECT_EQ(serialPortPath(data, 1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(serialPortPath(QString(), 3), QStringLiteral("/dev/ttyS2"));
}

namespace {

// A pty pair from socat: the library opens one end through the data folder's
// ports/COM7 entry, the test talks through the other.
class SerialLink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        deviceEnd = dir.filePath(QStringLiteral("device"));
        testEnd = dir.filePath(QStringLiteral("test"));
        socat.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        socat.start(QStringLiteral("socat"), {QStringLiteral("pty,raw,echo=0,link=") + deviceEnd,
                                              QStringLiteral("pty,raw,echo=0,link=") + testEnd});
        ASSERT_TRUE(socat.waitForStarted());
        ASSERT_TRUE(waitFor([&] { return QFile::exists(deviceEnd) && QFile::exists(testEnd); }));
        ASSERT_TRUE(QDir(dataFolder()).mkpath(QStringLiteral("ports")));
        ASSERT_TRUE(QFile::link(deviceEnd, dataFolder() + QStringLiteral("/ports/COM7")));

        test.setPortName(testEnd);
        ASSERT_TRUE(test.open(QIODevice::ReadWrite)) << test.errorString().toStdString();
    }

    void TearDown() override
    {
        test.close();
        stopSocat();
    }

    void stopSocat()
    {
        if (socat.state() != QProcess::NotRunning) {
            socat.kill();
            socat.waitForFinished();
        }
    }

    QString dataFolder() const { return dir.filePath(QStringLiteral("data")); }

    QTemporaryDir dir;
    QString deviceEnd;
    QString testEnd;
    QProcess socat;
    QSerialPort test;
};

} // namespace

TEST_F(SerialLink, CommandsAndResponsesCrossThePortNamedInTheDataFolder)
{
    AnalyzerLinkLibrary library(dataFolder());
    const int handle = library.AddDevice();
    library.SetDevice(handle);
    library.ConnectionSetup(DeviceLibrary::Serial, 7, QString(), 0);
    library.Connect();
    ASSERT_TRUE(library.Connected());

    library.WriteCommand(QStringLiteral("?Q"));
    library.WriteCommand(QStringLiteral("098500*F"));
    ASSERT_TRUE(waitFor([&] { return test.bytesAvailable() >= 12; }));
    EXPECT_EQ(test.readAll(), QByteArray("?Q\r098500*F\r"));

    test.write("Level=63.2 dBuV\r\nG=12340000ABCD----\r\n");
    ASSERT_TRUE(waitFor([&] { return library.ReadBufferLength() >= 2; }));
    EXPECT_EQ(library.ReadResponse(), QStringLiteral("Level=63.2 dBuV"));
    EXPECT_EQ(library.ReadResponse(), QStringLiteral("G=12340000ABCD----"));

    // A configured speed opens the same port.
    library.ConnectionSetup(DeviceLibrary::Serial, 7, QString(), 19200);
    library.Connect();
    EXPECT_TRUE(library.Connected());
}

TEST_F(SerialLink, PortThatVanishesReadsAsDisconnected)
{
    AnalyzerLinkLibrary library(dataFolder());
    const int handle = library.AddDevice();
    library.SetDevice(handle);
    library.ConnectionSetup(DeviceLibrary::Serial, 7, QString(), 9600);
    library.Connect();
    ASSERT_TRUE(library.Connected());

    test.close();
    stopSocat();
    EXPECT_TRUE(waitFor([&] { return !library.Connected(); }));
    library.WriteCommand(QStringLiteral("?Q")); // dropped, harmless
    EXPECT_EQ(library.ReadBufferLength(), 0);
}

TEST_F(SerialLink, PortsThatCannotBeOpenedStayDisconnected)
{
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("unplugged")),
                            dataFolder() + QStringLiteral("/ports/COM8")));
    AnalyzerLinkLibrary library(dataFolder());
    const int handle = library.AddDevice();
    library.SetDevice(handle);
    for (const int port : {8, 0, 256}) {
        library.ConnectionSetup(DeviceLibrary::Serial, port, QString(), 0);
        library.Connect();
        EXPECT_FALSE(library.Connected()) << "COM" << port;
    }
}

// The longest answer and a second of RDS groups in one write: more than a
// pseudo-terminal passes at once, all of it arrives in order.
TEST_F(SerialLink, AHistogramAndASecondOfGroupsArriveWholeTogether)
{
    AnalyzerLinkLibrary library(dataFolder());
    library.SetDevice(library.AddDevice());
    library.ConnectionSetup(DeviceLibrary::Serial, 7, QString(), 0);
    library.Connect();
    ASSERT_TRUE(library.Connected());

    QStringList expected{QStringLiteral("Histogram Data=") + QString(1708, QLatin1Char('7'))};
    for (int i = 0; i < 12; ++i)
        expected << QStringLiteral("G=1000%1000044----").arg(i, 2, 16, QLatin1Char('0'));
    test.write((expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    QStringList received;
    ASSERT_TRUE(waitFor([&] {
        for (int n = library.ReadBufferLength(); n > 0; --n)
            received << library.ReadResponse();
        return received.size() >= expected.size();
    }));
    EXPECT_EQ(received, expected);
}
