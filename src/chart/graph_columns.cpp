#include "graph_columns.h"

#include "model.h"

#include <array>

namespace vantor {

namespace {

const std::array<GraphColumn, NamedColumnCount> NamedColumns = {{
    {"kHz", 75, NoUpperSeed},          // MAX
    {"kHz", 75, NoUpperSeed},          // MAX Hold
    {"kHz", 75, NoUpperSeed},          // AVE
    {"kHz", 75, NoUpperSeed},          // MIN
    {"dBr", 3, NoUpperSeed},           // Pm
    {"kHz", 5, 10},                    // Pilot
    {"kHz", 2, 10},                    // RDS
    {"kHz", 320, 330},                 // IF
    {"-", 0, 5},                       // Signal Quality
    {"dBuV", 20, 60},                  // Level
    {"deg", NoLowerSeed, NoUpperSeed}, // RDS Phase Difference
    {"kHz", NoLowerSeed, NoUpperSeed}, // LeftPeak
    {"kHz", NoLowerSeed, NoUpperSeed}, // RightPeak
    {"kHz", NoLowerSeed, NoUpperSeed}, // Histogram Max at
}};

} // namespace

GraphColumn GraphColumnInfo(int column)
{
    if (column < 0 || column >= NamedColumnCount)
        return {"", NoLowerSeed, NoUpperSeed};
    return NamedColumns[static_cast<std::size_t>(column)];
}

QString GraphCaption(int column)
{
    const QString name = column >= 0 && column < ColumnCount
                             ? MeasurementColumns[static_cast<std::size_t>(column)]
                             : QString();
    return name + QStringLiteral(" [") + QLatin1String(GraphColumnInfo(column).unit) +
           QStringLiteral("]");
}

} // namespace vantor
