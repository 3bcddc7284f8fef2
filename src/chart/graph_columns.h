// What the Graph Window knows of each measurement column besides its name:
// the unit in its caption and the seed bounds its automatic y range always
// reaches.
#pragma once

#include <QString>

namespace vantor {

// Seeds meaning "no seed": they never win against a real value.
inline constexpr float NoLowerSeed = 9999;
inline constexpr float NoUpperSeed = -9999;

struct GraphColumn {
    const char *unit;
    float lowerSeed;
    float upperSeed;
};

// The column's entry; columns outside the table have no unit and no seeds.
GraphColumn GraphColumnInfo(int column);

// The series caption: the column's name and its unit in brackets.
QString GraphCaption(int column);

} // namespace vantor
