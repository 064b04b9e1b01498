#include "engine/TFileSync.h"

#include "engine/TAnalysisResult.h"
#include "engine/TLocalCopy.h"
#include "engine/TRowTree.h"
#include "engine/JobNameCheck.h"
#include "engine/JobSidesCheck.h"
#include "engine/TSidePaths.h"
#include "engine/TSyncAction.h"
#include "folders/KeepAside.h"
#include "folders/TFTPFile.h"
#include "folders/TWinFile.h"
#include "model/TSyncTask.h"

#include <QFileInfo>

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

bool TFileSync::CopyToLeft(TSyncNode &row, QString &leftPath, const QString &rightPath)
{
    const QString leftBase = LocalBase(m_job.LFolder);
    bool usable = true;
    if (leftPath.isEmpty()) {
        const QString relative = RelativeTo(rightPath, SideBase(m_job.RFolder));
        // The analysis saw no left copy. Something there now was filtered out (the two sides
        // can differ in size, time or attributes) or made since: the user was never shown it
        // would be replaced, so it is not.
        usable = StaysInside(relative) && !KeepAside::LocalExists(leftBase + relative);
        if (usable) {
            TWinFile::ForceFolders(relative, leftBase);
            leftPath = leftBase + relative;
            std::lock_guard lock(m_rows.Mutex());
            row.Data.LeftPath = leftPath;
        }
    }
    m_listener.SyncItem(TEngineListener::ItemDownloadStarts, 0, m_texts);
    if (!usable)
        return false;
    if (m_job.RFolder.DeviceType == DeviceFtp)
        return TFTPFile::SyncDownload(rightPath, leftPath, *m_result.RightState, m_job.RFolder);
    if (!TLocalCopy::CopyReplacing(rightPath, leftPath))
        return false;
    TWinFile::RecordFile(rightPath, LocalBase(m_job.RFolder), *m_result.RightState);
    return true;
}

bool TFileSync::CopyToRight(TSyncNode &row, const QString &leftPath, QString &rightPath)
{
    const bool ftp = m_job.RFolder.DeviceType == DeviceFtp;
    const QString rightBase = SideBase(m_job.RFolder);
    bool unseen = true;
    if (rightPath.isEmpty()) {
        const QString relative = RelativeTo(leftPath, LocalBase(m_job.LFolder));
        rightPath = rightBase + relative;
        // As for a copy to the left: a right copy the analysis did not see is never replaced.
        unseen = !(ftp ? TFTPFile::RemoteEntryExists(rightPath, m_job.RFolder) : KeepAside::LocalExists(rightPath));
        if (unseen) {
            if (ftp)
                TFTPFile::ForceRemoteFolders(relative, m_job.RFolder);
            else
                TWinFile::ForceFolders(relative, rightBase);
            std::lock_guard lock(m_rows.Mutex());
            row.Data.RightPath = rightPath;
        }
    }
    m_listener.SyncItem(TEngineListener::ItemUploadStarts, 0, m_texts);
    if (!unseen)
        return false;
    const QString saveFolder = SaveFolder(m_programFolder, m_job);
    if (ftp)
        return TFTPFile::SyncUpload(leftPath, saveFolder, m_job.SaveOldFile, *m_result.RightState, m_job.RFolder,
                                    rightPath);
    if (m_job.SaveOldFile == 1 && QFileInfo(rightPath).isFile())
        TLocalCopy::SaveCopy(rightPath, saveFolder + RelativeTo(rightPath, rightBase));
    if (!TLocalCopy::CopyReplacing(leftPath, rightPath))
        return false;
    TWinFile::RecordFile(rightPath, rightBase, *m_result.RightState);
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
    if (direction == DirectionNone) {
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
    TWinFile::RecordFile(leftPath, LocalBase(m_job.LFolder), *m_result.LeftState);

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
    if (m_job.LFolder.DeviceType == DeviceLocal) {
        m_result.LeftState->Title = m_job.LFolder.FolerAllName;
        TWinFile::SaveStateFile(LeftStateFile(m_job), LocalBase(m_job.LFolder), *m_result.LeftState);
    }
    if (m_job.RFolder.DeviceType == DeviceFtp) {
        m_result.RightState->Title = m_job.RFolder.FolerAllName;
        TFTPFile::SaveStateFile(m_job.SyncName, m_job.RFolder, *m_result.RightState);
    }
}

void TFileSync::Execute()
{
    m_texts = TEngineTexts();
    m_visited = 0;
    // Without a finished analysis the state trees may be empty or partial, and writing
    // them would wipe each side's record of earlier copies.
    if (!m_result.Completed || !IsUsableJobName(m_job.SyncName))
        return;
    if (!HasSupportedSides(m_job))
        return;
    TSyncNode *root;
    {
        std::lock_guard lock(m_rows.Mutex());
        root = m_rows.RootNode();
    }
    if (root)
        Walk(*root);
    SaveStateTrees();
}
