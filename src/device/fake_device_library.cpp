#include "fake_device_library.h"

#include "number_text.h"

namespace vantor
{

void FakeDeviceLibrary::record(const QString &function, QStringList args)
{
    calls_.push_back({selected_, function, std::move(args)});
}

int FakeDeviceLibrary::AddDevice()
{
    record(QStringLiteral("AddDevice"));
    return deviceCount_++;
}

void FakeDeviceLibrary::SetDevice(int handle)
{
    selected_ = handle;
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
    if (connectSucceeds_ && selectedKnown())
        connected_[selected_] = true;
}

bool FakeDeviceLibrary::Connected()
{
    record(QStringLiteral("Connected"));
    return selectedKnown() && connected_[selected_];
}

void FakeDeviceLibrary::Disconnect()
{
    record(QStringLiteral("Disconnect"));
    if (selectedKnown())
        connected_[selected_] = false;
}

void FakeDeviceLibrary::WriteCommand(const QString &command)
{
    record(QStringLiteral("WriteCommand"), {command});
}

int FakeDeviceLibrary::ReadBufferLength()
{
    record(QStringLiteral("ReadBufferLength"));
    return selectedKnown() ? static_cast<int>(responses_[selected_].size()) : 0;
}

QString FakeDeviceLibrary::ReadResponse()
{
    record(QStringLiteral("ReadResponse"));
    if (!selectedKnown() || responses_[selected_].empty())
        return {};
    QString oldest = responses_[selected_].front();
    responses_[selected_].pop_front();
    return oldest;
}

void FakeDeviceLibrary::ClearValues()
{
    record(QStringLiteral("ClearValues"));
    if (selectedKnown())
        responses_[selected_].clear();
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
    for (const Call &call : calls_)
        if (call.function == function)
            matching.push_back(call);
    return matching;
}

QStringList FakeDeviceLibrary::commands(int handle) const
{
    QStringList written;
    for (const Call &call : calls_)
        if (call.function == QLatin1String("WriteCommand") && call.handle == handle)
            written.append(call.args.first());
    return written;
}

void FakeDeviceLibrary::setConnected(int handle, bool connected)
{
    connected_[handle] = connected;
}

void FakeDeviceLibrary::pushResponse(int handle, const QString &response)
{
    responses_[handle].push_back(response);
}

void FakeDeviceLibrary::warn(int handle, const QString &text)
{
    if (warningHandler_)
        warningHandler_(handle, text);
}

} // namespace vantor
