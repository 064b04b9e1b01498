#pragma once

class TSyncTask;
class TEngineListener;
struct TAnalysisResult;
struct TJobSides;

// One analysis of a job: reads both sides and their state files, marks and pairs them into
// result, and reports through listener. Execute runs on the calling thread; run it through
// TEngineWorker to get a worker thread and the run gate. The job, the listener and the
// result must outlive Execute.
class TFileAnalyze {
public:
    TFileAnalyze(TSyncTask &job, TEngineListener &listener, TAnalysisResult &result)
        : m_job(job), m_listener(listener), m_result(result) {}

    void Execute();

private:
    // 0 both sides reached, 1 the left side failed, 2 the right side (or both) failed.
    int CheckSides(TJobSides &sides);
    void LoadStateTrees(TJobSides &sides);
    void ListSides(TJobSides &sides);

    TSyncTask &m_job;
    TEngineListener &m_listener;
    TAnalysisResult &m_result;
};
