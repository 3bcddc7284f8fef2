#include "link_library.h"

#include "number_text.h"

#include <algorithm>

namespace vantor {

namespace {
// How soon commands the system could not take yet are offered again.
constexpr int RetryFlushMs = 20;
} // namespace

AnalyzerLinkLibrary::AnalyzerLinkLibrary(QString dataFolder) : m_dataFolder(std::move(dataFolder))
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    QObject::connect(&m_flushTimer, &QTimer::timeout, [this] { flushOutput(); });
}

AnalyzerLinkLibrary::~AnalyzerLinkLibrary() = default;

int AnalyzerLinkLibrary::AddDevice()
{
    m_links.push_back(std::make_unique<AnalyzerLink>(m_dataFolder, &m_poller));
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
    AnalyzerLink *link = selected();
    return link && link->isUp();
}

void AnalyzerLinkLibrary::Disconnect()
{
    if (AnalyzerLink *link = selected())
        link->close();
}

void AnalyzerLinkLibrary::WriteCommand(const QString &command)
{
    AnalyzerLink *link = selected();
    if (!link || !link->write(command))
        return;
    if (std::find(m_writing.begin(), m_writing.end(), link) == m_writing.end())
        m_writing.push_back(link);
    m_flushTimer.start(0);
}

void AnalyzerLinkLibrary::flushOutput()
{
    // A link whose system buffer is full keeps the rest for the next round.
    std::erase_if(m_writing, [](AnalyzerLink *link) { return !link->flushOutput(); });
    if (!m_writing.empty())
        m_flushTimer.start(RetryFlushMs);
}

int AnalyzerLinkLibrary::ReadBufferLength()
{
    AnalyzerLink *link = selected();
    return link ? static_cast<int>(link->responses().count()) : 0;
}

QString AnalyzerLinkLibrary::ReadResponse()
{
    return ReadResponseView();
}

QLatin1StringView AnalyzerLinkLibrary::ReadResponseView()
{
    AnalyzerLink *link = selected();
    return link ? link->responses().take() : QLatin1StringView();
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
