#pragma once
#include "folders/ListingProgress.h"

class Job;
class EngineListener;
struct AnalysisResult;
struct SidePair;

// One analysis of a job: reads both sides and their state files, marks and pairs them into
// result, and reports through listener. Execute runs on the calling thread; run it through
// EngineWorker to get a worker thread and the run gate. The job, the listener and the
// result must outlive Execute.
class Analysis {
public:
    Analysis(Job &job, EngineListener &listener, AnalysisResult &result)
        : m_job(job), m_listener(listener), m_result(result) {}

    void Execute();
    // Folders read and files kept so far on both sides; read from any thread while it runs.
    const ListingProgress &Listing() const { return m_listing; }

private:
    // 0 both sides reached, 1 the left side failed, 2 the right side (or both) failed.
    int CheckSides(SidePair &sides);
    void LoadStateTrees(SidePair &sides);
    // False when a listing failed (m_result says where and why) or was cancelled.
    bool ListSides(SidePair &sides);

    Job &m_job;
    EngineListener &m_listener;
    AnalysisResult &m_result;
    ListingProgress m_listing;
};
