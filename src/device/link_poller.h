// One epoll set for every link of the library: the event loop watches one
// descriptor however many links there are, and a wake-up reads only the
// links that have something to say. After each round it rests a moment, so
// that data trickling in from a thousand links are read in batches, not one
// wake-up each.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace vantor {

class AnalyzerLink;

class LinkPoller : public QObject
{
    Q_OBJECT

public:
    // How long the set rests after a round: data wait at most this long in
    // the system before they are in a link's responses, a hang-up is noticed
    // at most this late. The engine reads the responses every 200 ms.
    static constexpr int RestMs = 50;

    LinkPoller();
    ~LinkPoller() override;

    // link->receive() runs whenever fd has data, has hung up or has failed.
    void watch(int fd, AnalyzerLink *link);
    // Before fd is closed.
    void forget(int fd);

private:
    void readReadyLinks();

    int m_epoll = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_rest;
};

} // namespace vantor
