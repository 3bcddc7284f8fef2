// The number fields of the alarm limit pages: label, the set field they
// edit, range, step and the value shown before any set is loaded.
#pragma once

#include "model.h"

#include <span>

namespace vantor {

struct AlarmLimitField {
    int page;         // alarm kind whose page holds the field
    const char *name; // control name, e.g. "SESD1"
    const char *label;
    int TAlarmSet::*limit; // the limit edited, or null for the kind's Duration
    int scale;             // Duration stored as shown value × scale seconds
    int min;
    int max;
    int step;
    int initial;
};

std::span<const AlarmLimitField> AlarmLimitFields();

// The value a field shows for set: seconds shown in whole units of scale.
int AlarmFieldValue(const AlarmLimitField &field, const TAlarmSet &set);
void StoreAlarmField(const AlarmLimitField &field, TAlarmSet &set, int shown);

} // namespace vantor
