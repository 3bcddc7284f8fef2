#include "analyzer_link.h"

#include "device_library.h"
#include "serial_port_path.h"

#include <QLoggingCategory>
#include <QTcpSocket>

#include <utility>

namespace vantor {

namespace {

// Link failures are routine (an analyzer switched off is retried every few
// seconds), so they are only told when asked for with
// QT_LOGGING_RULES="vantor.device.info=true"; lost data is always told.
Q_LOGGING_CATEGORY(lcDevice, "vantor.device", QtWarningMsg)

} // namespace

AnalyzerLink::AnalyzerLink(QString dataFolder, QObject *parent)
    : QObject(parent), m_dataFolder(std::move(dataFolder))
{}

AnalyzerLink::~AnalyzerLink()
{
    discardConnection();
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
    discardConnection();
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
    m_tcp = std::make_unique<QTcpSocket>();
    connect(m_tcp.get(), &QTcpSocket::readyRead, this, &AnalyzerLink::readIncoming);
    connect(m_tcp.get(), &QTcpSocket::disconnected, this, &AnalyzerLink::onTcpDisconnected);
    connect(m_tcp.get(), &QTcpSocket::errorOccurred, this,
            [this] { qCInfo(lcDevice) << m_endpoint << m_tcp->errorString(); });
    m_tcp->connectToHost(m_host, static_cast<quint16>(m_portOrSpeed));
}

void AnalyzerLink::openSerial()
{
    if (m_comPort < 1 || m_comPort > 255) {
        m_endpoint = QStringLiteral("COM%1").arg(m_comPort);
        qCInfo(lcDevice) << "no such serial port:" << m_endpoint;
        return;
    }
    m_endpoint = serialPortPath(m_dataFolder, m_comPort);
    m_serial = std::make_unique<QSerialPort>();
    m_serial->setPortName(m_endpoint);
    m_serial->setBaudRate(m_portOrSpeed > 0 ? m_portOrSpeed : DefaultSerialSpeed);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    connect(m_serial.get(), &QSerialPort::readyRead, this, &AnalyzerLink::readIncoming);
    connect(m_serial.get(), &QSerialPort::errorOccurred, this, &AnalyzerLink::onSerialError);
    m_serial->open(QIODevice::ReadWrite);
}

void AnalyzerLink::discardConnection()
{
    // Signals of a connection being torn down must not reach this slot any more.
    if (m_tcp) {
        m_tcp->disconnect(this);
        m_tcp.reset();
    }
    if (m_serial) {
        m_serial->disconnect(this);
        m_serial.reset();
    }
}

bool AnalyzerLink::isUp() const
{
    if (m_tcp)
        return m_tcp->state() == QAbstractSocket::ConnectedState;
    if (m_serial)
        return m_serial->isOpen();
    return false;
}

void AnalyzerLink::close()
{
    // flush() hands the commands still buffered (the stop commands sent at
    // shut-down) to the system without waiting, so they are not lost when
    // the program ends right after this.
    if (m_tcp) {
        m_tcp->flush();
        m_tcp->disconnectFromHost();
    }
    if (m_serial && m_serial->isOpen()) {
        m_serial->flush();
        m_serial->close();
    }
    m_responses.dropPartialLine();
}

void AnalyzerLink::write(const QString &command)
{
    if (!isUp())
        return;
    QByteArray bytes = command.left(MaxCommandLength).toLatin1();
    bytes.append('\r');
    QIODevice *device = m_tcp ? static_cast<QIODevice *>(m_tcp.get()) : m_serial.get();
    if (device->write(bytes) != bytes.size())
        qCInfo(lcDevice) << m_endpoint << "write failed:" << device->errorString();
}

void AnalyzerLink::readIncoming()
{
    QIODevice *device = m_tcp ? static_cast<QIODevice *>(m_tcp.get()) : m_serial.get();
    const std::uint64_t cutBefore = m_responses.cutLines();
    const std::uint64_t droppedBefore = m_responses.droppedResponses();
    m_responses.feed(device->readAll());
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
    emit dataLost(text);
    // Once per connection here: a device that babbles would flood the output.
    if (!std::exchange(toldOnStderr, true))
        qCWarning(lcDevice).noquote() << m_endpoint << text;
}

void AnalyzerLink::onTcpDisconnected()
{
    // What arrived before the close was delivered by readyRead already.
    m_responses.dropPartialLine();
    qCInfo(lcDevice) << m_endpoint << "closed";
}

void AnalyzerLink::onSerialError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
        error == QSerialPort::NotOpenError)
        return;
    qCInfo(lcDevice) << m_endpoint << m_serial->errorString();
    // A port that reports trouble (unplugged adapter, vanished pty) is taken
    // as down; the engine reconnects it.
    if (m_serial->isOpen()) {
        m_serial->close();
        m_responses.dropPartialLine();
    }
}

} // namespace vantor
