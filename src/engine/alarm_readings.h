// The values one receive tick gathered for alarm evaluation. Every reading
// starts absent; a response of its name in the tick fills it.
#pragma once

#include <QString>

namespace vantor {

struct TAlarmReadings {
    float AVE = -10.0f;
    float MaxHold = -10.0f;
    float Pilot = -10.0f;
    float RdsLevel = -10.0f;
    float Pm = -10.0f;
    int Quality = -10;
    int Level = -10;
    QString PI;
    qint64 TimeError = -10;
    // RDS groups parsed in the tick, and the last TA flag one of them carried
    // (-1: none carried it).
    int RdsGroups = 0;
    int TaFlag = -1;
};

} // namespace vantor
