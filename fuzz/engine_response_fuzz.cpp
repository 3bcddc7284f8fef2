// The engine's receive tick on what a hostile receiver sends: the input is the
// byte stream of the device's link, cut into responses the way the link cuts
// it, and handed to the engine over a few receive ticks. The first byte
// chooses whether the device is listening (not quiet) and how many responses
// each tick reads.
#include "fuzz_station.h"
#include "response_buffer.h"

#include <cstdint>
#include <cstdlib>

using namespace vantor;
using namespace vantor::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    FuzzStation &station = FuzzStation::Instance();
    station.Reset();
    TDevice &d = Tables(station.engine).Devices[0];
    const bool quiet = data[0] & 1;
    d.StationActive = !quiet;
    const int perTick = (data[0] >> 1) + 1;

    ResponseBuffer buffer;
    buffer.feed(
        QByteArray(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1)));
    while (buffer.count() > 0) {
        for (int k = 0; k < perTick && buffer.count() > 0; ++k)
            station.library.pushResponse(d.Handle, buffer.take());
        station.clock.advanceMs(200);
        station.engine.TimerReceiveTimer();
    }
    station.clock.advanceMs(200);
    station.engine.TimerReceiveTimer();
    if (station.library.ReadBufferLength() != 0)
        std::abort();
    if (d.HistoryCount < 0 || d.HistoryCount > static_cast<int>(d.History.size()))
        std::abort();
    return 0;
}
