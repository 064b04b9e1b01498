#pragma once
#include <atomic>
#include <functional>
#include <thread>

class TSyncTask;
class TRunGate;

// Owns the worker thread of one analysis or synchronisation. The thread waits for its turn
// at the run gate, runs the body, leaves the gate, then calls finished (on the worker
// thread; a window forwards it to its own thread). Destroying the worker cancels the job's
// run and waits for the thread, so nothing the body uses is released under it.
class TEngineWorker {
public:
    explicit TEngineWorker(TSyncTask &job);
    ~TEngineWorker();
    TEngineWorker(const TEngineWorker &) = delete;
    TEngineWorker &operator=(const TEngineWorker &) = delete;

    // body runs only when the gate admits the run; finished learns whether it did (false:
    // cancelled while waiting). waiting is called on the worker when the run must wait for
    // another one. finished must not destroy the worker. Returns false when a run of this
    // worker is still going.
    bool Start(std::function<void()> body, std::function<void(bool admitted)> finished = {},
               std::function<void()> waiting = {});
    // Uses gate instead of the process-wide one (tests).
    bool Start(TRunGate &gate, std::function<void()> body, std::function<void(bool admitted)> finished = {},
               std::function<void()> waiting = {});
    // Sets the job's cancel flag; the run stops at its next check.
    void Cancel();
    // Waits for the thread to end.
    void Wait();
    bool Running() const { return m_running.load(); }

private:
    TSyncTask &m_job;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
};
