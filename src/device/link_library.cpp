#include "link_library.h"

#include "number_text.h"

namespace vantor {

AnalyzerLinkLibrary::AnalyzerLinkLibrary(QString dataFolder) : m_dataFolder(std::move(dataFolder))
{}

AnalyzerLinkLibrary::~AnalyzerLinkLibrary() = default;

int AnalyzerLinkLibrary::AddDevice()
{
    m_links.push_back(std::make_unique<AnalyzerLink>(m_dataFolder));
    const int handle = static_cast<int>(m_links.size()) - 1;
    QObject::connect(m_links.back().get(), &AnalyzerLink::dataLost,
                     [this, handle](const QString &text) {
                         if (m_warningHandler)
                             m_warningHandler(handle, text);
                     });
    return handle;
}

void AnalyzerLinkLibrary::SetDevice(int handle)
{
    m_selected = handle;
}

AnalyzerLink *AnalyzerLinkLibrary::selected() const
{
    if (m_selected < 0 || m_selected >= static_cast<int>(m_links.size()))
        return nullptr;
    return m_links[static_cast<std::size_t>(m_selected)].get();
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
    m_tcpReconnectTimeout = seconds;
}

void AnalyzerLinkLibrary::SetWarningHandler(WarningHandler handler)
{
    m_warningHandler = std::move(handler);
}

} // namespace vantor
