// The RDS output towards external decoders: the TCP server following the
// settings, the frames, and the launch of the decoder program.
#include "decoder_launch.h"
#include "engine.h"
#include "rds_output_update.h"
#include "rds_socket_errors.h"

#include <QThread>
#include <QTimer>

namespace vantor {

namespace {
constexpr int AnnouncePauseMs = 300;
constexpr int ExitPauseMs = 200;
} // namespace

void Engine::UpdateRdsOutput(bool autoStart)
{
    const RdsOutputSettings settings{m_prefs.Flag(QStringLiteral("RDSTCPOutput")),
                                     m_prefs.Integer(QStringLiteral("RDSTCPPort")),
                                     m_prefs.Flag(QStringLiteral("RDSLumexAuto")),
                                     m_prefs.Integer(QStringLiteral("RDSLumexDevice"))};
    const RdsOutputFollowUp next = ApplyRdsOutputSettings(m_rdsServer, settings, autoStart, G);
    if (next.announce)
        AddToActivityLog(-1, RdsOutputAvailableLine(G.RdsOutputPort));
    if (!next.launchDecoder)
        return;
    if (!next.announce) {
        LaunchDecoder(true);
        return;
    }
    // The decoder gets a moment to find the port before it is started; the
    // event loop, and with it every device and window, runs on meanwhile.
    QTimer::singleShot(AnnouncePauseMs, this,
                       [this] { RunGuarded([this] { LaunchDecoder(true); }); });
}

void Engine::SendToRDSLumex(const QString &payload)
{
    if (m_prefs.Flag(QStringLiteral("RDSTCPOutput")) && RDSLumexRunning())
        m_rdsServer.Send(payload);
}

bool Engine::RDSLumexRunning() const
{
    return m_rdsServer.RDSLumexRunning();
}

void Engine::LaunchDecoder(bool startUp)
{
    const QString path = m_prefs.Text(QStringLiteral("RDSLumexPath"));
    switch (
        CheckDecoderLaunch(m_prefs.Flag(QStringLiteral("RDSTCPOutput")), path, RDSLumexRunning())) {
    case DecoderLaunchCheck::OutputOff:
        ShowMessage(DecoderOutputOffMessage());
        return;
    case DecoderLaunchCheck::FileMissing:
        AddToActivityLog(-1, DecoderMissingLine(path));
        return;
    case DecoderLaunchCheck::AlreadyRunning:
        if (!m_view.Confirm(DecoderAnotherInstanceQuestion()))
            return;
        break;
    case DecoderLaunchCheck::Clear:
        break;
    }
    G.RdsOutputDevice = DecoderLaunchDevice(
        startUp, m_prefs.Integer(QStringLiteral("RDSLumexDevice")), m_view.SelectedDevice());
    if (!StartDecoder(path, m_prefs.Integer(QStringLiteral("RDSTCPPort"))))
        AddToActivityLog(-1, DecoderNotStartedLine(path));
}

void Engine::CloseRdsOutput()
{
    if (!RDSLumexRunning())
        return;
    SendToRDSLumex(QStringLiteral("EXIT------------"));
    QThread::msleep(ExitPauseMs);
}

void Engine::OnRdsOutputError(const QString &text)
{
    AddToActivityLog(-1, RdsOutputErrorLine(text));
}

} // namespace vantor
