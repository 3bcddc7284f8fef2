// The RDS alarm kinds as the operator reads them: the limit a kind checks and
// the value it looks at, for the Alarm Details window and the alarm history.
#pragma once

#include "model.h"

#include <QString>

namespace vantor {

// Empty for a kind that does not judge the decoded RDS.
QString RdsAlarmLimit(const TAlarmSet &set, const TStation &station, int kind);
QString RdsAlarmReading(const TDevice &device, int kind, TDateTime now);

} // namespace vantor
