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
#include "platform/FtpSession.h"
#include "platform/FtpSessionPool.h"

#include <thread>

int Analysis::CheckSides(SidePair &sides)
{
    const bool leftOk = !sides.Left || sides.Left->Reach() == 0;
    bool rightOk = !sides.Right || sides.Right->Reach() == 0;
    if (!rightOk && !m_job.Cancelled())
        if (const std::optional<ServerTrust> shown = sides.Right->Untrusted())
            if (m_listener.AcceptServer(*shown) && sides.Right->Trust(*shown))
                rightOk = sides.Right->Reach() == 0;
    // As ssh does: three tries at a locked key file's passphrase.
    for (int asked = 0; !rightOk && asked < 3 && !m_job.Cancelled(); ++asked) {
        const QString keyFile = sides.Right->LockedKeyFile();
        const std::optional<QString> passphrase = keyFile.isEmpty() ? std::nullopt : m_listener.AskPassphrase(keyFile);
        if (!passphrase)
            break;
        sides.Right->UsePassphrase(*passphrase);
        rightOk = sides.Right->Reach() == 0;
        if (rightOk)
            m_job.KeyPassphrase = *passphrase;
    }
    if (!rightOk)
        m_result.FailureReason = sides.Right->FailureReason();
    else if (!leftOk)
        m_result.FailureReason = sides.Left->FailureReason();
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

bool Analysis::ListSides(SidePair &sides)
{
    struct Listing {
        Side *side;
        FileEntry *root;
        FileFilter filter;  // one each: the two walks run at once
        bool listed = true;
        QString failedFolder;
    };
    Listing left{sides.Left.get(), m_result.LeftList.get(), FileFilter(m_job), true, {}};
    Listing right{sides.Right.get(), m_result.RightList.get(), FileFilter(m_job), true, {}};
    const auto list = [this](Listing &l) {
        if (!l.side || m_job.Cancelled())
            return;
        l.side->SetListingProgress(&m_listing);
        l.listed = l.side->List(*l.root, l.filter, l.failedFolder);
    };
    // The local folder is walked while the server answers: the analysis waits for the
    // slower side, not for both in turn. The right side stays on this thread, which
    // holds the run's cancel watch.
    std::thread leftWalk(list, std::ref(left));
    list(right);
    leftWalk.join();
    for (const Listing *l : {&left, &right}) {
        if (!l->listed && !m_job.Cancelled()) {
            // Half a listing would offer to copy back everything it missed.
            m_result.FailedFolder = l->failedFolder;
            m_result.FailureReason = l->side->FailureReason();
            return false;
        }
    }
    for (const Listing *l : {&left, &right})
        if (l->side)
            if (const QString notice = l->side->TakeNotice(); !notice.isEmpty())
                m_listener.Notice(notice);
    return !m_job.Cancelled();
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

    // A Cancel also ends a connection attempt, a listing or a transfer under way.
    const FtpSession::CancelWatch cancelWatch(FtpSession::Global(), m_job.CancelFlag);
    SidePair sides(m_job);
    if (const int failed = CheckSides(sides)) {
        m_result.Cancelled = m_job.Cancelled();
        if (!m_result.Cancelled)
            m_listener.SyncConnectFailed(failed);
        return;
    }
    m_result.Reached = true;
    // The other connections log in while the state files are read and the local folder
    // walked; whatever ends the analysis, their logins end before the job's cancel flag
    // they watch may go.
    struct JoinLogins {
        ~JoinLogins() { FtpSessionPool::Global().JoinOpening(); }
    } joinLogins;
    if (sides.Right)
        sides.Right->OpenConnectionsAhead();

    // Before anything is read: a listing must not show what an interrupted copy left.
    Recovery::Run(m_job, sides, m_listener);
    LoadStateTrees(sides);
    // A state file that could not be read for a lost connection is not a missing one.
    if (sides.Right && sides.Right->Lost() && !m_job.Cancelled()) {
        m_result.FailedFolder = sides.Right->Base() + QStringLiteral("/__FileSync__/");
        m_result.FailureReason = sides.Right->FailureReason();
        return;
    }
    if (!ListSides(sides)) {
        m_result.Cancelled = m_job.Cancelled();
        return;
    }
    m_listener.SyncProgress(m_result.LeftList->FileCount() + m_result.RightList->FileCount(), 0);

    MarkChanges(*m_result.LeftList, *m_result.LeftState);
    MarkChanges(*m_result.RightList, *m_result.RightState);

    Pairing pairing(m_job, m_listener);
    m_result.Completed = pairing.PairLevel(*m_result.LeftList, *m_result.RightList, *m_result.ResultRoot);
    m_result.Cancelled = !m_result.Completed;
}
