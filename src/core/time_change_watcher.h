// Tells when the system clock is set (by an operator, NTP stepping, a
// daylight-saving fix on some systems), as opposed to running on normally.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace vantor {

class TimeChangeWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TimeChangeWatcher(QObject *parent = nullptr);
    ~TimeChangeWatcher() override;
    // False where the platform gives no such notice.
    bool isActive() const { return m_fd >= 0; }

signals:
    void timeChanged();

private:
    void arm();
    void onActivated();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace vantor
