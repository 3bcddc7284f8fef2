#include "link_descriptor.h"

#include "link_poller.h"
#include "response_buffer.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace vantor {

namespace {

// One read takes at most this much; a link that had more waiting is read
// again at once. Most reads find far less: a tick's responses are a few
// hundred bytes.
constexpr qsizetype ReadChunk = 8192;
// The system's buffer of a link holds a burst of many ticks: a histogram
// answer (1725 bytes) and a second of groups and answers are under 3 KB.
constexpr int ReceiveBufferBytes = 256 * 1024;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

void LinkDescriptor::fail(QString *error, const QString &what)
{
    *error = what;
    close();
}

void LinkDescriptor::opened(State state)
{
    m_state = state;
    if (m_poller)
        m_poller->watch(m_fd, m_owner);
}

void LinkDescriptor::connectTcp(const QHostAddress &address, quint16 port, QString *error)
{
    close();
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto &in6 = reinterpret_cast<sockaddr_in6 &>(storage);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6.sin6_addr, &bytes, sizeof bytes);
        in6.sin6_scope_id = address.scopeId().toUInt();
        length = sizeof in6;
    } else {
        auto &in4 = reinterpret_cast<sockaddr_in &>(storage);
        in4.sin_family = AF_INET;
        in4.sin_port = htons(port);
        in4.sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof in4;
    }
    m_fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return fail(error, systemError(errno));
    // Commands are gathered per tick already; Nagle would only hold the next
    // tick's back until this one's are acknowledged.
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &ReceiveBufferBytes, sizeof ReceiveBufferBytes);
    if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&storage), length) == 0) {
        opened(State::Open);
    } else if (errno == EINPROGRESS) {
        opened(State::Connecting);
    } else {
        fail(error, systemError(errno));
    }
}

void LinkDescriptor::openSerial(const QString &path, int speed, QString *error)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return fail(error, systemError(errno));
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        return fail(error, systemError(errno));
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    // With one byte needed per read, a read with nothing there fails with
    // EAGAIN and one that returns 0 means the line hung up.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (::cfsetspeed(&settings, static_cast<speed_t>(speed)) != 0)
        return fail(error, QStringLiteral("unsupported speed %1").arg(speed));
    if (::tcsetattr(m_fd, TCSANOW, &settings) != 0)
        return fail(error, systemError(errno));
    // No second program may talk to the analyzer through the same port.
    ::ioctl(m_fd, TIOCEXCL);
    opened(State::Open);
}

LinkDescriptor::State LinkDescriptor::state(QString *error)
{
    if (m_state != State::Connecting)
        return m_state;
    pollfd waiting{m_fd, POLLOUT, 0};
    if (::poll(&waiting, 1, 0) <= 0)
        return m_state;
    int result = 0;
    socklen_t length = sizeof result;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0)
        result = errno;
    if (result != 0) {
        fail(error, systemError(result));
        return m_state;
    }
    m_state = State::Open;
    return m_state;
}

void LinkDescriptor::receive(ResponseBuffer &responses, QString *error)
{
    if (state(error) != State::Open)
        return;
    for (;;) {
        const ssize_t n = ::read(m_fd, responses.prepare(ReadChunk), ReadChunk);
        if (n > 0) {
            responses.commit(n);
            if (n < ReadChunk)
                return;
        } else if (n == 0) {
            return fail(error, QStringLiteral("closed by the device"));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        } else if (errno != EINTR) {
            return fail(error, systemError(errno));
        }
    }
}

bool LinkDescriptor::flush(QString *error)
{
    if (m_state != State::Open)
        return !m_output.isEmpty();
    qsizetype written = 0;
    while (written < m_output.size()) {
        const ssize_t n = ::write(m_fd, m_output.constData() + written,
                                  static_cast<std::size_t>(m_output.size() - written));
        if (n >= 0) {
            written += n;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else if (errno != EINTR) {
            fail(error, systemError(errno));
            return false;
        }
    }
    m_output.remove(0, written);
    return !m_output.isEmpty();
}

void LinkDescriptor::close()
{
    const int fd = std::exchange(m_fd, -1);
    if (fd >= 0) {
        if (m_poller)
            m_poller->forget(fd);
        // Last commands (the stop commands at shut-down) go out with the close.
        if (m_state == State::Open && !m_output.isEmpty())
            (void)!::write(fd, m_output.constData(), static_cast<std::size_t>(m_output.size()));
        ::close(fd);
    }
    m_state = State::Closed;
    m_output.clear();
}

} // namespace vantor
