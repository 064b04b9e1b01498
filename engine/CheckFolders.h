#pragma once
#include <cstdint>

struct JobSide;

// The pre-check run before an analysis starts: 0 fine, 1 the two sides are the same
// folder, 2 one local folder lies inside the other, 3 a side has no path.
// RunLog::PreCheckText gives the texts.
int32_t CheckFolders(const JobSide &left, const JobSide &right);
