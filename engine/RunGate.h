#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>

// Lets one analysis or synchronisation run at a time. Runs are admitted in the order they
// asked; a run asked for while another runs waits for its turn, none is dropped.
// Instance() is the process-wide gate; tests may make their own.
class RunGate {
public:
    static RunGate &Instance();

    // Blocks the calling (worker) thread until its turn. onWaiting, when given, is called
    // once on that thread if the run has to wait. When cancel becomes non-zero while the
    // run waits, it gives up its place and Enter returns false; otherwise true, and the
    // caller must call Leave when its run has ended.
    bool Enter(const std::atomic<uint8_t> *cancel = nullptr, const std::function<void()> &onWaiting = {});
    void Leave();

    // Runs admitted or waiting.
    int Pending() const;

    // Holds the gate for its lifetime when it was admitted.
    class Pass {
    public:
        explicit Pass(RunGate &gate, const std::atomic<uint8_t> *cancel = nullptr,
                      const std::function<void()> &onWaiting = {})
            : m_gate(gate), m_admitted(gate.Enter(cancel, onWaiting)) {}
        ~Pass() { if (m_admitted) m_gate.Leave(); }
        Pass(const Pass &) = delete;
        Pass &operator=(const Pass &) = delete;
        bool Admitted() const { return m_admitted; }

    private:
        RunGate &m_gate;
        bool m_admitted;
    };

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_turn;
    std::list<uint64_t> m_queue;  // tickets of waiting runs, oldest first
    uint64_t m_nextTicket = 0;
    bool m_busy = false;
};
