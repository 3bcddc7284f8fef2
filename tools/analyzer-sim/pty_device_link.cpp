#include "pty_device_link.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vantor::sim {

namespace {

QString systemError(const char *what)
{
    return QString::fromLatin1(what) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno));
}

// Unread output beyond this is taken as nobody listening and thrown away, as a
// serial port that nobody has open loses what the device sends. A program
// reading every 200 ms never has this much waiting (the longest line, the
// histogram, is under 1800 bytes).
constexpr int unreadLimit = 3072;

} // namespace

PtyDeviceLink::PtyDeviceLink(QObject *parent) : DeviceLink(parent) {}

PtyDeviceLink::~PtyDeviceLink()
{
    // Only a link that still leads to our terminal is ours to remove.
    const QFileInfo link(m_linkPath);
    const bool ours =
        !m_linkPath.isEmpty() && link.isSymLink() && link.symLinkTarget() == m_terminalPath;
    closeTerminal();
    if (ours)
        QFile::remove(m_linkPath);
}

bool PtyDeviceLink::open(const QString &linkPath)
{
    const QFileInfo info(linkPath);
    if (info.exists() && !info.isSymLink()) {
        m_error = linkPath + QStringLiteral(" exists and is not a symbolic link");
        return false;
    }
    m_linkPath = linkPath;
    if (!openTerminal())
        return false;
    if (!pointLinkAtTerminal()) {
        closeTerminal();
        m_linkPath.clear();
        return false;
    }
    return true;
}

bool PtyDeviceLink::openTerminal()
{
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B115200);
    cfsetospeed(&raw, B115200);
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_error = systemError("openpty");
        m_master = m_slave = -1;
        return false;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_terminalPath = QString::fromLocal8Bit(name);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyDeviceLink::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyDeviceLink::flushPending);
    return true;
}

void PtyDeviceLink::closeTerminal()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
    m_pending.clear();
}

bool PtyDeviceLink::pointLinkAtTerminal()
{
    // A new link is made beside the old one and renamed over it, so the path
    // never goes missing for a program that retries opening it.
    const QByteArray target = m_terminalPath.toLocal8Bit();
    const QByteArray link = QFile::encodeName(m_linkPath);
    const QByteArray temporary = link + ".new" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) != 0) {
        m_error = systemError("symlink");
        return false;
    }
    if (::rename(temporary.constData(), link.constData()) != 0) {
        m_error = systemError("rename");
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void PtyDeviceLink::write(const QByteArray &data)
{
    if (m_master < 0)
        return;
    m_pending.append(data);
    flushPending();
}

void PtyDeviceLink::flushPending()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n =
            ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            qWarning("analyzer-sim: write to %s failed: %s", qPrintable(m_terminalPath),
                     std::strerror(errno));
        break;
    }
    discardUnread();
    m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

void PtyDeviceLink::discardUnread()
{
    int unread = 0;
    if (::ioctl(m_slave, FIONREAD, &unread) == 0 && unread > unreadLimit) {
        ::tcflush(m_slave, TCIFLUSH);
        m_pending.clear();
    }
}

void PtyDeviceLink::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            emit received(QByteArray(buffer, n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
}

void PtyDeviceLink::drop()
{
    if (m_master < 0)
        return;
    closeTerminal();
    if (!openTerminal() || !pointLinkAtTerminal())
        qWarning("analyzer-sim: cannot reopen the terminal for %s: %s", qPrintable(m_linkPath),
                 qPrintable(m_error));
}

} // namespace vantor::sim
