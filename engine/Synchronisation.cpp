#include "engine/Synchronisation.h"

#include "engine/AnalysisResult.h"
#include "engine/JobLock.h"
#include "engine/JobNameCheck.h"
#include "engine/JobSidesCheck.h"
#include "engine/Recovery.h"
#include "engine/RowTree.h"
#include "engine/RunLog.h"
#include "engine/SidePair.h"
#include "engine/SidePaths.h"
#include "engine/SyncAction.h"
#include "engine/TransferWorkers.h"
#include "folders/FileEntry.h"
#include "folders/Side.h"
#include "folders/StateFile.h"
#include "model/Job.h"
#include "platform/FtpSession.h"
#include "platform/FtpSessionPool.h"

#include <QScopeGuard>
#include <algorithm>
#include <optional>

using namespace SidePaths;

namespace {

constexpr int32_t DirectionNone = 0;

// The success line's arrow follows the action; when the user turned a row around (or made
// an equal file travel), report the action of the copy that was really made.
int32_t ReportedAction(int32_t action, bool toLeft)
{
    if (toLeft ? TravelsToLeft(action) : TravelsToRight(action))
        return action;
    return toLeft ? saUpdateLeft : saUpdateRight;
}

}  // namespace

void Synchronisation::Progress()
{
    m_listener.SyncProgress(0, m_visited);
}

std::unique_ptr<FileTransfer> Synchronisation::MakeTransfer(Side &left, Side &right)
{
    return std::make_unique<FileTransfer>(left, right, m_rows, m_result, m_programFolder, m_job, m_journal, m_madeFolders);
}

std::unique_ptr<TransferWorkers> Synchronisation::MakeWorkers(int32_t travelling)
{
    FtpSessionPool &pool = FtpSessionPool::Global();
    if (!m_right->CopiesOnFtpConnections() || pool.Connections() < 2 || travelling < 2)
        return nullptr;
    pool.JoinOpening();
    QList<FtpSession *> sessions{&pool.Primary()};
    sessions.append(pool.Extra());
    // No connection is opened for a file that is not there.
    sessions.resize(std::min<qsizetype>(sessions.size(), travelling));
    return std::make_unique<TransferWorkers>(*m_left, *m_right, sessions, m_job.CancelFlag,
                                             [this](Side &left, Side &right) { return MakeTransfer(left, right); });
}

void Synchronisation::Starts(const FileTransfer::Task &task)
{
    m_texts.CurrentItem = task.Name;
    m_listener.SyncItem(task.ToLeft ? EngineListener::ItemDownloadStarts : EngineListener::ItemUploadStarts, 0, m_texts);
}

bool Synchronisation::SyncFile(Row &row)
{
    const std::optional<FileTransfer::Task> task = FileTransfer::TaskOf(row, m_rows);
    if (!task) {
        ++m_visited;
        Progress();
        return true;
    }
    m_texts.CurrentItem = task->Name;
    const std::unique_ptr<FileTransfer> transfer = MakeTransfer(*m_left, *m_right);
    transfer->SetStarting([&](bool) { Starts(*task); });
    return Finish(*task, transfer->Run(*task));
}

