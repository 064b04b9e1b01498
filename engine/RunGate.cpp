#include "engine/RunGate.h"

#include <chrono>

RunGate &RunGate::Instance()
{
    static RunGate gate;
    return gate;
}

bool RunGate::Enter(const std::atomic<uint8_t> *cancel, const std::function<void()> &onWaiting)
{
    std::unique_lock lock(m_mutex);
    const uint64_t ticket = m_nextTicket++;
    m_queue.push_back(ticket);
    auto myTurn = [&] { return !m_busy && m_queue.front() == ticket; };
    if (!myTurn() && onWaiting) {
        lock.unlock();
        onWaiting();
        lock.lock();
    }
    while (!myTurn()) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            m_queue.remove(ticket);
            // The run behind this one may now be first.
            m_turn.notify_all();
            return false;
        }
        // The cancel flag is a plain byte that nobody signals, so poll it; a waiting run
        // notices a cancel within this interval.
        m_turn.wait_for(lock, std::chrono::milliseconds(50));
    }
    m_queue.pop_front();
    m_busy = true;
    return true;
}

void RunGate::Leave()
{
    {
        std::lock_guard lock(m_mutex);
        m_busy = false;
    }
    m_turn.notify_all();
}

int RunGate::Pending() const
{
    std::lock_guard lock(m_mutex);
    return int(m_queue.size()) + (m_busy ? 1 : 0);
}
