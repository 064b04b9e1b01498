#include "engine/DecisionRules.h"

#include "folders/FileEntry.h"

void MarkChanges(FileEntry &listingLevel, const FileEntry &stateLevel)
{
    if (listingLevel.ChildCount == 0 || stateLevel.ChildCount == 0)
        return;
    for (int i = 0; i < listingLevel.ChildCount; ++i) {
        FileEntry &entry = *listingLevel.Child(i);
        const std::vector<int> *same = stateLevel.ChildrenNamed(entry.FileName);
        if (!same)
            continue;
        for (int k : *same) {
            const FileEntry &recorded = *stateLevel.Child(k);
            if (recorded.IsFolder != entry.IsFolder)
                continue;
            if (entry.IsFolder) {
                // Every recorded folder of the name is visited; a later one may re-mark.
                MarkChanges(entry, recorded);
                continue;
            }
            entry.StateMark = entry.FileTime == recorded.FileTime ? smUnchanged : smChanged;
            break;
        }
    }
    // Held for every level of a big state tree at once, the indices would weigh more than
    // the tree itself.
    stateLevel.DropNameIndex();
}

SyncAction DecideAction(const FileEntry &left, const FileEntry &right)
{
    const int32_t l = left.StateMark;
    const int32_t r = right.StateMark;
    if (l == smUnchanged && r == smUnchanged)
        return saSame;
    if (l == smUnchanged && r == smChanged)
        return saUpdateLeft;
    if (l == smChanged && r == smUnchanged)
        return saUpdateRight;
    if (l == smChanged && r == smChanged)
        return left.FileTime > right.FileTime ? saUpdateRight : saUpdateLeft;
    if (left.FileTime > right.FileTime)
        return saUpdateRight;
    if (left.FileTime < right.FileTime)
        return saUpdateLeft;
    return saSame;
}

void CountFile(FileEntry &target, int32_t action)
{
    target.FileCount += 1;
    if (TravelsToLeft(action))
        target.ToLeftCount += 1;
    else if (TravelsToRight(action))
        target.ToRightCount += 1;
}
