// The link library with many links on real loopback sockets, read the way
// the receive tick reads them: bursts from every link at once arrive whole
// and in order, and a link that hangs up is noticed within a second.
#include "analyzer-sim/simulator.h"
#include "link_library.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace vantor;
using vantor::test::waitFor;

namespace {

constexpr int Links = 300;

// The analyzer's longest answer, 15 + 1708 characters: 122 fields of 14,
// the count right-aligned in characters 8..12 of each.
QByteArray histogramLine(int link, int burst)
{
    QByteArray line = "Histogram Data=";
    for (int bin = 0; bin < 122; ++bin)
        line += QByteArray::number(bin).rightJustified(3) + " kHz:" +
                QByteArray::number((link * 7 + burst * 13 + bin) % 99999).rightJustified(5) + "  ";
    return line;
}

// What a receiver sends in a second: the histogram, the polled answers and
// the RDS groups, every line telling which link and burst it belongs to.
QList<QByteArray> burstLines(int link, int burst)
{
    QList<QByteArray> lines{histogramLine(link, burst)};
    lines << "Level=" + QByteArray::number(link) + "." + QByteArray::number(burst) + " dBuV";
    for (int group = 0; group < 12; ++group)
        lines << "G=" + QByteArray::number(link, 16).rightJustified(4, '0') +
                     QByteArray::number(burst, 16).rightJustified(4, '0') +
                     QByteArray::number(group, 16).rightJustified(4, '0') + "----";
    return lines;
}

QByteArray wire(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

class LinkBursts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server.setMaxPendingConnections(Links);
        server.setListenBacklogSize(Links);
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        for (int i = 0; i < Links; ++i) {
            ASSERT_EQ(library.AddDevice(), i);
            library.SetDevice(i);
            library.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("127.0.0.1"),
                                    server.serverPort());
            library.Connect();
        }
        // Each link names itself, so the test knows which peer is which.
        peers.resize(Links);
        std::vector<std::unique_ptr<QTcpSocket>> unnamed;
        ASSERT_TRUE(waitFor(
            [&] {
                while (QTcpSocket *peer = server.nextPendingConnection())
                    unnamed.emplace_back(peer);
                return unnamed.size() == Links;
            },
            20000))
            << unnamed.size() << " links accepted";
        for (int i = 0; i < Links; ++i) {
            library.SetDevice(i);
            ASSERT_TRUE(library.Connected()) << i;
            library.WriteCommand(QString::number(i));
        }
        ASSERT_TRUE(waitFor([&] {
            for (auto &peer : unnamed) {
                // A command ends with CR alone.
                if (peer && peer->peek(16).contains('\r')) {
                    const int i = peer->readAll().trimmed().toInt();
                    peers[static_cast<std::size_t>(i)] = std::move(peer);
                }
            }
            return std::all_of(peers.begin(), peers.end(),
                               [](const auto &p) { return p != nullptr; });
        })) << std::count(peers.begin(), peers.end(), nullptr)
            << " links unnamed";
    }

    // Reads every link as the receive tick does, until each holds count
    // responses in all.
    bool readUntil(std::vector<QStringList> &received, qsizetype count)
    {
        return waitFor(
            [&] {
                bool all = true;
                for (int i = 0; i < Links; ++i) {
                    library.SetDevice(i);
                    for (int n = library.ReadBufferLength(); n > 0; --n)
                        received[static_cast<std::size_t>(i)].append(library.ReadResponse());
                    all = all && received[static_cast<std::size_t>(i)].size() >= count;
                }
                return all;
            },
            20000);
    }

    QTcpServer server;
    AnalyzerLinkLibrary library{QString()};
    std::vector<std::unique_ptr<QTcpSocket>> peers;
};

} // namespace

TEST_F(LinkBursts, EveryLinksBurstArrivesWholeAndInOrder)
{
    std::vector<QStringList> received(Links);
    std::vector<QStringList> expected(Links);
    // One burst each, then four at once from every link (more than one read
    // takes), as when the reading is late.
    for (const int bursts : {1, 4}) {
        for (int b = 0; b < bursts; ++b) {
            const int burst = static_cast<int>(expected[0].size()) / 14;
            for (int i = 0; i < Links; ++i) {
                const QList<QByteArray> lines = burstLines(i, burst);
                peers[static_cast<std::size_t>(i)]->write(wire(lines));
                for (const QByteArray &line : lines)
                    expected[static_cast<std::size_t>(i)].append(QString::fromLatin1(line));
            }
        }
        ASSERT_TRUE(readUntil(received, expected[0].size()));
        for (int i = 0; i < Links; ++i)
            ASSERT_EQ(received[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)])
                << "link " << i;
    }
}

namespace {

// One link to a TCP peer of the test's own.
class LinkHangUp : public ::testing::TestWithParam<bool>
{
protected:
    QTcpServer server;
    AnalyzerLinkLibrary library{QString()};
};

} // namespace

// Closed cleanly or reset: what was sent before the end is still there.
TEST_P(LinkHangUp, IsNoticedWithinASecondWithWhatCameBefore)
{
    const bool reset = GetParam();
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    library.SetDevice(library.AddDevice());
    library.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("127.0.0.1"),
                            server.serverPort());
    library.Connect();
    ASSERT_TRUE(waitFor([&] { return server.hasPendingConnections(); }));
    std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
    ASSERT_TRUE(library.Connected());

    peer->write("Level=61.0 dBuV\r\nG=1000");
    ASSERT_TRUE(peer->waitForBytesWritten(1000));
    ASSERT_TRUE(waitFor([&] { return library.ReadBufferLength() == 1; }));
    QElapsedTimer sinceHangUp;
    sinceHangUp.start();
    if (reset)
        peer->abort();
    else
        peer->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return !library.Connected(); }, 1000));
    EXPECT_LT(sinceHangUp.elapsed(), 1000);
    // The half line of the lost connection is gone; the whole one stays.
    EXPECT_EQ(library.ReadBufferLength(), 1);
    EXPECT_EQ(library.ReadResponse(), QStringLiteral("Level=61.0 dBuV"));
}

INSTANTIATE_TEST_SUITE_P(ClosedOrReset, LinkHangUp, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &param) {
                             return std::string(param.param ? "Reset" : "Closed");
                         });

// A serial line whose terminal hangs up (an unplugged adapter).
TEST(SerialLinkHangUp, IsNoticedWithinASecond)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("ports")));
    sim::Simulator simulator{sim::Scenario::builtIn(), 1};
    ASSERT_TRUE(simulator.openPty(dir.filePath(QStringLiteral("ports/COM3"))));
    AnalyzerLinkLibrary library{dir.path()};
    library.SetDevice(library.AddDevice());
    library.ConnectionSetup(DeviceLibrary::Serial, 3, QString(), 0);
    library.Connect();
    ASSERT_TRUE(library.Connected());

    QElapsedTimer sinceHangUp;
    sinceHangUp.start();
    ASSERT_EQ(simulator.control(QStringLiteral("drop")).last(), QStringLiteral("OK"));
    ASSERT_TRUE(waitFor([&] { return !library.Connected(); }, 1000));
    EXPECT_LT(sinceHangUp.elapsed(), 1000);
}
