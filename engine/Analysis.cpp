#include "engine/Analysis.h"

#include "engine/AnalysisResult.h"
#include "engine/DecisionRules.h"
#include "engine/EngineListener.h"
#include "engine/JobLock.h"
#include "engine/JobNameCheck.h"
#include "engine/Pairing.h"
#include "engine/Recovery.h"
#include "engine/SidePair.h"
#include "folders/FileFilter.h"
#include "model/Job.h"

int Analysis::CheckSides(SidePair &sides)
{
    const bool leftOk = !sides.Left || sides.Left->Reach() == 0;
    const bool rightOk = !sides.Right || sides.Right->Reach() == 0;
    if (!rightOk)
        return 2;
    return leftOk ? 0 : 1;
}

void Analysis::LoadStateTrees(SidePair &sides)
{
    if (sides.Left)
        sides.Left->LoadState(m_job.SyncName, *m_result.LeftState);
    if (sides.Right)
        sides.Right->LoadState(m_job.SyncName, *m_result.RightState);
}

void Analysis::ListSides(SidePair &sides)
{
    const FileFilter filter(m_job);
    if (sides.Left)
        sides.Left->List(*m_result.LeftList, filter);
    if (sides.Right)
        sides.Right->List(*m_result.RightList, filter);
}

void Analysis::Execute()
{
    m_result.Reset();
    // The state files are named after the job: never build a path from a name that
    // could leave their folder. Callers refuse such jobs with a log line first.
    if (!IsUsableJobName(m_job.SyncName))
        return;
    JobLock lock(m_job);
    if (!lock.Acquire()) {
        m_result.RunningElsewhere = true;
        return;
    }

    SidePair sides(m_job);
    if (const int failed = CheckSides(sides)) {
        m_listener.SyncConnectFailed(failed);
        return;
    }
    m_result.Reached = true;

    // Before anything is read: a listing must not show what an interrupted copy left.
    Recovery::Run(m_job, sides, m_listener);
    LoadStateTrees(sides);
    ListSides(sides);
    m_listener.SyncProgress(m_result.LeftList->FileCount + m_result.RightList->FileCount, 0);

    MarkChanges(*m_result.LeftList, *m_result.LeftState);
    MarkChanges(*m_result.RightList, *m_result.RightState);

    Pairing pairing(m_job, m_listener);
    m_result.Completed = pairing.PairLevel(*m_result.LeftList, *m_result.RightList, *m_result.ResultRoot);
}
