#pragma once
#include "engine/TSyncAction.h"

class TFileAttri;

// Marks the files of a listing level (and, recursively, of its folders) against the
// state-tree level at the same place.
void MarkChanges(TFileAttri &listingLevel, const TFileAttri &stateLevel);
// The action of a paired couple, from their marks and times.
TSyncAction DecideAction(const TFileAttri &left, const TFileAttri &right);
// Counts one compared file in target's FileCount and ToLeftCount/ToRightCount.
void CountFile(TFileAttri &target, int32_t action);
