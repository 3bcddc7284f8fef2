#include "time_change_watcher.h"

#include "clock.h"

#include <QFileInfo>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstdint>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace vantor {

// A realtime timerfd armed far in the future with TFD_TIMER_CANCEL_ON_SET
// wakes up with ECANCELED whenever the clock is set; it is then re-armed.
// The zone is a file, replaced or rewritten when the zone changes: its folder
// is watched, since a replaced file or link is a new one.
TimeChangeWatcher::TimeChangeWatcher(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    arm();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TimeChangeWatcher::onActivated);
    watchZone();
#endif
}

TimeChangeWatcher::~TimeChangeWatcher()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_zoneFd >= 0)
        ::close(m_zoneFd);
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

void TimeChangeWatcher::watchZone()
{
#ifdef Q_OS_LINUX
    const QString file = LocalTimeZoneFile();
    if (file.isEmpty())
        return;
    const QFileInfo info(file);
    m_zoneFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_zoneFd < 0)
        return;
    if (inotify_add_watch(m_zoneFd, QFile::encodeName(info.absolutePath()).constData(),
                          IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE) < 0) {
        ::close(m_zoneFd);
        m_zoneFd = -1;
        return;
    }
    m_zoneFile = info.absoluteFilePath();
    m_zoneFileName = info.fileName();
    auto *notifier = new QSocketNotifier(m_zoneFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TimeChangeWatcher::onZoneActivated);
#endif
}

void TimeChangeWatcher::onZoneActivated()
{
#ifdef Q_OS_LINUX
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        const ssize_t n = ::read(m_zoneFd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0 || QFile::decodeName(event->name) != m_zoneFileName)
                continue;
            // A file being created is read once it is written and closed; a
            // link is complete when it appears.
            if ((event->mask & IN_CREATE) && !QFileInfo(m_zoneFile).isSymLink())
                continue;
            changed = true;
        }
    }
    if (!changed)
        return;
    ReloadLocalTimeZone();
    emit timeChanged();
#endif
}

} // namespace vantor
