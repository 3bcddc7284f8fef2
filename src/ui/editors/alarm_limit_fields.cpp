#include "alarm_limit_fields.h"

#include <array>

namespace vantor {

namespace {
constexpr int TAlarmSet::*Duration = nullptr;

constexpr std::array Fields{
    AlarmLimitField{AlarmSilence, "SESD1", "Deviation limit AVE [kHz]", &TAlarmSet::SD_Minimum, 1,
                    5, 75, 1, 25},
    AlarmLimitField{AlarmSilence, "SESD2", "Duration [s]", Duration, 1, 1, 3600, 1, 60},
    AlarmLimitField{AlarmPiMismatch, "SEPID", "Duration [s]", Duration, 1, 1, 3600, 1, 60},
    AlarmLimitField{AlarmTimeError, "SETM", "Maximum time error allowed [s]",
                    &TAlarmSet::TM_MaxError, 1, 1, 600, 1, 60},
    AlarmLimitField{AlarmTimeError, "SETMD", "Duration [min]", Duration, 60, 3, 1440, 1, 60},
    AlarmLimitField{AlarmOvermodulation, "SEOM1", "Deviation MAX Hold limit [kHz]",
                    &TAlarmSet::OM_MaxHoldLimit, 1, 50, 150, 1, 100},
    AlarmLimitField{AlarmOvermodulation, "SEOM2", "Histogram MAX At limit [kHz]",
                    &TAlarmSet::OM_MaxAtLimit, 1, 50, 150, 1, 78},
    AlarmLimitField{AlarmOvermodulation, "SEOM3", "Deviation AVE limit [kHz]",
                    &TAlarmSet::OM_AveLimit, 1, 50, 150, 1, 78},
    AlarmLimitField{AlarmOvermodulation, "SEOMD", "Duration [s]", Duration, 1, 1, 3600, 1, 60},
    AlarmLimitField{AlarmSignalQuality, "SESIGD", "Duration [s]", Duration, 1, 3, 3600, 1, 60},
    AlarmLimitField{AlarmPilot, "SEPL1", "Minimum pilot level allowed [Hz]", &TAlarmSet::PL_Minimum,
                    1, 0, 7500, 100, 5800},
    AlarmLimitField{AlarmPilot, "SEPL2", "Maximum pilot level allowed [Hz]", &TAlarmSet::PL_Maximum,
                    1, 2500, 9900, 100, 7700},
    AlarmLimitField{AlarmPilot, "SEPLD", "Duration [s]", Duration, 1, 30, 3600, 1, 60},
    AlarmLimitField{AlarmModulationPower, "SEPM1", "Maximum Pm allowed [dBr]",
                    &TAlarmSet::PM_Maximum, 1, -12, 12, 1, 4},
    AlarmLimitField{AlarmModulationPower, "SEPMD", "Duration [s]", Duration, 1, 1, 3600, 1, 60},
    AlarmLimitField{AlarmRfLevel, "SERF1", "Minimum RF level allowed [dBuV]",
                    &TAlarmSet::RF_Minimum, 1, 30, 80, 1, 40},
    AlarmLimitField{AlarmRfLevel, "SERFD", "Duration [s]", Duration, 1, 3, 3600, 1, 60},
    AlarmLimitField{AlarmRdsLevel, "SERL1", "Minimum RDS level allowed [Hz]",
                    &TAlarmSet::RL_Minimum, 1, 0, 7500, 100, 0},
    AlarmLimitField{AlarmRdsLevel, "SERL2", "Maximum RDS level allowed [Hz]",
                    &TAlarmSet::RL_Maximum, 1, 2800, 9900, 100, 8300},
    AlarmLimitField{AlarmRdsLevel, "SERLD", "Duration [s]", Duration, 1, 30, 3600, 1, 60},
    AlarmLimitField{AlarmPsMismatch, "SEPSD", "Duration [s]", Duration, 1, 1, 3600, 1, 60},
    AlarmLimitField{AlarmTaStuck, "SETAD", "Duration [min]", Duration, 60, 1, 1440, 1, 15},
    AlarmLimitField{AlarmRadioTextMissing, "SERTD", "Duration [min]", Duration, 60, 1, 1440, 1, 10},
    AlarmLimitField{AlarmRdsErrors, "SERE1", "Maximum block errors allowed [%]",
                    &TAlarmSet::RE_MaxShare, 1, 1, 100, 1, 10},
    AlarmLimitField{AlarmRdsErrors, "SERED", "Duration [min]", Duration, 60, 1, 1440, 1, 5},
    AlarmLimitField{AlarmGroupTypesMissing, "SEGTD", "Duration [s]", Duration, 1, 5, 3600, 1, 300},
};
} // namespace

std::span<const AlarmLimitField> AlarmLimitFields()
{
    return Fields;
}

int AlarmFieldValue(const AlarmLimitField &field, const TAlarmSet &set)
{
    if (field.limit)
        return set.*field.limit;
    return set.Basic[field.page].Duration / field.scale;
}

void StoreAlarmField(const AlarmLimitField &field, TAlarmSet &set, int shown)
{
    if (field.limit)
        set.*field.limit = shown;
    else
        set.Basic[field.page].Duration = shown * field.scale;
}

} // namespace vantor
