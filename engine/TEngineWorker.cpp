#include "engine/TEngineWorker.h"

#include "engine/TRunGate.h"
#include "model/TSyncTask.h"

TEngineWorker::TEngineWorker(TSyncTask &job) : m_job(job) {}

TEngineWorker::~TEngineWorker()
{
    if (m_thread.joinable()) {
        Cancel();
        m_thread.join();
    }
}

bool TEngineWorker::Start(std::function<void()> body, std::function<void(bool)> finished,
                          std::function<void()> waiting)
{
    return Start(TRunGate::Instance(), std::move(body), std::move(finished), std::move(waiting));
}

bool TEngineWorker::Start(TRunGate &gate, std::function<void()> body, std::function<void(bool)> finished,
                          std::function<void()> waiting)
{
    if (m_running.load())
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_running = true;
    m_thread = std::thread([this, &gate, body = std::move(body), finished = std::move(finished),
                            waiting = std::move(waiting)] {
        bool admitted;
        {
            TRunGate::Pass pass(gate, &m_job.CancelFlag, waiting);
            admitted = pass.Admitted();
            if (admitted)
                body();
        }
        if (finished)
            finished(admitted);
        m_running = false;
    });
    return true;
}

void TEngineWorker::Cancel()
{
    m_job.CancelFlag.store(1, std::memory_order_relaxed);
}

void TEngineWorker::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
