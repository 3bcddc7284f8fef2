#include "analyzer_link.h"

#include "device_library.h"
#include "serial_port_path.h"

#include <QLoggingCategory>
#include <QTcpSocket>

#include <utility>

namespace vantor
{

namespace
{

// Link failures are routine (an analyzer switched off is retried every few
// seconds), so they are only told when asked for with
// QT_LOGGING_RULES="vantor.device.info=true"; lost data is always told.
Q_LOGGING_CATEGORY(lcDevice, "vantor.device", QtWarningMsg)

} // namespace

AnalyzerLink::AnalyzerLink(QString dataFolder, QObject *parent)
    : QObject(parent), dataFolder_(std::move(dataFolder))
{
}

AnalyzerLink::~AnalyzerLink()
{
    discardConnection();
}

void AnalyzerLink::setup(int kind, int comPort, const QString &host, int portOrSpeed)
{
    kind_ = kind;
    comPort_ = comPort;
    host_ = host;
    portOrSpeed_ = portOrSpeed;
}

void AnalyzerLink::open()
{
    discardConnection();
    // A line begun on the old connection can never be completed.
    responses_.dropPartialLine();
    cutReported_ = false;
    dropReported_ = false;
    if (kind_ == DeviceLibrary::Tcp)
        openTcp();
    else if (kind_ == DeviceLibrary::Serial)
        openSerial();
    else
        qCInfo(lcDevice) << "no connection prepared";
}

void AnalyzerLink::openTcp()
{
    endpoint_ = host_ + QLatin1Char(':') + QString::number(portOrSpeed_);
    if (host_.isEmpty() || portOrSpeed_ < 1 || portOrSpeed_ > 65535) {
        qCInfo(lcDevice) << "cannot connect to" << endpoint_;
        return;
    }
    tcp_ = std::make_unique<QTcpSocket>();
    connect(tcp_.get(), &QTcpSocket::readyRead, this, &AnalyzerLink::readIncoming);
    connect(tcp_.get(), &QTcpSocket::disconnected, this, &AnalyzerLink::onTcpDisconnected);
    connect(tcp_.get(), &QTcpSocket::errorOccurred, this,
            [this] { qCInfo(lcDevice) << endpoint_ << tcp_->errorString(); });
    tcp_->connectToHost(host_, static_cast<quint16>(portOrSpeed_));
}

void AnalyzerLink::openSerial()
{
    if (comPort_ < 1 || comPort_ > 255) {
        endpoint_ = QStringLiteral("COM%1").arg(comPort_);
        qCInfo(lcDevice) << "no such serial port:" << endpoint_;
        return;
    }
    endpoint_ = serialPortPath(dataFolder_, comPort_);
    serial_ = std::make_unique<QSerialPort>();
    serial_->setPortName(endpoint_);
    serial_->setBaudRate(portOrSpeed_ > 0 ? portOrSpeed_ : DefaultSerialSpeed);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    connect(serial_.get(), &QSerialPort::readyRead, this, &AnalyzerLink::readIncoming);
    connect(serial_.get(), &QSerialPort::errorOccurred, this, &AnalyzerLink::onSerialError);
    serial_->open(QIODevice::ReadWrite);
}

void AnalyzerLink::discardConnection()
{
    // Signals of a connection being torn down must not reach this slot any more.
    if (tcp_) {
        tcp_->disconnect(this);
        tcp_.reset();
    }
    if (serial_) {
        serial_->disconnect(this);
        serial_.reset();
    }
}

bool AnalyzerLink::isUp() const
{
    if (tcp_)
        return tcp_->state() == QAbstractSocket::ConnectedState;
    if (serial_)
        return serial_->isOpen();
    return false;
}

void AnalyzerLink::close()
{
    // flush() hands the commands still buffered (the stop commands sent at
    // shut-down) to the system without waiting, so they are not lost when
    // the program ends right after this.
    if (tcp_) {
        tcp_->flush();
        tcp_->disconnectFromHost();
    }
    if (serial_ && serial_->isOpen()) {
        serial_->flush();
        serial_->close();
    }
    responses_.dropPartialLine();
}

void AnalyzerLink::write(const QString &command)
{
    if (!isUp())
        return;
    QByteArray bytes = command.left(MaxCommandLength).toLatin1();
    bytes.append('\r');
    QIODevice *device = tcp_ ? static_cast<QIODevice *>(tcp_.get()) : serial_.get();
    if (device->write(bytes) != bytes.size())
        qCInfo(lcDevice) << endpoint_ << "write failed:" << device->errorString();
}

void AnalyzerLink::readIncoming()
{
    QIODevice *device = tcp_ ? static_cast<QIODevice *>(tcp_.get()) : serial_.get();
    const std::uint64_t cutBefore = responses_.cutLines();
    const std::uint64_t droppedBefore = responses_.droppedResponses();
    responses_.feed(device->readAll());
    if (responses_.cutLines() != cutBefore)
        reportLoss(QStringLiteral("The device sent a line longer than %1 bytes; the rest was "
                                  "dropped")
                       .arg(ResponseBuffer::MaxResponseLength),
                   cutReported_);
    if (responses_.droppedResponses() != droppedBefore)
        reportLoss(QStringLiteral("The device sends faster than it is read; the oldest "
                                  "responses were dropped"),
                   dropReported_);
}

void AnalyzerLink::reportLoss(const QString &text, bool &toldOnStderr)
{
    emit dataLost(text);
    // Once per connection here: a device that babbles would flood the output.
    if (!std::exchange(toldOnStderr, true))
        qCWarning(lcDevice).noquote() << endpoint_ << text;
}

void AnalyzerLink::onTcpDisconnected()
{
    // What arrived before the close was delivered by readyRead already.
    responses_.dropPartialLine();
    qCInfo(lcDevice) << endpoint_ << "closed";
}

void AnalyzerLink::onSerialError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
        error == QSerialPort::NotOpenError)
        return;
    qCInfo(lcDevice) << endpoint_ << serial_->errorString();
    // A port that reports trouble (unplugged adapter, vanished pty) is taken
    // as down; the engine reconnects it.
    if (serial_->isOpen()) {
        serial_->close();
        responses_.dropPartialLine();
    }
}

} // namespace vantor
