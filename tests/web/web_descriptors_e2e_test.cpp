// The station under a flood of idle web connections at a small limit of open
// files: the program itself, the simulator and thousands of connections over
// real sockets. The web server gives its connections back at once and never
// takes the handles kept for the logs, so a whole visit is still logged.
#include "http_client.h"
#include "test_support.h"
#include "web_station_helpers.h"

#include <QDirIterator>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace vantor::test;

namespace {

constexpr int Connections = 3000;

// Connections that are opened and never used; those the server closes are
// opened again, so the flood stands for as long as it is kept up.
class IdleFlood
{
public:
    explicit IdleFlood(int port) : m_port(port) {}
    IdleFlood(const IdleFlood &) = delete;
    IdleFlood &operator=(const IdleFlood &) = delete;
    ~IdleFlood() { stop(); }

    void stop()
    {
        for (const int fd : m_fds)
            close(fd);
        m_fds.clear();
    }

    // Opens connections until Connections are held, each from one of a
    // couple of hundred loopback addresses.
    void topUp()
    {
        std::vector<pollfd> polled;
        for (const int fd : m_fds)
            polled.push_back({fd, POLLIN, 0});
        poll(polled.data(), polled.size(), 0);
        std::vector<int> open;
        for (const pollfd &p : polled) {
            char byte;
            const bool closed = (p.revents & (POLLHUP | POLLERR)) ||
                                ((p.revents & POLLIN) && recv(p.fd, &byte, 1, MSG_PEEK) == 0);
            if (closed)
                close(p.fd);
            else
                open.push_back(p.fd);
        }
        m_fds = open;
        while (static_cast<int>(m_fds.size()) < Connections) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0)
                return;
            sockaddr_in from{};
            from.sin_family = AF_INET;
            from.sin_addr.s_addr = htonl(0x7f000002u + (m_opened++ % 200));
            bind(fd, reinterpret_cast<sockaddr *>(&from), sizeof from);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(static_cast<uint16_t>(m_port));
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0 &&
                errno != EINPROGRESS) {
                close(fd);
                return;
            }
            m_fds.push_back(fd);
        }
    }
    qint64 opened() const { return m_opened; }

private:
    int m_port;
    std::vector<int> m_fds;
    qint64 m_opened = 0;
};

// Archived CSV files of the station and their lines.
QList<qint64> ArchivedCsvLines(const QString &data)
{
    QList<qint64> lines;
    QDirIterator files(data + QStringLiteral("/StationLogs"), {QStringLiteral("*.csv")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        // The histogram file is archived beside the visit's CSV, which alone has a
        // line a second.
        if (!file.contains(QStringLiteral("/Recent/")) &&
            !file.endsWith(QStringLiteral(" - histogram.csv")))
            lines << readAll(file).count('\n');
    }
    return lines;
}

} // namespace

TEST(WebDescriptors, AWholeVisitIsLoggedUnderThousandsOfIdleConnections)
{
    rlimit own{};
    getrlimit(RLIMIT_NOFILE, &own);
    if (own.rlim_max < Connections + 200)
        GTEST_SKIP() << "this test needs " << Connections + 200 << " open files";
    own.rlim_cur = own.rlim_max;
    setrlimit(RLIMIT_NOFILE, &own);

    WebStation station;
    station.setOpenFileLimit(1024);
    ASSERT_TRUE(station.start());
    IdleFlood flood(station.webPort());
    const QString data = station.folder() + QStringLiteral("/station");
    // The one-minute visit ends, and its CSV log is archived, while the
    // flood stands.
    flood.topUp();
    QTimer keptUp;
    QObject::connect(&keptUp, &QTimer::timeout, [&] { flood.topUp(); });
    keptUp.start(2000);
    const bool archived = waitFor([&] { return !ArchivedCsvLines(data).isEmpty(); }, 150000);
    const QByteArray log = station.appLog() + DeviceLog(data, QStringLiteral("Tx Site"));
    EXPECT_TRUE(archived) << log.right(3000).constData();
    const QList<qint64> lines = ArchivedCsvLines(data);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_GE(lines.first(), 50) << "a line a second of the minute's visit\n"
                                 << log.right(3000).constData();
    EXPECT_FALSE(log.contains("Cannot")) << log.right(3000).constData();

    // Every slot is held by the flood; once it is gone, the count of those
    // turned away.
    keptUp.stop();
    const qint64 opened = flood.opened();
    flood.stop();
    HttpReply metrics;
    EXPECT_TRUE(waitFor(
        [&] {
            metrics = Get(static_cast<quint16>(station.webPort()), "/metrics");
            return metrics.status == 200;
        },
        30000));
    // Not all: what the system's accept queue drops never reaches the server.
    EXPECT_GT(MetricValue(metrics.body, "vantor_web_connections_refused_total{reason=\"slots\"}"),
              Connections / 6)
        << opened << " connections made";
    std::printf("idle connections made: %lld; archived CSV lines: %lld\n",
                static_cast<long long>(opened), static_cast<long long>(lines.first()));
}
