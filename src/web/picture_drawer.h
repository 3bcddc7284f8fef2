// Draws the web server's pictures on a thread of its own, so that no picture,
// however large or often asked for, costs the engine's loop more than the copy
// of its data. The queue is short and the drawing time per second bounded;
// a picture is kept and given again while its data are unchanged, and a
// picture asked for by several clients at once is drawn once for them all.
//
// The engine's tables are touched only on the loop (the copy); the thread
// draws from that private copy alone, on its own image.
#pragma once

#include "picture_job.h"
#include "web_limits.h"

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor {

class PictureDrawer : public QObject
{
    Q_OBJECT

public:
    explicit PictureDrawer(const WebLimits &limits, QObject *parent = nullptr);
    ~PictureDrawer() override;

    // The PNG, on the loop; empty when no picture could be drawn.
    using Ready = std::function<void(const QByteArray &png)>;
    enum class Outcome {
        Kept,   // unchanged since it was drawn: ready has been called already
        Queued, // ready is called once it is drawn
        Busy,   // the queue is full: nothing will be called
    };
    // key is the picture's PictureKey; prepare makes its job (the copy of
    // its data) and is called only when the picture must be drawn.
    Outcome Request(const QByteArray &key, const std::function<PictureJob()> &prepare, Ready ready);

    // Pictures queued or being drawn.
    int PicturesWaiting() const { return static_cast<int>(m_waiting.size()); }
    qint64 PicturesDrawn() const { return m_drawn; }
    qint64 PicturesRefused() const { return m_refused; }

private:
    struct Task {
        QByteArray key;
        PictureJob job;
    };
    void Run();
    void Finished(const QByteArray &key, const QByteArray &png);

    const WebLimits m_limits;
    // On the loop: the pictures queued or being drawn, and who waits for each.
    QHash<QByteArray, std::vector<Ready>> m_waiting;
    QCache<QByteArray, QByteArray> m_kept;
    qint64 m_drawn = 0;
    qint64 m_refused = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace vantor
