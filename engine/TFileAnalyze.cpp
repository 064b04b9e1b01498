#include "engine/TFileAnalyze.h"

#include "engine/DecisionRules.h"
#include "engine/TAnalysisResult.h"
#include "engine/TEngineListener.h"
#include "engine/TPairing.h"
#include "engine/JobNameCheck.h"
#include "engine/TSidePaths.h"
#include "folders/TBeenTortured.h"
#include "folders/TFTPFile.h"
#include "folders/TWinFile.h"
#include "model/TSyncTask.h"

using namespace TSidePaths;

int TFileAnalyze::CheckSides()
{
    const bool leftOk = m_job.LFolder.DeviceType != DeviceLocal || TWinFile::CheckFolder(m_job.LFolder) == 0;
    bool rightOk = true;
    if (m_job.RFolder.DeviceType == DeviceLocal)
        rightOk = TWinFile::CheckFolder(m_job.RFolder) == 0;
    else if (m_job.RFolder.DeviceType == DeviceFtp)
        rightOk = TFTPFile::ConnectFtp(m_job.RFolder) == 0;
    if (!rightOk)
        return 2;
    return leftOk ? 0 : 1;
}

void TFileAnalyze::LoadStateTrees()
{
    if (m_job.LFolder.DeviceType == DeviceLocal)
        TWinFile::LoadStateFile(LeftStateFile(m_job), *m_result.LeftState);
    // A local right side keeps no state file.
    if (m_job.RFolder.DeviceType == DeviceFtp)
        TFTPFile::LoadStateFile(RemoteStateFolder(m_job.RFolder), m_job.RFolder, *m_result.RightState,
                                m_job.SyncName);
}

void TFileAnalyze::ListSides()
{
    const TBeenTortured filter(m_job);
    if (m_job.LFolder.DeviceType == DeviceLocal)
        TWinFile::ListFolder(m_job.LFolder, *m_result.LeftList, filter);
    if (m_job.RFolder.DeviceType == DeviceLocal)
        TWinFile::ListFolder(m_job.RFolder, *m_result.RightList, filter);
    else if (m_job.RFolder.DeviceType == DeviceFtp)
        TFTPFile::ListFolder(m_job.RFolder, *m_result.RightList, filter);
}

void TFileAnalyze::Execute()
{
    m_result.Reset();
    // The state files are named after the job: never build a path from a name that
    // could leave their folder. Callers refuse such jobs with a log line first.
    if (!IsUsableJobName(m_job.SyncName))
        return;

    if (const int failed = CheckSides()) {
        m_listener.SyncConnectFailed(failed);
        return;
    }
    m_result.Reached = true;

    LoadStateTrees();
    ListSides();
    m_listener.SyncProgress(m_result.LeftList->FileCount + m_result.RightList->FileCount, 0);

    MarkChanges(*m_result.LeftList, *m_result.LeftState);
    MarkChanges(*m_result.RightList, *m_result.RightState);

    TPairing pairing(m_job, m_listener);
    m_result.Completed = pairing.PairLevel(*m_result.LeftList, *m_result.RightList, *m_result.ResultRoot);
}
