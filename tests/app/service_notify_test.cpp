// The headless program started the way systemd starts a notify service: a
// datagram socket of the test stands in for systemd's, and what arrives on it
// says when the station is ready, that its event loop turns (the watchdog),
// how its devices and alarms are, and that it stops.
#include "process_helpers.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>

using namespace vantor::test;

namespace {

struct Notification {
    qint64 atMs;
    QByteArray text;
};

// A bound Unix datagram socket that collects every message sent to it, each
// with the time it was read.
class NotifySocket
{
public:
    explicit NotifySocket(const QString &path) : m_path(path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        if (m_fd < 0 || native.size() >= qsizetype(sizeof address.sun_path))
            return;
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            return;
        m_bound = true;
        m_clock.start();
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
    }
    ~NotifySocket()
    {
        m_notifier.reset();
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool bound() const { return m_bound; }
    const QString &path() const { return m_path; }
    const QList<Notification> &received() const { return m_received; }

    // The messages that hold line, in order.
    QList<Notification> with(const QByteArray &line) const
    {
        QList<Notification> found;
        for (const Notification &n : m_received) {
            if (n.text.split('\n').contains(line))
                found << n;
        }
        return found;
    }
    bool has(const QByteArray &line) const { return !with(line).isEmpty(); }
    // The last status line sent, without "STATUS=".
    QByteArray lastStatus() const
    {
        QByteArray status;
        for (const Notification &n : m_received) {
            for (const QByteArray &l : n.text.split('\n')) {
                if (l.startsWith("STATUS="))
                    status = l.mid(7);
            }
        }
        return status;
    }

private:
    void drain()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n < 0)
                return;
            m_received << Notification{m_clock.elapsed(), QByteArray(buffer, n)};
        }
    }

    QString m_path;
    int m_fd = -1;
    bool m_bound = false;
    QElapsedTimer m_clock;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QList<Notification> m_received;
};

class ServiceNotify : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_simulator.start());
        m_data = m_tmp.path() + QStringLiteral("/station");
        QDir().mkpath(m_data);
        ASSERT_TRUE(
            writeAll(m_data + QStringLiteral("/devices.ini"), OneDeviceIni(m_simulator.port())));
        ASSERT_TRUE(writeAll(m_data + QStringLiteral("/stations.ini"),
                             "[General]\r\nStationCount=1\r\n[Station0]\r\nName=City FM\r\n"
                             "Frequency=98.5\r\nDeviceName=Tx Site\r\nMeasuring=10\r\nRDS=0\r\n"
                             "AlarmSetName=Watch\r\n"));
        ASSERT_TRUE(writeAll(m_data + QStringLiteral("/alarms.ini"),
                             "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Watch\r\n"
                             "SD_Enabled=1\r\nSD_Duration=2\r\n"));
    }

    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
    }

    // Starts the program with systemd's variables: the socket, and the
    // watchdog interval when watchdogUsec is not empty.
    void Start(const NotifySocket &socket, const QByteArray &watchdogUsec)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("NOTIFY_SOCKET"), socket.path());
        env.remove(QStringLiteral("WATCHDOG_PID"));
        env.remove(QStringLiteral("WATCHDOG_USEC"));
        if (!watchdogUsec.isEmpty())
            env.insert(QStringLiteral("WATCHDOG_USEC"), QString::fromLatin1(watchdogUsec));
        m_program.setProcessEnvironment(env);
        m_program.start(binDir() + QStringLiteral("/vantor"),
                        {QStringLiteral("--headless"), QStringLiteral("--data-dir"), m_data});
        ASSERT_TRUE(m_program.waitForStarted(5000));
    }

    QByteArray AppLog() const { return readAll(m_data + QStringLiteral("/AppLogs/app.log")); }

    SimulatorProcess m_simulator;
    QTemporaryDir m_tmp;
    QString m_data;
    QProcess m_program;
};

} // namespace

TEST_F(ServiceNotify, ReadyStatusWatchdogAndStoppingFollowTheStation)
{
    NotifySocket socket(m_tmp.path() + QStringLiteral("/notify"));
    ASSERT_TRUE(socket.bound());
    // Pings are due every second, at half this interval.
    constexpr qint64 watchdogMs = 2000;
    Start(socket, QByteArray::number(watchdogMs * 1000));

    ASSERT_TRUE(waitFor([&] { return !socket.received().isEmpty(); }, 10000));
    EXPECT_EQ(socket.received().first().text,
              "READY=1\nSTATUS=1 device, 0 connected; 0 alarms active, 0 pending");
    // Ready means started: the start-up lines are written.
    EXPECT_TRUE(AppLog().contains("TUNIX.DLL version ")) << AppLog().constData();

    ASSERT_TRUE(
        waitFor([&] { return socket.lastStatus().startsWith("1 device, 1 connected;"); }, 15000))
        << socket.lastStatus().constData();

    // The station goes silent: the alarm is pending for its duration, then
    // active, and the status line says so.
    ASSERT_TRUE(waitFor(
        [&] {
            return QFileInfo(m_data + QStringLiteral("/StationLogs/Recent/City FM.csv")).size() >
                   150;
        },
        20000));
    ASSERT_EQ(m_simulator.control(QStringLiteral("set 98.5 AVE 2")).last().left(2),
              QStringLiteral("OK"));
    EXPECT_TRUE(waitFor(
        [&] { return socket.lastStatus() == "1 device, 1 connected; 1 alarm active, 0 pending"; },
        15000))
        << socket.lastStatus().constData();

    ASSERT_TRUE(Terminate(m_program));
    EXPECT_EQ(m_program.exitCode(), 0);
    waitFor([&] { return socket.has("STOPPING=1"); }, 1000);
    ASSERT_EQ(socket.with("STOPPING=1").size(), 1);

    // Once stopping, only watchdog pings follow; a status line is sent only
    // when it changes.
    const QList<Notification> &all = socket.received();
    qsizetype stopping = 0;
    while (!all[stopping].text.startsWith("STOPPING=1"))
        ++stopping;
    EXPECT_EQ(all[stopping].text, "STOPPING=1\nSTATUS=Shutting down");
    for (qsizetype i = stopping + 1; i < all.size(); ++i)
        EXPECT_EQ(all[i].text, "WATCHDOG=1");
    QByteArray previous;
    for (const Notification &n : all.mid(0, stopping)) {
        if (!n.text.startsWith("STATUS="))
            continue;
        EXPECT_NE(n.text, previous);
        previous = n.text;
    }

    // The pings came from the first second on and never left the watchdog
    // waiting for its whole interval.
    const QList<Notification> pings = socket.with("WATCHDOG=1");
    ASSERT_GE(pings.size(), 5);
    qint64 last = all.first().atMs;
    for (const Notification &ping : pings) {
        EXPECT_LT(ping.atMs - last, watchdogMs);
        last = ping.atMs;
    }
}

TEST_F(ServiceNotify, NoWatchdogPingsUnlessSystemdAsks)
{
    NotifySocket socket(m_tmp.path() + QStringLiteral("/notify"));
    ASSERT_TRUE(socket.bound());
    Start(socket, {});
    ASSERT_TRUE(waitFor([&] { return socket.has("READY=1"); }, 10000));
    ASSERT_TRUE(
        waitFor([&] { return socket.lastStatus().startsWith("1 device, 1 connected;"); }, 15000));
    EXPECT_FALSE(socket.has("WATCHDOG=1"));
    ASSERT_TRUE(Terminate(m_program));
    EXPECT_TRUE(waitFor([&] { return socket.has("STOPPING=1"); }, 1000));
    EXPECT_FALSE(socket.has("WATCHDOG=1"));
}
