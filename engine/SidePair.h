#pragma once
#include "folders/Side.h"

#include <memory>

class Job;

// The two sides of a job as the engine reads and copies them. A side of a kind the engine
// cannot use is null. Only the left side and an FTP right side keep a state file.
struct SidePair {
    explicit SidePair(const Job &job);

    std::unique_ptr<Side> Left;
    std::unique_ptr<Side> Right;
};
