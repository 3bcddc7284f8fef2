// The chart's named numeric settings that the axes read, with their defaults
// and allowed ranges. Pictures are always drawn with the defaults.
#pragma once

#include <QtGlobal>
#include <array>

namespace vantor {

struct setting {
    qint32 id;
    float defaultValue;
    float lowest;
    float highest;
    bool whole; // whole-number setting
    const char *name;
};

// Identifiers of the axis settings; the value is the row in ChartSettings.
enum SettingId : qint32 {
    MajorTicsizeX,
    MinorTicsizeX,
    LabelDistXFloat,
    LabelDistXExp,
    AngleTextX,
    FormatSciLabelsX,
    FinenessLogX,
    MajorTicsizeY,
    MinorTicsizeY,
    LabelDistY,
    RotateVertCaptionY,
    AngleTextY,
    FormatSciLabelsY,
    FinenessLogY,
    MinLogRatio,
    SymbolExponent,
    AntialiasFont,
    SettingCount
};

extern const std::array<setting, SettingCount> ChartSettings;

inline float SettingValue(SettingId id)
{
    return ChartSettings[id].defaultValue;
}

} // namespace vantor
