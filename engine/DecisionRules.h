#pragma once
#include "engine/RowReason.h"
#include "engine/SyncAction.h"

class FileEntry;
class ResultEntry;

// Marks the files of a listing level (and, recursively, of its folders) against the
// state-tree level at the same place.
void MarkChanges(FileEntry &listingLevel, const FileEntry &stateLevel);
struct Decision {
    SyncAction Action;
    RowReason Reason;
};
// The action of a paired couple, from their marks and times, and the rule that gave it.
Decision Decide(const FileEntry &left, const FileEntry &right);
SyncAction DecideAction(const FileEntry &left, const FileEntry &right);
// Why an entry found on one side only (left or right) travels to the other.
RowReason OneSidedReason(const FileEntry &entry, bool left);
// Counts one compared file in target's FileCount and ToLeftCount/ToRightCount.
void CountFile(ResultEntry &target, int32_t action);
