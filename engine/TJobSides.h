#pragma once
#include "folders/TSideAccess.h"

#include <memory>

class TSyncTask;

// The two sides of a job as the engine reads and copies them. A side of a kind the engine
// cannot use is null. Only the left side and an FTP right side keep a state file.
struct TJobSides {
    explicit TJobSides(const TSyncTask &job);

    std::unique_ptr<TSideAccess> Left;
    std::unique_ptr<TSideAccess> Right;
};
