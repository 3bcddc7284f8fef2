#include "link_library.h"

#include "number_text.h"

namespace vantor
{

AnalyzerLinkLibrary::AnalyzerLinkLibrary(QString dataFolder) : dataFolder_(std::move(dataFolder)) {}

AnalyzerLinkLibrary::~AnalyzerLinkLibrary() = default;

int AnalyzerLinkLibrary::AddDevice()
{
    links_.push_back(std::make_unique<AnalyzerLink>(dataFolder_));
    const int handle = static_cast<int>(links_.size()) - 1;
    QObject::connect(links_.back().get(), &AnalyzerLink::dataLost,
                     [this, handle](const QString &text) {
                         if (warningHandler_)
                             warningHandler_(handle, text);
                     });
    return handle;
}

void AnalyzerLinkLibrary::SetDevice(int handle)
{
    selected_ = handle;
}

AnalyzerLink *AnalyzerLinkLibrary::selected() const
{
    if (selected_ < 0 || selected_ >= static_cast<int>(links_.size()))
        return nullptr;
    return links_[static_cast<std::size_t>(selected_)].get();
}

void AnalyzerLinkLibrary::ConnectionSetup(int kind, int comPort, const QString &host,
                                          int portOrSpeed)
{
    if (AnalyzerLink *link = selected())
        link->setup(kind, comPort, host, portOrSpeed);
}

void AnalyzerLinkLibrary::Connect()
{
    if (AnalyzerLink *link = selected())
        link->open();
}

bool AnalyzerLinkLibrary::Connected()
{
    const AnalyzerLink *link = selected();
    return link && link->isUp();
}

void AnalyzerLinkLibrary::Disconnect()
{
    if (AnalyzerLink *link = selected())
        link->close();
}

void AnalyzerLinkLibrary::WriteCommand(const QString &command)
{
    if (AnalyzerLink *link = selected())
        link->write(command);
}

int AnalyzerLinkLibrary::ReadBufferLength()
{
    AnalyzerLink *link = selected();
    return link ? static_cast<int>(link->responses().count()) : 0;
}

QString AnalyzerLinkLibrary::ReadResponse()
{
    AnalyzerLink *link = selected();
    return link ? link->responses().take() : QString();
}

void AnalyzerLinkLibrary::ClearValues()
{
    if (AnalyzerLink *link = selected())
        link->responses().clear();
}

double AnalyzerLinkLibrary::PCharToFloat(const QString &text)
{
    return leadingNumberOrThrow(text);
}

QString AnalyzerLinkLibrary::Version()
{
    return QStringLiteral("Vantor link library 1.0");
}

void AnalyzerLinkLibrary::SetTCPReconnectTimeout(int seconds)
{
    tcpReconnectTimeout_ = seconds;
}

void AnalyzerLinkLibrary::SetWarningHandler(WarningHandler handler)
{
    warningHandler_ = std::move(handler);
}

} // namespace vantor
