#include "picture_drawer.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>

namespace vantor {

PictureDrawer::PictureDrawer(const WebLimits &limits, QObject *parent)
    : QObject(parent), m_limits(limits)
{
    m_kept.setMaxCost(std::max<qsizetype>(m_limits.pictureCacheBytes, 1));
    m_thread = std::thread([this] { Run(); });
}

PictureDrawer::~PictureDrawer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

PictureDrawer::Outcome PictureDrawer::Request(const QByteArray &key,
                                              const std::function<PictureJob()> &prepare,
                                              Ready ready)
{
    if (const QByteArray *png = m_kept.object(key)) {
        ready(*png);
        return Outcome::Kept;
    }
    if (const auto waiting = m_waiting.find(key); waiting != m_waiting.end()) {
        waiting->push_back(std::move(ready));
        return Outcome::Queued;
    }
    if (m_waiting.size() >= m_limits.pictureQueue) {
        ++m_refused;
        return Outcome::Busy;
    }
    m_waiting[key].push_back(std::move(ready));
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back({key, prepare()});
    }
    m_wake.notify_one();
    return Outcome::Queued;
}

void PictureDrawer::Finished(const QByteArray &key, const QByteArray &png)
{
    ++m_drawn;
    if (!png.isEmpty())
        m_kept.insert(key, new QByteArray(png), png.size());
    const std::vector<Ready> waiting = m_waiting.take(key);
    for (const Ready &ready : waiting)
        ready(png);
}

void PictureDrawer::Run()
{
    using Clock = std::chrono::steady_clock;
    const double perSecond = std::max(m_limits.pictureMsPerSecond, 1);
    // Drawing time in hand, in ms: it grows by perSecond a second up to one
    // second's worth, and each picture spends what it took.
    double budget = perSecond;
    Clock::time_point refilled = Clock::now();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_tasks.empty(); });
        if (m_stop)
            return;
        const auto now = Clock::now();
        budget = std::min(
            perSecond, budget + std::chrono::duration<double>(now - refilled).count() * perSecond);
        refilled = now;
        if (budget < 0) {
            const auto wait = std::chrono::duration<double>(-budget / perSecond);
            if (m_wake.wait_for(lock, wait, [this] { return m_stop; }))
                return;
            continue;
        }
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        QElapsedTimer spent;
        spent.start();
        const QByteArray png = DrawPicture(task.job);
        budget -= static_cast<double>(spent.nsecsElapsed()) * 1e-6;
        QMetaObject::invokeMethod(
            this, [this, key = task.key, png] { Finished(key, png); }, Qt::QueuedConnection);
        lock.lock();
    }
}

} // namespace vantor
