// An alarm kind's state as the operator sees it, and the colours that show it
// in the Alarm Details window and on the web status page alike.
#pragma once

#include "model.h"

#include <QRgb>

namespace vantor {

enum class AlarmState { Off = 0, Pending = 1, Active = 2 };

// Active while raised; pending while its condition holds for an enabled kind
// but its duration has not passed yet.
inline AlarmState AlarmStateOf(const TDevice &device, int kind)
{
    if (device.AlarmActive[kind])
        return AlarmState::Active;
    if (device.AlarmSetActive && device.AlarmSet.Basic[kind].Enabled && device.AlarmStart[kind] > 0)
        return AlarmState::Pending;
    return AlarmState::Off;
}

inline constexpr QRgb AlarmPendingColour = 0xffffff00; // yellow
inline constexpr QRgb AlarmActiveColour = 0xffff0000;  // red

} // namespace vantor
