#include "service_notify.h"

#include "engine.h"
#include "service_status.h"

#include <systemd/sd-daemon.h>

#include <climits>
#include <cstdio>
#include <cstring>

namespace vantor {

namespace {
// A service manager reading the status line needs no more than this.
constexpr int StatusIntervalMs = 1000;
} // namespace

ServiceNotifier::ServiceNotifier(const Engine &engine, QObject *parent)
    : QObject(parent), m_engine(engine), m_managed(qEnvironmentVariableIsSet("NOTIFY_SOCKET"))
{
    connect(&m_watchdog, &QTimer::timeout, this, [this] { send("WATCHDOG=1"); });
    connect(&m_status, &QTimer::timeout, this, &ServiceNotifier::updateStatus);
}

void ServiceNotifier::ready()
{
    if (!m_managed)
        return;
    m_lastStatus = ServiceStatusLine(m_engine.DeviceTable());
    send("READY=1\nSTATUS=" + m_lastStatus.toUtf8());
    m_status.start(StatusIntervalMs);
    // The timer runs on the engine's own event loop: when a tick hangs, the
    // pings stop and systemd restarts the station. Pinging at half the
    // interval leaves a late tick room before the deadline.
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0)
        m_watchdog.start(static_cast<int>(qBound<uint64_t>(1, usec / 2000, INT_MAX)));
}

void ServiceNotifier::stopping()
{
    if (!m_managed)
        return;
    m_status.stop();
    send("STOPPING=1\nSTATUS=Shutting down");
}

void ServiceNotifier::updateStatus()
{
    const QString status = ServiceStatusLine(m_engine.DeviceTable());
    if (status == m_lastStatus)
        return;
    m_lastStatus = status;
    send("STATUS=" + status.toUtf8());
}

void ServiceNotifier::send(const QByteArray &state)
{
    const int result = sd_notify(0, state.constData());
    // Standard error reaches the journal; once is enough to explain a
    // watchdog restart.
    if (result < 0 && !m_failureReported) {
        m_failureReported = true;
        std::fprintf(stderr, "vantor: cannot notify the service manager: %s\n",
                     std::strerror(-result));
    }
}

} // namespace vantor
