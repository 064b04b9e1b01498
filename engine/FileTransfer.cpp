#include "engine/FileTransfer.h"

#include "engine/AnalysisResult.h"
#include "engine/MadeFolders.h"
#include "engine/RowTree.h"
#include "engine/SidePaths.h"
#include "folders/FileEntry.h"
#include "folders/SafeCopy.h"
#include "folders/Side.h"
#include "model/Job.h"

#include <QDir>

using namespace SidePaths;

namespace {

constexpr int32_t DirectionNone = 0;
constexpr int32_t DirectionToLeft = 1;

}  // namespace

std::optional<FileTransfer::Task> FileTransfer::TaskOf(Row &row, RowTree &rows)
{
    Task task;
    int32_t direction;
    {
        std::lock_guard lock(rows.Mutex());
        direction = row.Data.Direction;
        task.Action = row.Data.Action;
        task.Name = row.Data.Name;
        task.LeftPath = row.Data.LeftPath;
        task.RightPath = row.Data.RightPath;
    }
    if (direction == DirectionNone || (task.LeftPath.isEmpty() && task.RightPath.isEmpty()))
        return std::nullopt;
    task.Target = &row;
    task.ToLeft = direction == DirectionToLeft;
    return task;
}

FileTransfer::Outcome FileTransfer::Run(const Task &task)
{
    Outcome outcome;
    outcome.LeftPath = task.LeftPath;
    outcome.RightPath = task.RightPath;
    m_failedAt = nullptr;
    m_failure.clear();
    outcome.Copied = task.ToLeft ? copyToLeft(*task.Target, outcome.LeftPath, outcome.RightPath)
                                 : copyToRight(*task.Target, outcome.LeftPath, outcome.RightPath);
    if (outcome.Copied)
        return outcome;
    outcome.FailureNamed = m_failedAt != nullptr;
    outcome.FailedAtLeft = m_failedAt == &m_left;
    outcome.Reason = m_failure;
    for (Side *side : {&m_right, &m_left})
        if (side->Lost()) {
            // The session has tried a new connection already.
            outcome.Lost = true;
            outcome.LostReason = side->FailureReason();
            break;
        }
    return outcome;
}

bool FileTransfer::copy(Side &source, const QString &sourcePath, Side &target, const QString &targetPath,
                        const QString &targetFolder)
{
    SafeCopy::Failure failure;
    if (SafeCopy::Copy(source, sourcePath, target, targetPath, &m_journal, targetFolder, &failure))
        return true;
    m_failedAt = failure.At;
    m_failure = failure.Reason;
    return false;
}

bool FileTransfer::copyToLeft(Row &row, QString &leftPath, const QString &rightPath)
{
    const QString leftBase = m_left.Base();
    bool usable = true;
    QString made;
    if (leftPath.isEmpty()) {
        const QString relative = RelativeTo(rightPath, m_right.Base());
        leftPath = leftBase + relative;
        // The analysis saw no left copy. Something there now was filtered out (the two sides
        // can differ in size, time or attributes) or made since: the user was never shown it
        // would be replaced, so it is not.
        usable = StaysInside(relative) && m_left.Probe(leftPath).Type == SideEntry::Missing;
        if (usable) {
            made = m_left.MakeFolders(relative);
            std::lock_guard lock(m_rows.Mutex());
            row.Data.LeftPath = leftPath;
        }
    }
    starting(true);
    if (!usable) {
        m_failedAt = &m_left;
        m_failure = QStringLiteral("a file the analysis did not see is in the way: ") + leftPath;
        return false;
    }
    // The state records the right copy as listed before it was read: a copy that changed
    // since is read as it is now and only found changed again by the next analysis.
    const SideEntry seen = m_right.ListedEntry(rightPath);
    if (seen.Type != SideEntry::File) {
        m_failedAt = &m_right;
        m_failure = m_right.Lost() ? m_right.FailureReason() : QStringLiteral("no longer there: ") + rightPath;
    }
    if (seen.Type != SideEntry::File || !copy(m_right, rightPath, m_left, leftPath, m_job.LFolder.FolerAllName)) {
        // No folder stays behind for a file that was not copied.
        m_madeFolders.Add(true, made, leftPath);
        return false;
    }
    m_right.Record(rightPath, seen, *m_result.RightState);
    return true;
}

bool FileTransfer::copyToRight(Row &row, const QString &leftPath, QString &rightPath)
{
    const QString rightBase = m_right.Base();
    bool unseen = true;
    QString made;
    if (rightPath.isEmpty()) {
        const QString relative = RelativeTo(leftPath, m_left.Base());
        rightPath = rightBase + relative;
        // As for a copy to the left: a right copy the analysis did not see is never replaced.
        unseen = m_right.Probe(rightPath).Type == SideEntry::Missing;
        if (unseen) {
            made = m_right.MakeFolders(relative);
            std::lock_guard lock(m_rows.Mutex());
            row.Data.RightPath = rightPath;
        }
    }
    starting(false);
    if (!unseen) {
        m_failedAt = &m_right;
        m_failure = m_right.Lost() ? m_right.FailureReason()
                                   : QStringLiteral("a file the analysis did not see is in the way: ") + rightPath;
        return false;
    }
    if (m_left.Probe(leftPath).Type != SideEntry::File) {
        m_failedAt = &m_left;
        m_failure = QStringLiteral("no longer there: ") + leftPath;
        m_madeFolders.Add(false, made, rightPath);
        return false;
    }
    // A failed save does not stop the copy.
    if (m_job.SaveOldFile == 1 && m_right.Probe(rightPath).Type == SideEntry::File)
        SafeCopy::SaveCopy(m_right, rightPath,
                           QDir::cleanPath(SaveFolder(m_programFolder, m_job) + RelativeTo(rightPath, rightBase)));
    if (!copy(m_left, leftPath, m_right, rightPath, m_job.RFolder.FolerAllName)) {
        m_madeFolders.Add(false, made, rightPath);
        return false;
    }
    m_right.RecordWritten(rightPath, *m_result.RightState);
    return true;
}
