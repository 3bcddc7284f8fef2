// A receiver on a real pseudo-terminal, opened through its link the way a
// serial port is opened.
#include "analyzer-sim/simulator.h"
#include "sim_fixture.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace vantor;
using vantor::test::waitFor;

namespace {

// One end of the serial line as a program holds it.
class SerialEnd
{
public:
    explicit SerialEnd(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {}
    ~SerialEnd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &data) const
    {
        return ::write(m_fd, data.constData(), static_cast<size_t>(data.size())) == data.size();
    }
    // Reads what is there; false once the line has been hung up.
    bool read()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0)
            m_received.append(buffer, n);
        return n > 0 || (n < 0 && errno == EAGAIN);
    }
    bool waitFor(const QByteArray &text)
    {
        return test::waitFor([&] {
            read();
            return m_received.contains(text);
        });
    }
    const QByteArray &received() const { return m_received; }

private:
    int m_fd;
    QByteArray m_received;
};

TEST(PtyReceiver, AnswersOverTheTerminalAndComesBackAfterADrop)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("COM3"));
    {
        sim::Simulator simulator(test::exactTestScenario(), 1);
        ASSERT_TRUE(simulator.openPty(link)) << simulator.errorString().toStdString();
        ASSERT_TRUE(QFileInfo(link).isSymLink());

        SerialEnd port(link);
        ASSERT_TRUE(port.isOpen());
        ASSERT_TRUE(port.write("098500*F\r*M\r?A\r?F\r"));
        ASSERT_TRUE(port.waitFor("Frequency=98.500 MHz\r\n")) << port.received().constData();
        EXPECT_EQ(port.received(), "AVE=42.0 kHz\r\nMAX=70.0 kHz\r\nFrequency=98.500 MHz\r\n");

        // The drop hangs the line up; the path then leads to a fresh terminal
        // behind which the same receiver still sits.
        EXPECT_EQ(simulator.control(QStringLiteral("drop")).last(), QStringLiteral("OK"));
        EXPECT_TRUE(waitFor([&] { return !port.read(); }));
        SerialEnd again(link);
        ASSERT_TRUE(again.isOpen());
        ASSERT_TRUE(again.write("?F\r"));
        EXPECT_TRUE(again.waitFor("Frequency=98.500 MHz\r\n")) << again.received().constData();
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink()) << "the link goes with the simulator";
}

TEST(PtyReceiver, LeavesAFileThatIsNoLinkAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("COM4"));
    ASSERT_TRUE(test::writeAll(path, "keep me"));
    sim::Simulator simulator(sim::Scenario::builtIn(), 1);
    EXPECT_FALSE(simulator.openPty(path));
    EXPECT_TRUE(simulator.errorString().contains(QStringLiteral("not a symbolic link")));
    EXPECT_EQ(test::readAll(path), "keep me");
    EXPECT_EQ(simulator.receiverCount(), 0);
}

} // namespace
