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
#include "folders/FileEntry.h"
#include "folders/SafeCopy.h"
#include "folders/Side.h"
#include "folders/StateFile.h"
#include "model/Job.h"
#include "platform/FtpSession.h"

#include <QDir>

using namespace SidePaths;

namespace {

constexpr int32_t DirectionNone = 0;
constexpr int32_t DirectionToLeft = 1;

// The success line's arrow follows the action; when the user turned a row around (or made
// an equal file travel), report the action of the copy that was really made.
int32_t ReportedAction(int32_t action, bool toLeft)
{
    if (toLeft ? TravelsToLeft(action) : TravelsToRight(action))
        return action;
    return toLeft ? saUpdateLeft : saUpdateRight;
}

// Removes the empty folders made for path, from path's folder up to made.
void RemoveMadeFolders(Side &side, const QString &made, const QString &path)
{
    if (made.isEmpty())
        return;
    for (QString folder = path.left(path.lastIndexOf(u'/')); folder.size() >= made.size();
         folder = folder.left(folder.lastIndexOf(u'/')))
        if (!side.RemoveEmptyFolder(folder))
            return;
}

}  // namespace

void Synchronisation::Progress()
{
    m_listener.SyncProgress(0, m_visited);
}

bool Synchronisation::Copy(Side &source, const QString &sourcePath, Side &target,
                           const QString &targetPath, const QString &targetFolder)
{
    return SafeCopy::Copy(source, sourcePath, target, targetPath, &m_journal, targetFolder, &m_failure);
}

bool Synchronisation::CopyToLeft(Row &row, QString &leftPath, const QString &rightPath)
{
    const QString leftBase = m_left->Base();
    bool usable = true;
    QString made;
    if (leftPath.isEmpty()) {
        const QString relative = RelativeTo(rightPath, m_right->Base());
        leftPath = leftBase + relative;
        // The analysis saw no left copy. Something there now was filtered out (the two sides
        // can differ in size, time or attributes) or made since: the user was never shown it
        // would be replaced, so it is not.
        usable = StaysInside(relative) && m_left->Probe(leftPath).Type == SideEntry::Missing;
        if (usable) {
            made = m_left->MakeFolders(relative);
            std::lock_guard lock(m_rows.Mutex());
            row.Data.LeftPath = leftPath;
        }
    }
    m_listener.SyncItem(EngineListener::ItemDownloadStarts, 0, m_texts);
    if (!usable) {
        m_failure = {m_left, QStringLiteral("a file the analysis did not see is in the way: ") + leftPath};
        return false;
    }
    // The state records the right copy as listed before it was read: a copy that changed
    // since is read as it is now and only found changed again by the next analysis.
    const SideEntry seen = m_right->ListedEntry(rightPath);
    if (seen.Type != SideEntry::File)
        m_failure = {m_right, m_right->Lost() ? m_right->FailureReason() : QStringLiteral("no longer there: ") + rightPath};
    if (seen.Type != SideEntry::File || !Copy(*m_right, rightPath, *m_left, leftPath, m_job.LFolder.FolerAllName)) {
        // No folder stays behind for a file that was not copied.
        RemoveMadeFolders(*m_left, made, leftPath);
        return false;
    }
    m_right->Record(rightPath, seen, *m_result.RightState);
    return true;
}

