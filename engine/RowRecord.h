#pragma once
#include "engine/RowReason.h"

#include <QString>
#include <cstdint>

// The record of one row of a job's result: what the view shows and what the
// synchronisation carries out. A new record is all zero.
struct RowRecord {
    int32_t Kind = 0;  // 1 folder (also the root row), 0 file
    int32_t Action = 0;
    QString Name;
    int32_t RightTime = 0;
    int32_t RightAttr = 0;
    int64_t RightSize = 0;
    QString RightPath;
    int32_t ToLeftCount = 0;
    int64_t LeftSize = 0;
    int32_t LeftTime = 0;
    int32_t LeftAttr = 0;
    QString LeftPath;
    int32_t ToRightCount = 0;
    int32_t IconIndex = 0;
    int32_t Direction = 0;  // 0 nothing, 1 copy right to left, 2 copy left to right
    int32_t LeftImage = 0;
    int32_t RightImage = 0;
    int32_t DirectImage = 0;
    int32_t HoverColumn = 0;
    // The last synchronisation tried to copy this row and failed.
    bool CopyFailed = false;
    RowReason Reason;
};

// Indices of the view's fixed image list; a highlighted picture sits at index - 1.
namespace RowImage {
constexpr int32_t None = 0;
constexpr int32_t Question = 1;
constexpr int32_t Warning = 2;
constexpr int32_t Folder = 3;
constexpr int32_t Document = 4;
constexpr int32_t CanMove = 6;
constexpr int32_t MoveRight = 8;
constexpr int32_t CanMoveRight = 10;
constexpr int32_t MoveLeft = 12;
constexpr int32_t CanMoveLeft = 14;
constexpr int32_t Same = 16;
constexpr int32_t DontMove = 18;
constexpr int32_t CantMove = 20;
constexpr int32_t FolderRight = 22;
constexpr int32_t FolderLeft = 24;
constexpr int32_t FixedCount = 25;
}  // namespace RowImage

namespace RowValues {
// Sets LeftImage, RightImage, DirectImage and Direction as proposed for action.
void ApplyProposal(RowRecord &row, int32_t action);
// The root row of a job and a folder row, with their fixed images.
RowRecord RootRow(const QString &syncName, int32_t toLeftCount, int32_t toRightCount);
RowRecord FolderRow(const QString &name, int32_t toLeftCount, int32_t toRightCount);
// After a successful copy: nothing left to copy.
void MarkCopied(RowRecord &row);
// The times and sizes both sides recorded after a copy.
void ShowRecorded(RowRecord &row, int32_t leftTime, int64_t leftSize, int32_t rightTime, int64_t rightSize);
// After a saved copy was put back on the right: the right file now holds an older version,
// shown as one that would travel to the left.
void MarkRightRestored(RowRecord &row, int32_t rightTime, int64_t rightSize);
}  // namespace RowValues
