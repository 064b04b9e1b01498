#pragma once
#include <atomic>
#include <cstdint>

// SIGINT and SIGTERM while corvane-cli runs a job: the first one cancels the run as the job
// page's Cancel does (the copy in hand finishes, none starts, the state files are written);
// a second one ends the process at once with status 130 (the job's journal then lets the
// next run finish or undo the copy in hand). One instance at a time; it restores the
// previous handlers when it goes.
class Interrupt {
public:
    explicit Interrupt(std::atomic<uint8_t> &cancelFlag);
    ~Interrupt();
    Interrupt(const Interrupt &) = delete;
    Interrupt &operator=(const Interrupt &) = delete;

    // Whether a signal has cancelled the run.
    bool Interrupted() const;
};
