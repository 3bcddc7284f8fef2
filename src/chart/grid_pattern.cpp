#include "grid_pattern.h"

namespace vantor {

std::vector<DotRun> GridDotRuns(int dots, int style)
{
    std::vector<DotRun> runs;
    if (style < 0 || dots <= 0)
        return runs;
    if (style == 0) {
        runs.push_back({0, dots});
        return runs;
    }
    for (int i = 0; i < dots; ++i) {
        if ((i & style) != 0)
            continue;
        if (!runs.empty() && runs.back().first + runs.back().count == i)
            ++runs.back().count;
        else
            runs.push_back({i, 1});
    }
    return runs;
}

} // namespace vantor