bool Synchronisation::Finish(const FileTransfer::Task &task, const FileTransfer::Outcome &outcome)
{
    Row &row = *task.Target;
    if (!outcome.Copied) {
        ++m_visited;
        // A Cancel that cut the copy short leaves the file as it was: not done, not failed.
        if (m_job.Cancelled()) {
            Progress();
            return false;
        }
        ++m_texts.ErrorCount;
        m_texts.CurrentItem = outcome.RightPath;
        if (outcome.FailureNamed)
            m_texts.FailureReason = RunLog::CopyFailureText(outcome.FailedAtLeft, outcome.Reason);
        m_listener.SyncItem(task.ToLeft ? EngineListener::ItemReadFailed : EngineListener::ItemWriteFailed, 0, m_texts);
        m_texts.FailureReason.clear();
        {
            std::lock_guard lock(m_rows.Mutex());
            row.Data.CopyFailed = true;
        }
        if (m_rowUpdated)
            m_rowUpdated(&row);
        Progress();
        if (outcome.Lost) {
            m_outcome = Outcome::Stopped;
            m_stopReason = outcome.LostReason;
            return false;
        }
        return true;
    }
    m_left->Record(outcome.LeftPath, m_left->Probe(outcome.LeftPath), *m_result.LeftState);

    ++m_visited;
    ++m_texts.SyncedCount;
    m_texts.CurrentLeftPath = outcome.LeftPath;
    m_texts.CurrentRightPath = outcome.RightPath;
    m_listener.SyncItem(EngineListener::ItemSucceeded, ReportedAction(task.Action, task.ToLeft), m_texts);
    Progress();
    {
        std::lock_guard lock(m_rows.Mutex());
        RowValues::MarkCopied(row.Data);
    }
    m_copied.push_back(&row);
    if (m_rowUpdated)
        m_rowUpdated(&row);
    return true;
}

int32_t Synchronisation::Travelling(const Row &node) const
{
    int32_t count = 0;
    for (int i = 0; i < node.ChildCount(); ++i) {
        const Row &child = *node.Child(i);
        if (child.Data.Kind == 1)
            count += Travelling(child);
        else if (child.Data.Direction != DirectionNone && !(child.Data.LeftPath.isEmpty() && child.Data.RightPath.isEmpty()))
            ++count;
    }
    return count;
}

void Synchronisation::ShowRecordedValues()
{
    // A side may read what it wrote only when it saves its state, so the rows learn their
    // new times and sizes from the state trees, after the save.
    const auto recorded = [](Side &side, const QString &path, const FileEntry &state) {
        return path.isEmpty() ? nullptr : StateFile::RecordedEntry(RelativeTo(path, side.Base()), state);
    };
    for (Row *row : m_copied) {
        {
            std::lock_guard lock(m_rows.Mutex());
            const FileEntry *left = recorded(*m_left, row->Data.LeftPath, *m_result.LeftState);
            const FileEntry *right = recorded(*m_right, row->Data.RightPath, *m_result.RightState);
            RowValues::ShowRecorded(row->Data, left ? left->FileTime : row->Data.LeftTime,
                                    left ? left->FileSize : row->Data.LeftSize,
                                    right ? right->FileTime : row->Data.RightTime,
                                    right ? right->FileSize : row->Data.RightSize);
        }
        if (m_rowUpdated)
            m_rowUpdated(row);
    }
    m_copied.clear();
}

bool Synchronisation::Walk(Row &node)
{
    for (int i = 0;; ++i) {
        Row *child;
        bool folder;
        {
            std::lock_guard lock(m_rows.Mutex());
            if (i >= node.ChildCount())
                return true;
            child = node.Child(i);
            folder = child->Data.Kind == 1;
        }
        if (folder) {
            if (!Walk(*child))
                return false;
            continue;
        }
        if (m_job.Cancelled() || !SyncFile(*child))
            return false;
    }
}

void Synchronisation::Queue(Row &node, TransferWorkers &workers)
{
    std::vector<std::pair<Row *, bool>> children;  // (row, folder?)
    {
        std::lock_guard lock(m_rows.Mutex());
        for (int i = 0; i < node.ChildCount(); ++i)
            children.emplace_back(node.Child(i), node.Child(i)->Data.Kind == 1);
    }
    for (const auto &[child, folder] : children) {
        if (folder) {
            Queue(*child, workers);
        } else if (const std::optional<FileTransfer::Task> task = FileTransfer::TaskOf(*child, m_rows)) {
            workers.Add(*task);
        } else {
            ++m_visited;
            Progress();
        }
    }
}

