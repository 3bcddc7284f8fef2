// The names the engine acts on in a response, told apart by their length and
// at most two comparisons instead of a search through every known name. The
// first ones are the measurement columns, in their order.
#pragma once

#include "model.h"

#include <QLatin1StringView>

namespace vantor {

enum class ResponseName {
    Max,
    MaxHold,
    Ave,
    Min,
    Pm,
    Pilot,
    Rds,
    If,
    SignalQuality,
    Level,
    RdsPhaseDifference,
    LeftPeak,
    RightPeak,
    HistogramMaxAt,
    // Not columns:
    ModulationPower,
    Frequency,
    Group,
    HistogramData,
    Wait,
    Other,
};

static_assert(static_cast<int>(ResponseName::HistogramMaxAt) + 1 == NamedColumnCount);

inline ResponseName ClassifyResponseName(QLatin1StringView name)
{
    using N = ResponseName;
    const auto is = [name](const char *text, N n) {
        return name == QLatin1StringView(text) ? n : N::Other;
    };
    const auto either = [&is](const char *a, N na, const char *b, N nb) {
        const N n = is(a, na);
        return n != N::Other ? n : is(b, nb);
    };
    switch (name.size()) {
    case 1:
        return either("G", N::Group, "W", N::Wait);
    case 2:
        return either("Pm", N::Pm, "IF", N::If);
    case 3:
        switch (name.front().toLatin1()) {
        case 'M':
            return either("MAX", N::Max, "MIN", N::Min);
        case 'A':
            return is("AVE", N::Ave);
        case 'R':
            return is("RDS", N::Rds);
        default:
            return N::Other;
        }
    case 5:
        return either("Pilot", N::Pilot, "Level", N::Level);
    case 8:
        return either("MAX Hold", N::MaxHold, "LeftPeak", N::LeftPeak);
    case 9:
        return either("RightPeak", N::RightPeak, "Frequency", N::Frequency);
    case 14:
        return either("Signal Quality", N::SignalQuality, "Histogram Data", N::HistogramData);
    case 16:
        return either("Modulation Power", N::ModulationPower, "Histogram Max at",
                      N::HistogramMaxAt);
    case 20:
        return is("RDS Phase Difference", N::RdsPhaseDifference);
    default:
        return N::Other;
    }
}

// The measurement column of a name, or -1.
inline int ColumnOf(ResponseName name)
{
    const int n = static_cast<int>(name);
    return n < NamedColumnCount ? n : -1;
}

} // namespace vantor
