#include "chart_settings.h"

namespace vantor {

const std::array<setting, SettingCount> ChartSettings{{
    {MajorTicsizeX, 1, 0, 10, false, "major ticsize X"},
    {MinorTicsizeX, 0.6f, 0, 1, false, "minor ticsize X"},
    {LabelDistXFloat, 5, 1, 50, false, "label dist X float"},
    {LabelDistXExp, 8, 1, 50, false, "label dist X exp"},
    {AngleTextX, 0, -90, 90, true, "angle text X"},
    {FormatSciLabelsX, 0, 0, 1, true, "format sci labels X"},
    {FinenessLogX, 1, 0, 3, true, "fineness log X"},
    {MajorTicsizeY, 1, 0, 10, false, "major ticsize Y"},
    {MinorTicsizeY, 0.6f, 0, 1, false, "minor ticsize Y"},
    {LabelDistY, 2, 1, 20, false, "label dist Y"},
    {RotateVertCaptionY, 0, 0, 1, true, "rotate vert caption Y"},
    {AngleTextY, 0, -90, 90, true, "angle text Y"},
    {FormatSciLabelsY, 0, 0, 1, true, "format sci labels Y"},
    {FinenessLogY, 1, 0, 3, true, "fineness log Y"},
    {MinLogRatio, 2, 1, 1e6f, false, "min log ratio"},
    {SymbolExponent, 0, 0, 1, true, "symbol exponent"},
    {AntialiasFont, 1, 0, 1, true, "antialias font"},
}};

} // namespace vantor
