// What the RDS alarms compare the decoded RDS with: the station's expected
// programme service names and the alarm set's list of group types.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantor {

inline constexpr int PsLength = 8;
inline constexpr int MaxExpectedPsNames = 4;

// The names a station may send, from its "RDS PS" text: names separated by
// "|", empty ones left out. Blanks inside and around a name belong to it,
// as a centred PS carries them on air.
QStringList ExpectedPsNames(const QString &stationPs);

// Whether a received PS is the expected name, "*" standing for any one
// character. Both are compared as the 8 characters sent on air, so trailing
// blanks need not be typed; a name longer than 8 characters matches nothing.
bool PsMatches(const QString &received, const QString &expected);

// The type indices (RdsGroup::typeIndex) of a list such as "0A 2A 4A",
// separated by blanks or commas, letter case ignored; nothing when an entry
// is not a group type.
std::optional<QList<int>> ParseGroupTypes(const QString &list);

} // namespace vantor
