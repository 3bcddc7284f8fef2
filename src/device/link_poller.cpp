#include "link_poller.h"

#include "analyzer_link.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/epoll.h>
#include <unistd.h>

namespace vantor {

namespace {
// More than this many ready links wait for the next round.
constexpr int EventsPerRound = 1024;
} // namespace

LinkPoller::LinkPoller() : m_epoll(::epoll_create1(EPOLL_CLOEXEC))
{
    // Without an epoll set no link could be read: nothing else would work.
    if (m_epoll < 0)
        qFatal("epoll_create1: %s", std::strerror(errno));
    m_notifier = std::make_unique<QSocketNotifier>(m_epoll, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &LinkPoller::readReadyLinks);
    m_rest.setSingleShot(true);
    m_rest.setInterval(RestMs);
    connect(&m_rest, &QTimer::timeout, this, [this] { m_notifier->setEnabled(true); });
}

LinkPoller::~LinkPoller()
{
    m_notifier.reset();
    ::close(m_epoll);
}

void LinkPoller::watch(int fd, AnalyzerLink *link)
{
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.ptr = link;
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
}

void LinkPoller::forget(int fd)
{
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
}

void LinkPoller::readReadyLinks()
{
    std::array<epoll_event, EventsPerRound> events;
    const int ready = ::epoll_wait(m_epoll, events.data(), EventsPerRound, 0);
    for (int i = 0; i < ready; ++i)
        static_cast<AnalyzerLink *>(events[static_cast<std::size_t>(i)].data.ptr)->receive();
    m_notifier->setEnabled(false);
    m_rest.start();
}

} // namespace vantor
