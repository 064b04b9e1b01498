#include "engine/RowRecord.h"

#include "engine/SyncAction.h"

namespace RowValues {

void ApplyProposal(RowRecord &row, int32_t action)
{
    switch (action) {
    case saLeftOnly:
        row.LeftImage = RowImage::CantMove;
        row.RightImage = RowImage::MoveRight;
        row.DirectImage = RowImage::CanMove;
        row.Direction = 2;
        break;
    case saRightOnly:
        row.LeftImage = RowImage::MoveLeft;
        row.RightImage = RowImage::CantMove;
        row.DirectImage = RowImage::CanMove;
        row.Direction = 1;
        break;
    case saUpdateLeft:
        row.LeftImage = RowImage::MoveLeft;
        row.RightImage = RowImage::CanMoveRight;
        row.DirectImage = RowImage::CanMove;
        row.Direction = 1;
        break;
    case saUpdateRight:
        row.LeftImage = RowImage::CanMoveLeft;
        row.RightImage = RowImage::MoveRight;
        row.DirectImage = RowImage::CanMove;
        row.Direction = 2;
        break;
    default:
        // Same content, and any code that proposes nothing: never copy.
        row.LeftImage = RowImage::None;
        row.RightImage = RowImage::None;
        row.DirectImage = RowImage::Same;
        row.Direction = 0;
        break;
    }
}

RowRecord RootRow(const QString &syncName, int32_t toLeftCount, int32_t toRightCount)
{
    RowRecord row = FolderRow(syncName, toLeftCount, toRightCount);
    row.IconIndex = RowImage::CanMove;
    return row;
}

RowRecord FolderRow(const QString &name, int32_t toLeftCount, int32_t toRightCount)
{
    RowRecord row;
    row.Kind = 1;
    row.Name = name;
    row.ToLeftCount = toLeftCount;
    row.ToRightCount = toRightCount;
    row.IconIndex = RowImage::Folder;
    row.LeftImage = RowImage::FolderLeft;
    row.RightImage = RowImage::FolderRight;
    row.DirectImage = RowImage::CanMove;
    return row;
}

void MarkCopied(RowRecord &row)
{
    row.LeftImage = RowImage::None;
    row.RightImage = RowImage::None;
    row.DirectImage = RowImage::Same;
}

void ShowRecorded(RowRecord &row, int32_t leftTime, int64_t leftSize, int32_t rightTime, int64_t rightSize)
{
    row.LeftTime = leftTime;
    row.LeftSize = leftSize;
    row.RightTime = rightTime;
    row.RightSize = rightSize;
}

void MarkRightRestored(RowRecord &row, int32_t rightTime, int64_t rightSize)
{
    row.RightTime = rightTime;
    row.RightSize = rightSize;
    row.Action = saUpdateLeft;
    row.DirectImage = RowImage::CanMove;
    row.LeftImage = RowImage::CanMoveLeft;
    row.RightImage = RowImage::MoveRight;
}

}  // namespace RowValues
