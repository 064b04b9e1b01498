#include "engine/EngineWorker.h"

#include "engine/RunGate.h"
#include "model/Job.h"

EngineWorker::EngineWorker(Job &job) : m_job(job) {}

EngineWorker::~EngineWorker()
{
    if (m_running)
        Cancel();
    Wait();
}

bool EngineWorker::Start(std::function<void()> body, std::function<void(bool)> finished,
                         std::function<void()> waiting)
{
    return Start(RunGate::Instance(), std::move(body), std::move(finished), std::move(waiting));
}

bool EngineWorker::Start(RunGate &gate, std::function<void()> body, std::function<void(bool)> finished,
                         std::function<void()> waiting)
{
    if (m_running.load())
        return false;
    for (auto it = m_runs.begin(); it != m_runs.end();) {
        if (it->Returned) {
            it->Thread.join();
            it = m_runs.erase(it);
        } else {
            ++it;
        }
    }
    m_running = true;
    Run &run = m_runs.emplace_back();
    run.Thread = std::thread([this, &run, &gate, body = std::move(body), finished = std::move(finished),
                              waiting = std::move(waiting)] {
        bool admitted;
        {
            RunGate::Pass pass(gate, &m_job.CancelFlag, waiting);
            admitted = pass.Admitted();
            if (admitted)
                body();
        }
        m_running = false;
        if (finished)
            finished(admitted);
        run.Returned = true;
    });
    return true;
}

void EngineWorker::Cancel()
{
    m_job.CancelFlag.store(1, std::memory_order_relaxed);
}

void EngineWorker::Wait()
{
    for (Run &run : m_runs)
        if (run.Thread.joinable())
            run.Thread.join();
    m_runs.clear();
}
