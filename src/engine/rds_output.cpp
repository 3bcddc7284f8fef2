// The RDS output towards external decoders: the TCP server following the
// settings, the frames, and the launch of the decoder program.
#include "decoder_launch.h"
#include "engine.h"
#include "rds_output_update.h"
#include "rds_socket_errors.h"

#include <QTimer>

namespace vantor {

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
    // The port gets a moment between its announcement and the decoder's start;
    // the station runs on meanwhile.
    constexpr int AnnouncePauseMs = 300;
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
    if (RDSLumexRunning())
        SendToRDSLumex(QStringLiteral("EXIT------------"));
}

void Engine::OnRdsOutputError(const QString &text)
{
    AddToActivityLog(-1, RdsOutputErrorLine(text));
}

void Engine::OnRdsClientRejected(const QString &text)
{
    // Whoever keeps knocking gets one line a minute, not one per attempt.
    if (m_rdsRejections.Allow(0, m_clock.utcMilliseconds()))
        AddToActivityLog(-1, RdsOutputErrorLine(text));
}

} // namespace vantor
