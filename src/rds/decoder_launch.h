// Starting the external RDS decoder: the checks that come before a launch, the
// texts they show, log or ask, and the start itself with the decoder told
// where to connect.
#pragma once

#include <QString>

namespace vantor {

// The first check of a launch that stops or questions it.
enum class DecoderLaunchCheck {
    OutputOff,      // error box DecoderOutputOffMessage(), no launch
    FileMissing,    // application log DecoderMissingLine(path), no launch
    AlreadyRunning, // ask DecoderAnotherInstanceQuestion(); launch only on Yes
    Clear,          // launch
};

DecoderLaunchCheck CheckDecoderLaunch(bool outputOn, const QString &path, bool decoderRunning);

QString DecoderOutputOffMessage();
QString DecoderMissingLine(const QString &path);
QString DecoderAnotherInstanceQuestion();

// The device whose groups go out after a launch: the configured monitoring
// device for the start-up launch, the device chosen in the main window for a
// launch by hand.
int DecoderLaunchDevice(bool startUp, int monitoringDevice, int selectedDevice);

// The decoder's command line: where on this machine to fetch the stream.
QString DecoderParameters(int port);

// Starts the program at path in its own folder with DecoderParameters(port);
// false when it could not be started.
bool StartDecoder(const QString &path, int port);

// The application log line for a decoder that could not be started.
QString DecoderNotStartedLine(const QString &path);

} // namespace vantor
