#include "engine/TSyncNodeData.h"

#include "engine/TSyncAction.h"

namespace RowValues {

void ApplyProposal(TSyncNodeData &row, int32_t action)
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

TSyncNodeData RootRow(const QString &syncName, int32_t toLeftCount, int32_t toRightCount)
{
    TSyncNodeData row = FolderRow(syncName, toLeftCount, toRightCount);
    row.IconIndex = RowImage::CanMove;
    return row;
}

TSyncNodeData FolderRow(const QString &name, int32_t toLeftCount, int32_t toRightCount)
{
    TSyncNodeData row;
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

void MarkCopied(TSyncNodeData &row)
{
    row.LeftImage = RowImage::None;
    row.RightImage = RowImage::None;
    row.DirectImage = RowImage::Same;
}

}  // namespace RowValues
