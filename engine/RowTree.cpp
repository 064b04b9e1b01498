#include "engine/RowTree.h"

#include "engine/SyncAction.h"
#include "engine/ResultEntry.h"
#include "model/Job.h"

namespace {

constexpr int32_t LeftToRightOnly = 1;
constexpr int32_t RightToLeftOnly = 2;

// A one-way job hides what would travel against its direction.
bool TravelsAgainst(int32_t syncDirection, int32_t action)
{
    if (syncDirection == LeftToRightOnly)
        return TravelsToLeft(action);
    if (syncDirection == RightToLeftOnly)
        return TravelsToRight(action);
    return false;
}

}  // namespace

Row *RowTree::MakeRootNode()
{
    if (m_job.SyncName.isEmpty())
        return m_root.get();
    std::lock_guard lock(m_mutex);
    m_root = std::make_unique<Row>();
    m_root->Data = RowValues::RootRow(m_job.SyncName, 0, 0);
    return m_root.get();
}

bool RowTree::Failed(const ResultEntry &entry) const
{
    if (entry.PairIsFolder == 0)
        return m_failedPaths.contains(entry.LeftPath()) || m_failedPaths.contains(entry.RightPath());
    for (int i = 0; i < entry.ChildCount(); ++i)
        if (Failed(*entry.Child(i)))
            return true;
    return false;
}

bool RowTree::Conflicting(const ResultEntry &entry)
{
    if (entry.PairIsFolder == 0)
        return RowReason::Of(entry).Conflict();
    for (int i = 0; i < entry.ChildCount(); ++i)
        if (Conflicting(*entry.Child(i)))
            return true;
    return false;
}

int32_t RowTree::ConflictCount(const ResultEntry &root)
{
    int32_t count = 0;
    for (int i = 0; i < root.ChildCount(); ++i) {
        const ResultEntry &child = *root.Child(i);
        count += child.PairIsFolder != 0 ? ConflictCount(child) : RowReason::Of(child).Conflict() ? 1 : 0;
    }
    return count;
}

QSet<QString> RowTree::FailedPaths() const
{
    QSet<QString> paths;
    std::lock_guard lock(m_mutex);
    std::function<void(const Row &)> collect = [&](const Row &row) {
        for (int i = 0; i < row.ChildCount(); ++i) {
            const Row &child = *row.Child(i);
            collect(child);
            if (child.Data.Kind == 0 && child.Data.CopyFailed)
                for (const QString &path : {child.Data.LeftPath, child.Data.RightPath})
                    if (!path.isEmpty())
                        paths.insert(path);
        }
    };
    if (m_root)
        collect(*m_root);
    return paths;
}

bool RowTree::IsListed(const ResultEntry &entry, int32_t mode) const
{
    if (mode == ModeErrors)
        return !m_failedPaths.isEmpty() && Failed(entry);
    if (mode == ModeConflicts)
        return Conflicting(entry);
    const bool folder = entry.PairIsFolder != 0;
    const int32_t direction = m_job.SyncDirection;
    if (!folder)
        return entry.ActionCode > mode && !TravelsAgainst(direction, entry.ActionCode);

    // A paired folder's own action only compares the two folders' times and is never
    // carried out, so it must not hide the files below it; a one-sided folder's action
    // is the travel of everything below it.
    const bool oneSided = entry.ActionCode == saLeftOnly || entry.ActionCode == saRightOnly;
    if (oneSided && TravelsAgainst(direction, entry.ActionCode))
        return false;
    if (mode == ModeAll)
        return entry.FileCount() > 0;
    int32_t travelling = entry.ToLeftCount() + entry.ToRightCount();
    if (direction == LeftToRightOnly)
        travelling = entry.ToRightCount();
    else if (direction == RightToLeftOnly)
        travelling = entry.ToLeftCount();
    return travelling > 0;
}

void RowTree::FillTree(Row *parent, const ResultEntry &entry, int32_t mode)
{
    if (!parent)
        return;
    for (int i = 0; i < entry.ChildCount(); ++i) {
        if (m_job.Cancelled())
            return;
        const ResultEntry &child = *entry.Child(i);
        if (!IsListed(child, mode))
            continue;
        if (child.PairIsFolder != 0) {
            Row *row;
            {
                std::lock_guard lock(m_mutex);
                row = parent->AddChild(RowValues::FolderRow(child.Title(), child.ToLeftCount(), child.ToRightCount()));
            }
            FillTree(row, child, mode);
            continue;
        }
        RowRecord data;
        data.Kind = 0;
        data.Name = child.Title();
        data.IconIndex = m_iconLookup ? m_iconLookup(data.Name) : RowImage::Document;
        data.Action = child.ActionCode;
        data.Reason = RowReason::Of(child);
        data.LeftSize = child.LeftSize();
        data.LeftTime = child.LeftTime();
        data.LeftAttr = child.LeftAttr();
        data.LeftPath = child.LeftPath();
        data.RightSize = child.RightSize();
        data.RightTime = child.RightTime();
        data.RightAttr = child.RightAttr();
        data.RightPath = child.RightPath();
        RowValues::ApplyProposal(data, child.ActionCode);
        data.CopyFailed = mode == ModeErrors;
        {
            std::lock_guard lock(m_mutex);
            parent->AddChild(data);
        }
        if (m_progressStep)
            m_progressStep();
    }
}

void RowTree::BuildView(const ResultEntry &resultRoot, int32_t mode)
{
    if (m_job.SyncName.isEmpty())
        return;
    Row *root = MakeRootNode();
    {
        std::lock_guard lock(m_mutex);
        root->Data.ToLeftCount = resultRoot.ToLeftCount();
        root->Data.ToRightCount = resultRoot.ToRightCount();
    }
    FillTree(root, resultRoot, mode);
}
