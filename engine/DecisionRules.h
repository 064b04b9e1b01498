#pragma once
#include "engine/SyncAction.h"

class FileEntry;

// Marks the files of a listing level (and, recursively, of its folders) against the
// state-tree level at the same place.
void MarkChanges(FileEntry &listingLevel, const FileEntry &stateLevel);
// The action of a paired couple, from their marks and times.
SyncAction DecideAction(const FileEntry &left, const FileEntry &right);
// Counts one compared file in target's FileCount and ToLeftCount/ToRightCount.
void CountFile(FileEntry &target, int32_t action);
