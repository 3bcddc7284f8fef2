// Heap held for device histories: devices that never measure, and one device
// measuring until its history is full (the receive tick adds a record a
// second). Prints bytes per device and the ratio to the history's own bytes.
// Run by hand; not a timing benchmark.
#include "fuzz_station.h"

#include <malloc.h>

#include <cstdio>
#include <vector>

using namespace vantor;

namespace {

constexpr int IdleDevices = 1000;
constexpr int FullHistory = 18000;

// Small blocks and the large ones the allocator maps on their own.
std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Devices as the engine holds them, each reset as a tuning does it.
void IdleDevicesMemory()
{
    const std::size_t before = HeapInUse();
    std::vector<TDevice> devices(IdleDevices);
    for (TDevice &device : devices)
        ClearDeviceData(device);
    const std::size_t after = HeapInUse();
    std::printf("never measuring: %zu bytes per device (%d devices)\n",
                (after - before) / IdleDevices, IdleDevices);
}

void FullHistoryMemory()
{
    fuzz::FuzzStation &station = fuzz::FuzzStation::Instance();
    station.Reset();
    TDevice &device = Tables(station.engine).Devices[0];
    // The heap as it would be without the history's storage.
    const std::size_t before = HeapInUse() - device.History.capacity() * sizeof(THistorySample);
    while (device.HistoryCount < FullHistory - 10) {
        station.engine.TimerReceiveTimer();
        station.library.clearCalls(); // the fake's record of calls is no device memory
    }
    const std::size_t held = HeapInUse() - before;
    const std::size_t own = device.History.size() * sizeof(THistorySample);
    std::printf("full history: %zu records in room for %zu, %zu bytes held, %zu bytes of records, "
                "ratio %.2f\n",
                device.History.size(), device.History.capacity(), held, own,
                static_cast<double>(held) / static_cast<double>(own));
}

} // namespace

int main()
{
    IdleDevicesMemory();
    FullHistoryMemory();
    return 0;
}