bool Synchronisation::CopyToRight(Row &row, const QString &leftPath, QString &rightPath)
{
    const QString rightBase = m_right->Base();
    bool unseen = true;
    QString made;
    if (rightPath.isEmpty()) {
        const QString relative = RelativeTo(leftPath, m_left->Base());
        rightPath = rightBase + relative;
        // As for a copy to the left: a right copy the analysis did not see is never replaced.
        unseen = m_right->Probe(rightPath).Type == SideEntry::Missing;
        if (unseen) {
            made = m_right->MakeFolders(relative);
            std::lock_guard lock(m_rows.Mutex());
            row.Data.RightPath = rightPath;
        }
    }
    m_listener.SyncItem(EngineListener::ItemUploadStarts, 0, m_texts);
    if (!unseen) {
        m_failure = {m_right, m_right->Lost() ? m_right->FailureReason()
                                              : QStringLiteral("a file the analysis did not see is in the way: ") + rightPath};
        return false;
    }
    if (m_left->Probe(leftPath).Type != SideEntry::File) {
        m_failure = {m_left, QStringLiteral("no longer there: ") + leftPath};
        RemoveMadeFolders(*m_right, made, rightPath);
        return false;
    }
    // A failed save does not stop the copy.
    if (m_job.SaveOldFile == 1 && m_right->Probe(rightPath).Type == SideEntry::File)
        SafeCopy::SaveCopy(*m_right, rightPath,
                           QDir::cleanPath(SaveFolder(m_programFolder, m_job) + RelativeTo(rightPath, rightBase)));
    if (!Copy(*m_left, leftPath, *m_right, rightPath, m_job.RFolder.FolerAllName)) {
        RemoveMadeFolders(*m_right, made, rightPath);
        return false;
    }
    m_right->RecordWritten(rightPath, *m_result.RightState);
    return true;
}

bool Synchronisation::SyncFile(Row &row)
{
    int32_t direction, action;
    QString name, leftPath, rightPath;
    {
        std::lock_guard lock(m_rows.Mutex());
        direction = row.Data.Direction;
        action = row.Data.Action;
        name = row.Data.Name;
        leftPath = row.Data.LeftPath;
        rightPath = row.Data.RightPath;
    }
    // A row whose only copy the user deleted has nothing left to copy.
    if (direction == DirectionNone || (leftPath.isEmpty() && rightPath.isEmpty())) {
        ++m_visited;
        Progress();
        return true;
    }

    m_texts.CurrentItem = name;
    const bool toLeft = direction == DirectionToLeft;
    m_failure = SafeCopy::Failure();
    const bool ok = toLeft ? CopyToLeft(row, leftPath, rightPath) : CopyToRight(row, leftPath, rightPath);
    if (!ok) {
        ++m_visited;
        // A Cancel that cut the copy short leaves the file as it was: not done, not failed.
        if (m_job.Cancelled()) {
            Progress();
            return false;
        }
        ++m_texts.ErrorCount;
        m_texts.CurrentItem = rightPath;
        if (m_failure.At)
            m_texts.FailureReason = RunLog::CopyFailureText(m_failure.At == m_left, m_failure.Reason);
        m_listener.SyncItem(toLeft ? EngineListener::ItemReadFailed : EngineListener::ItemWriteFailed, 0, m_texts);
        m_texts.FailureReason.clear();
        {
            std::lock_guard lock(m_rows.Mutex());
            row.Data.CopyFailed = true;
        }
        if (m_rowUpdated)
            m_rowUpdated(&row);
        Progress();
        for (Side *side : {m_right, m_left}) {
            if (side->Lost()) {
                // The session has tried a new connection already: every further copy would fail.
                m_outcome = Outcome::Stopped;
                m_stopReason = side->FailureReason();
                return false;
            }
        }
        return true;
    }
    m_left->Record(leftPath, m_left->Probe(leftPath), *m_result.LeftState);

    ++m_visited;
    ++m_texts.SyncedCount;
    m_texts.CurrentLeftPath = leftPath;
    m_texts.CurrentRightPath = rightPath;
    m_listener.SyncItem(EngineListener::ItemSucceeded, ReportedAction(action, toLeft), m_texts);
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
    Recovery::Run(m_job, sides, m_listener, m_journal);
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
    // A Cancel also ends the transfer under way.
    FtpSession::CancelWatch cancelWatch(FtpSession::Global(), m_job.CancelFlag);
    const bool walked = !root || Walk(*root);
    if (!walked && m_outcome == Outcome::Done)
        m_outcome = Outcome::Cancelled;
    if (m_outcome != Outcome::Done)
        m_notDone = travelling - m_texts.SyncedCount - m_texts.ErrorCount;
    // The state of the files copied is written also after a cancel, unless the server
    // leaves it unanswered for longer than the short time a cancelled run is given.
    cancelWatch.Settle();
    SaveStateTrees();
    ShowRecordedValues();
    m_left = m_right = nullptr;
}
