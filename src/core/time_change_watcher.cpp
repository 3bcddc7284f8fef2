#include "time_change_watcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace vantor {

// A realtime timerfd armed far in the future with TFD_TIMER_CANCEL_ON_SET
// wakes up with ECANCELED whenever the clock is set; it is then re-armed.
TimeChangeWatcher::TimeChangeWatcher(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    arm();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TimeChangeWatcher::onActivated);
#endif
}

TimeChangeWatcher::~TimeChangeWatcher()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

void TimeChangeWatcher::arm()
{
#ifdef Q_OS_LINUX
    itimerspec when{};
    when.it_value.tv_sec = INT32_MAX;
    timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
#endif
}

void TimeChangeWatcher::onActivated()
{
#ifdef Q_OS_LINUX
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    if (n < 0 && errno == ECANCELED) {
        arm();
        emit timeChanged();
    }
#endif
}

} // namespace vantor
