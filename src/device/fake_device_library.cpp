#include "fake_device_library.h"

#include "number_text.h"

namespace vantor {

void FakeDeviceLibrary::record(const QString &function, QStringList args)
{
    m_calls.push_back({m_selected, function, std::move(args)});
}

int FakeDeviceLibrary::AddDevice()
{
    record(QStringLiteral("AddDevice"));
    return m_deviceCount++;
}

void FakeDeviceLibrary::SetDevice(int handle)
{
    m_selected = handle;
    record(QStringLiteral("SetDevice"), {QString::number(handle)});
}

void FakeDeviceLibrary::ConnectionSetup(int kind, int comPort, const QString &host, int portOrSpeed)
{
    record(QStringLiteral("ConnectionSetup"),
           {QString::number(kind), QString::number(comPort), host, QString::number(portOrSpeed)});
}

void FakeDeviceLibrary::Connect()
{
    record(QStringLiteral("Connect"));
    if (m_connectSucceeds && selectedKnown())
        m_connected[m_selected] = true;
}

bool FakeDeviceLibrary::Connected()
{
    record(QStringLiteral("Connected"));
    return selectedKnown() && m_connected[m_selected];
}

void FakeDeviceLibrary::Disconnect()
{
    record(QStringLiteral("Disconnect"));
    if (selectedKnown())
        m_connected[m_selected] = false;
}

void FakeDeviceLibrary::WriteCommand(const QString &command)
{
    record(QStringLiteral("WriteCommand"), {command});
}

int FakeDeviceLibrary::ReadBufferLength()
{
    record(QStringLiteral("ReadBufferLength"));
    return selectedKnown() ? static_cast<int>(m_responses[m_selected].size()) : 0;
}

QString FakeDeviceLibrary::ReadResponse()
{
    record(QStringLiteral("ReadResponse"));
    if (!selectedKnown() || m_responses[m_selected].empty())
        return {};
    QString oldest = m_responses[m_selected].front();
    m_responses[m_selected].pop_front();
    return oldest;
}

void FakeDeviceLibrary::ClearValues()
{
    record(QStringLiteral("ClearValues"));
    if (selectedKnown())
        m_responses[m_selected].clear();
}

double FakeDeviceLibrary::PCharToFloat(const QString &text)
{
    record(QStringLiteral("PCharToFloat"), {text});
    return leadingNumberOrThrow(text);
}

QString FakeDeviceLibrary::Version()
{
    record(QStringLiteral("Version"));
    return QStringLiteral("Fake link library 1.0");
}

void FakeDeviceLibrary::SetTCPReconnectTimeout(int seconds)
{
    record(QStringLiteral("SetTCPReconnectTimeout"), {QString::number(seconds)});
}

std::vector<FakeDeviceLibrary::Call> FakeDeviceLibrary::calls(const QString &function) const
{
    std::vector<Call> matching;
    for (const Call &call : m_calls)
        if (call.function == function)
            matching.push_back(call);
    return matching;
}

QStringList FakeDeviceLibrary::commands(int handle) const
{
    QStringList written;
    for (const Call &call : m_calls)
        if (call.function == QLatin1String("WriteCommand") && call.handle == handle)
            written.append(call.args.first());
    return written;
}

void FakeDeviceLibrary::setConnected(int handle, bool connected)
{
    m_connected[handle] = connected;
}

void FakeDeviceLibrary::pushResponse(int handle, const QString &response)
{
    m_responses[handle].push_back(response);
}

void FakeDeviceLibrary::warn(int handle, const QString &text)
{
    if (m_warningHandler)
        m_warningHandler(handle, text);
}

} // namespace vantor
