#pragma once
#include <atomic>
#include <functional>
#include <list>
#include <thread>

class Job;
class RunGate;

// Owns the worker threads of one job's analyses and synchronisations, one run at a time.
// A run waits for its turn at the run gate, runs the body, leaves the gate, then calls
// finished (on the worker thread; a window forwards it to its own thread). Destroying the
// worker cancels the job's run and waits for its thread, so nothing the body uses is
// released under it. Start, Wait and destruction belong to the owner's thread.
class EngineWorker {
public:
    explicit EngineWorker(Job &job);
    ~EngineWorker();
    EngineWorker(const EngineWorker &) = delete;
    EngineWorker &operator=(const EngineWorker &) = delete;

    // body runs only when the gate admits the run; finished learns whether it did (false:
    // cancelled while waiting). waiting is called on the worker when the run must wait for
    // another one. The run counts as ended before finished is called, so finished (or what
    // it triggers) may start the next run. Returns false while a run is still going.
    bool Start(std::function<void()> body, std::function<void(bool admitted)> finished = {},
               std::function<void()> waiting = {});
    // Uses gate instead of the process-wide one (tests).
    bool Start(RunGate &gate, std::function<void()> body, std::function<void(bool admitted)> finished = {},
               std::function<void()> waiting = {});
    // Sets the job's cancel flag; the run stops at its next check.
    void Cancel();
    // Waits for every thread to end. Not from inside finished, nor while finished waits
    // for the calling thread.
    void Wait();
    bool Running() const { return m_running.load(); }

private:
    struct Run {
        std::thread Thread;
        std::atomic<bool> Returned{false};
    };

    Job &m_job;
    // Threads not joined yet: the current run and any whose finished call may still be
    // returning. Joined when they have returned, at the next Start, Wait or destruction.
    std::list<Run> m_runs;
    std::atomic<bool> m_running{false};
};
