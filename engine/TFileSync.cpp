#include "engine/TFileSync.h"

#include "engine/TAnalysisResult.h"
#include "engine/TJobLock.h"
#include "engine/TJobSides.h"
#include "engine/TRecovery.h"
#include "engine/TRowTree.h"
#include "engine/JobNameCheck.h"
#include "engine/JobSidesCheck.h"
#include "engine/TSidePaths.h"
#include "engine/TSyncAction.h"
#include "folders/TSafeCopy.h"
#include "folders/TSideAccess.h"
#include "model/TSyncTask.h"

#include <QDir>

using namespace TSidePaths;

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

}  // namespace

void TFileSync::Progress()
{
    m_listener.SyncProgress(0, m_visited);
}

bool TFileSync::Copy(TSideAccess &source, const QString &sourcePath, TSideAccess &target,
                     const QString &targetPath, const QString &targetFolder)
{
    return TSafeCopy::Copy(source, sourcePath, target, targetPath, &m_journal, targetFolder);
}

bool TFileSync::CopyToLeft(TSyncNode &row, QString &leftPath, const QString &rightPath)
{
    const QString leftBase = m_left->Base();
    bool usable = true;
    if (leftPath.isEmpty()) {
        const QString relative = RelativeTo(rightPath, m_right->Base());
        // The analysis saw no left copy. Something there now was filtered out (the two sides
        // can differ in size, time or attributes) or made since: the user was never shown it
        // would be replaced, so it is not.
        usable = StaysInside(relative) && m_left->Probe(leftBase + relative).Type == TSideEntry::Missing;
        if (usable) {
            m_left->MakeFolders(relative);
            leftPath = leftBase + relative;
            std::lock_guard lock(m_rows.Mutex());
            row.Data.LeftPath = leftPath;
        }
    }
    m_listener.SyncItem(TEngineListener::ItemDownloadStarts, 0, m_texts);
    if (!usable)
        return false;
    // The state records the right copy as listed before it was read: a copy that changed
    // since is read as it is now and only found changed again by the next analysis.
    const TSideEntry seen = m_right->ListedEntry(rightPath);
    if (seen.Type != TSideEntry::File || !Copy(*m_right, rightPath, *m_left, leftPath, m_job.LFolder.FolerAllName))
        return false;
    m_right->Record(rightPath, seen, *m_result.RightState);
    return true;
}

bool TFileSync::CopyToRight(TSyncNode &row, const QString &leftPath, QString &rightPath)
{
    const QString rightBase = m_right->Base();
    bool unseen = true;
    if (rightPath.isEmpty()) {
        const QString relative = RelativeTo(leftPath, m_left->Base());
        rightPath = rightBase + relative;
        // As for a copy to the left: a right copy the analysis did not see is never replaced.
        unseen = m_right->Probe(rightPath).Type == TSideEntry::Missing;
        if (unseen) {
            m_right->MakeFolders(relative);
            std::lock_guard lock(m_rows.Mutex());
            row.Data.RightPath = rightPath;
        }
    }
    m_listener.SyncItem(TEngineListener::ItemUploadStarts, 0, m_texts);
    if (!unseen || m_left->Probe(leftPath).Type != TSideEntry::File)
        return false;
    // A failed save does not stop the copy.
    if (m_job.SaveOldFile == 1 && m_right->Probe(rightPath).Type == TSideEntry::File)
        TSafeCopy::SaveCopy(*m_right, rightPath,
                            QDir::cleanPath(SaveFolder(m_programFolder, m_job) + RelativeTo(rightPath, rightBase)));
    if (!Copy(*m_left, leftPath, *m_right, rightPath, m_job.RFolder.FolerAllName))
        return false;
    m_right->RecordWritten(rightPath, *m_result.RightState);
    return true;
}

void TFileSync::SyncFile(TSyncNode &row)
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
        return;
    }

    m_texts.CurrentItem = name;
    const bool toLeft = direction == DirectionToLeft;
    const bool ok = toLeft ? CopyToLeft(row, leftPath, rightPath) : CopyToRight(row, leftPath, rightPath);
    if (!ok) {
        ++m_texts.ErrorCount;
        m_texts.CurrentItem = rightPath;
        m_listener.SyncItem(toLeft ? TEngineListener::ItemReadFailed : TEngineListener::ItemWriteFailed, 0, m_texts);
        ++m_visited;
        Progress();
        return;
    }
    m_left->Record(leftPath, m_left->Probe(leftPath), *m_result.LeftState);

    ++m_visited;
    ++m_texts.SyncedCount;
    m_texts.CurrentLeftPath = leftPath;
    m_texts.CurrentRightPath = rightPath;
    m_listener.SyncItem(TEngineListener::ItemSucceeded, ReportedAction(action, toLeft), m_texts);
    Progress();
    {
        std::lock_guard lock(m_rows.Mutex());
        RowValues::MarkCopied(row.Data);
    }
    if (m_rowUpdated)
        m_rowUpdated(&row);
}

bool TFileSync::Walk(TSyncNode &node)
{
    for (int i = 0;; ++i) {
        TSyncNode *child;
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
        if (m_job.Cancelled())
            return false;
        SyncFile(*child);
    }
}

void TFileSync::SaveStateTrees()
{
    // A side without a state file (a local right side) writes nothing.
    m_left->SaveState(m_job.SyncName, *m_result.LeftState, &m_journal);
    m_right->SaveState(m_job.SyncName, *m_result.RightState, &m_journal);
}

void TFileSync::Execute()
{
    m_texts = TEngineTexts();
    m_visited = 0;
    m_runningElsewhere = false;
    // Without a finished analysis the state trees may be empty or partial, and writing
    // them would wipe each side's record of earlier copies.
    if (!m_result.Completed || !IsUsableJobName(m_job.SyncName))
        return;
    if (!HasSupportedSides(m_job))
        return;
    TJobLock jobLock(m_job);
    if (!jobLock.Acquire()) {
        m_runningElsewhere = true;
        return;
    }
    TJobSides sides(m_job);
    m_left = sides.Left.get();
    m_right = sides.Right.get();
    TRecovery::Run(m_job, sides, m_listener, m_journal);
    // The walk goes folder by folder: one reading of a folder serves all its files.
    m_left->KeepFolderListings(m_result.LeftList.get());
    m_right->KeepFolderListings(m_result.RightList.get());
    TSyncNode *root;
    {
        std::lock_guard lock(m_rows.Mutex());
        root = m_rows.RootNode();
    }
    if (root)
        Walk(*root);
    SaveStateTrees();
    m_left = m_right = nullptr;
}
