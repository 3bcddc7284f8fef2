#include "analyzer_link.h"

#include "device_library.h"
#include "serial_port_path.h"

#include <QHostInfo>
#include <QLoggingCategory>

#include <utility>

namespace vantor {

namespace {

// Link failures are routine (an analyzer switched off is retried every few
// seconds), so they are only told when asked for with
// QT_LOGGING_RULES="vantor.device.info=true"; lost data is always told.
Q_LOGGING_CATEGORY(lcDevice, "vantor.device", QtWarningMsg)

} // namespace

AnalyzerLink::AnalyzerLink(QString dataFolder, LinkPoller *poller, QObject *parent)
    : QObject(parent), m_dataFolder(std::move(dataFolder))
{
    m_link.watchWith(poller, this);
}

AnalyzerLink::~AnalyzerLink()
{
    abortLookup();
}

void AnalyzerLink::setup(int kind, int comPort, const QString &host, int portOrSpeed)
{
    m_kind = kind;
    m_comPort = comPort;
    m_host = host;
    m_portOrSpeed = portOrSpeed;
}

void AnalyzerLink::open()
{
    abortLookup();
    m_link.close();
    // A line begun on the old connection can never be completed.
    m_responses.dropPartialLine();
    m_cutReported = false;
    m_dropReported = false;
    if (m_kind == DeviceLibrary::Tcp)
        openTcp();
    else if (m_kind == DeviceLibrary::Serial)
        openSerial();
    else
        qCInfo(lcDevice) << "no connection prepared";
}

void AnalyzerLink::openTcp()
{
    m_endpoint = m_host + QLatin1Char(':') + QString::number(m_portOrSpeed);
    if (m_host.isEmpty() || m_portOrSpeed < 1 || m_portOrSpeed > 65535) {
        qCInfo(lcDevice) << "cannot connect to" << m_endpoint;
        return;
    }
    if (QHostAddress address; address.setAddress(m_host)) {
        m_addresses = {address};
        connectNextAddress();
        return;
    }
    m_lookupId = QHostInfo::lookupHost(m_host, this, [this](const QHostInfo &info) {
        if (info.lookupId() != m_lookupId)
            return;
        m_lookupId = -1;
        m_addresses = info.addresses();
        if (m_addresses.isEmpty())
            qCInfo(lcDevice) << m_endpoint << info.errorString();
        connectNextAddress();
    });
}

void AnalyzerLink::connectNextAddress()
{
    while (!m_addresses.isEmpty() && m_link.current() == LinkDescriptor::State::Closed) {
        QString error;
        m_link.connectTcp(m_addresses.takeFirst(), static_cast<quint16>(m_portOrSpeed), &error);
        if (!error.isEmpty())
            qCInfo(lcDevice) << m_endpoint << error;
    }
}

void AnalyzerLink::openSerial()
{
    if (m_comPort < 1 || m_comPort > 255) {
        m_endpoint = QStringLiteral("COM%1").arg(m_comPort);
        qCInfo(lcDevice) << "no such serial port:" << m_endpoint;
        return;
    }
    m_endpoint = serialPortPath(m_dataFolder, m_comPort);
    QString error;
    m_link.openSerial(m_endpoint, m_portOrSpeed > 0 ? m_portOrSpeed : DefaultSerialSpeed, &error);
    if (!error.isEmpty())
        qCInfo(lcDevice) << m_endpoint << error;
}

void AnalyzerLink::abortLookup()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(std::exchange(m_lookupId, -1));
}

void AnalyzerLink::linkFailed(const QString &error)
{
    qCInfo(lcDevice) << m_endpoint << error;
    // What arrived before the end was read already; an unfinished line never
    // will be.
    m_responses.dropPartialLine();
    // A connection refused at one address of the host may be taken at the next.
    connectNextAddress();
}

bool AnalyzerLink::isUp()
{
    QString error;
    if (m_link.state(&error) == LinkDescriptor::State::Closed && !error.isEmpty())
        linkFailed(error);
    return m_link.current() == LinkDescriptor::State::Open;
}

void AnalyzerLink::close()
{
    abortLookup();
    m_addresses.clear();
    m_link.close();
    m_responses.dropPartialLine();
}

bool AnalyzerLink::write(const QString &command)
{
    QString error;
    if (m_link.state(&error) != LinkDescriptor::State::Open) {
        if (!error.isEmpty())
            linkFailed(error);
        return false;
    }
    m_link.queue(command.left(MaxCommandLength).toLatin1() + '\r');
    return true;
}

bool AnalyzerLink::flushOutput()
{
    QString error;
    const bool waiting = m_link.flush(&error);
    if (!error.isEmpty())
        linkFailed(error);
    return waiting;
}

void AnalyzerLink::receive()
{
    const bool connecting = m_link.current() == LinkDescriptor::State::Connecting;
    QString error;
    const std::uint64_t cutBefore = m_responses.cutLines();
    const std::uint64_t droppedBefore = m_responses.droppedResponses();
    m_link.receive(m_responses, &error);
    if (!error.isEmpty()) {
        linkFailed(error);
    } else if (connecting && m_link.current() == LinkDescriptor::State::Open) {
        m_addresses.clear();
    }
    if (m_responses.cutLines() != cutBefore)
        reportLoss(QStringLiteral("The device sent a line longer than %1 bytes; the rest was "
                                  "dropped")
                       .arg(ResponseBuffer::MaxResponseLength),
                   m_cutReported);
    if (m_responses.droppedResponses() != droppedBefore)
        reportLoss(QStringLiteral("The device sends faster than it is read; the oldest "
                                  "responses were dropped"),
                   m_dropReported);
}

void AnalyzerLink::reportLoss(const QString &text, bool &toldOnStderr)
{
    // The callers read responses in the middle of their own work; they hear
    // of the loss once that is done.
    QMetaObject::invokeMethod(
        this, [this, text] { emit dataLost(text); }, Qt::QueuedConnection);
    // Once per connection here: a device that babbles would flood the output.
    if (!std::exchange(toldOnStderr, true))
        qCWarning(lcDevice).noquote() << m_endpoint << text;
}

} // namespace vantor
