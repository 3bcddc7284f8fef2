// Data arrays handed to the chart: row 0 is a header naming the y axis of each
// column, every further row holds an x value and its y values.
#pragma once

#include <vector>

namespace vantor {

using Tdatatype = std::vector<std::vector<float>>;

// Sizes data to rows + 1 rows of columns + 1 values: header 0, 1, ..., columns,
// x of row r = r, every y value 0.
void NewDataArray(Tdatatype &data, int rows, int columns);

// Row of the first data point: 8 when the header's first value is above 0.5.
int FirstDataRow(const Tdatatype &data);

} // namespace vantor
