// Which dots of a grid line are set: a style below 0 draws nothing, 0 a solid
// line, and n > 0 sets dot i when (i AND n) is 0 (4: four dots, four gaps).
#pragma once

#include <vector>

namespace vantor {

struct DotRun {
    int first; // index of the first dot
    int count; // consecutive dots from there
};

std::vector<DotRun> GridDotRuns(int dots, int style);

} // namespace vantor
