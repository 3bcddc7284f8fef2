// Short machine names of the alarm kinds, for the metrics' kind label
// and the JSON status; the operator's names stay in AlarmKindNames.
#pragma once

#include "model.h"

#include <array>

namespace vantor {

inline constexpr std::array<const char *, AlarmKindCount> AlarmKindKeys = {
    "silence",  "pi_mismatch",       "time_error", "overmodulation",      "signal_quality",
    "pilot",    "modulation_power",  "rf_level",   "rds_level",           "ps_mismatch",
    "ta_stuck", "radiotext_missing", "rds_errors", "group_types_missing",
};

} // namespace vantor
