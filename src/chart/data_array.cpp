#include "data_array.h"

#include <algorithm>

namespace vantor {

void NewDataArray(Tdatatype &data, int rows, int columns)
{
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    data.assign(static_cast<std::size_t>(rows) + 1,
                std::vector<float>(static_cast<std::size_t>(columns) + 1, 0.0f));
    for (int k = 0; k <= columns; ++k)
        data[0][static_cast<std::size_t>(k)] = static_cast<float>(k);
    for (int r = 1; r <= rows; ++r)
        data[static_cast<std::size_t>(r)][0] = static_cast<float>(r);
}

int FirstDataRow(const Tdatatype &data)
{
    return !data.empty() && !data[0].empty() && data[0][0] > 0.5f ? 8 : 1;
}

} // namespace vantor
