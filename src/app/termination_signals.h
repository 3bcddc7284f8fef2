// Turns SIGINT and SIGTERM into a Qt signal on the event loop, so that a
// service manager's stop runs the normal shut-down.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace vantor {

class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace vantor
