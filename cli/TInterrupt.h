#pragma once
#include <atomic>
#include <cstdint>

// SIGINT and SIGTERM while corvane-cli runs a job: the first one cancels the run as the job
// page's Cancel does (the copy in hand finishes, none starts, the state files are written);
// a second one ends the process at once with status 130 (the job's journal then lets the
// next run finish or undo the copy in hand). One instance at a time; it restores the
// previous handlers when it goes.
class TInterrupt {
public:
    explicit TInterrupt(std::atomic<uint8_t> &cancelFlag);
    ~TInterrupt();
    TInterrupt(const TInterrupt &) = delete;
    TInterrupt &operator=(const TInterrupt &) = delete;

    // Whether a signal has cancelled the run.
    bool Interrupted() const;
};