bool Synchronisation::WalkParallel(Row &root, TransferWorkers &workers)
{
    // In walk order: a worker makes the folders a file needs before it copies the file.
    Queue(root, workers);
    bool going = true;
    while (const std::optional<TransferWorkers::Done> done = workers.Next()) {
        Starts(done->Task);
        if (!Finish(done->Task, done->Outcome) || m_job.Cancelled()) {
            // The copies under way end and are counted; no other starts.
            going = false;
            workers.Drop();
        }
    }
    return going && !m_job.Cancelled();
}

void Synchronisation::SaveStateTrees()
{
    if (!m_left->SaveState(m_job.SyncName, *m_result.LeftState, &m_journal))
        m_unsavedStates.append({true, m_left->FailureReason()});
    // A side without a state file (a local right side) writes nothing.
    if (!m_right->SaveState(m_job.SyncName, *m_result.RightState, &m_journal) && m_job.RFolder.DeviceType == DeviceFtp)
        m_unsavedStates.append({false, m_right->FailureReason()});
}

void Synchronisation::Execute()
{
    m_texts = EngineTexts();
    m_visited = 0;
    m_runningElsewhere = false;
    m_outcome = Outcome::Done;
    m_stopReason.clear();
    m_notDone = 0;
    m_unsavedStates.clear();
    // Without a finished analysis the state trees may be empty or partial, and writing
    // them would wipe each side's record of earlier copies.
    if (!m_result.Completed || !IsUsableJobName(m_job.SyncName))
        return;
    if (!HasSupportedSides(m_job))
        return;
    JobLock jobLock(m_job);
    if (!jobLock.Acquire()) {
        m_runningElsewhere = true;
        return;
    }
    SidePair sides(m_job);
    m_left = sides.Left.get();
    m_right = sides.Right.get();
    m_bytesMoved = 0;
    m_right->SetMeter(&m_bytesMoved);
    const auto stopMeter = qScopeGuard([right = m_right] { right->SetMeter(nullptr); });
    {
        // What an earlier run left is put right first; a server that stalls meanwhile
        // must not keep a Cancel waiting.
        const FtpSession::CancelWatch recoveryWatch(FtpSession::Global(), m_job.CancelFlag);
        Recovery::Run(m_job, sides, m_listener, m_journal);
    }
    // The walk goes folder by folder: one reading of a folder serves all its files.
    m_left->KeepFolderListings(m_result.LeftList.get());
    m_right->KeepFolderListings(m_result.RightList.get());
    Row *root;
    int32_t travelling = 0;
    {
        std::lock_guard lock(m_rows.Mutex());
        root = m_rows.RootNode();
        if (root)
            travelling = Travelling(*root);
    }
    bool walked = true;
    // A Cancel also ends the transfers under way, on an FTP or an SFTP side.
    std::optional<FtpSession::CancelWatch> cancelWatch;
    if (root) {
        if (const std::unique_ptr<TransferWorkers> workers = MakeWorkers(travelling)) {
            walked = WalkParallel(*root, *workers);
            // The written files' times are read one listing per folder: on every connection.
            if (walked)
                workers->OnEveryConnection([](Side &left, Side &right) {
                    left.RecordWrittenNow();
                    right.RecordWrittenNow();
                });
        } else {
            cancelWatch.emplace(FtpSession::Global(), m_job.CancelFlag);
            walked = Walk(*root);
        }
    }
    if (!cancelWatch)
        cancelWatch.emplace(FtpSession::Global(), m_job.CancelFlag);
    if (!walked && m_outcome == Outcome::Done)
        m_outcome = Outcome::Cancelled;
    if (m_outcome != Outcome::Done)
        m_notDone = travelling - m_texts.SyncedCount - m_texts.ErrorCount;
    // The state of the files copied is written also after a cancel, unless the server
    // leaves it unanswered for longer than the short time a cancelled run is given.
    cancelWatch->Settle();
    // No copy runs any more: folders made for nothing go.
    m_madeFolders.RemoveEmpty(*m_left, *m_right);
    SaveStateTrees();
    m_journal.Close();
    ShowRecordedValues();
    m_left = m_right = nullptr;
}
