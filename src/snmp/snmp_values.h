// The station's figures as the MIB's integers: the readings of the JSON
// status (the same texts, parsed here once) scaled to the units VANTOR-MIB
// states, with NoReading where the status shows null.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace vantor {

class Engine;

// VantorReading's "no value": never a measured value.
inline constexpr std::int32_t NoReading = INT32_MIN;

struct MibReading {
    const char *name; // in the recent data and the JSON status
    int scale;        // the MIB's unit is 1/scale of the shown unit
    bool hex = false; // a PI code
};

// The device table's reading columns in order (vantorDeviceMax …
// vantorDeviceTimeError).
const MibReading *MibReadings(int *count);

// The text the status shows as the MIB's integer; NoReading for a text
// without a leading number.
std::int32_t ReadingValue(const QString &text, const MibReading &reading);
// The device's reading, NoReading when the status shows null.
std::int32_t DeviceReading(const Engine &engine, int device, const MibReading &reading);
// The reading an alarm kind is judged on, as the status shows it, in the unit
// of its device table column; NoReading for none or a kind judged on no
// reading.
std::int32_t AlarmReading(int kind, const QString &text);
// The station frequency "98.5" in units of 10 kHz (9850); 0 for none.
std::int32_t FrequencyValue(const QString &frequency);

} // namespace vantor
