#include "engine/DecisionRules.h"

#include "folders/TFileAttri.h"

void MarkChanges(TFileAttri &listingLevel, const TFileAttri &stateLevel)
{
    if (listingLevel.ChildCount == 0 || stateLevel.ChildCount == 0)
        return;
    for (int i = 0; i < listingLevel.ChildCount; ++i) {
        TFileAttri &entry = *listingLevel.Child(i);
        const std::vector<int> *same = stateLevel.ChildrenNamed(entry.FileName);
        if (!same)
            continue;
        for (int k : *same) {
            const TFileAttri &recorded = *stateLevel.Child(k);
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
}

TSyncAction DecideAction(const TFileAttri &left, const TFileAttri &right)
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

void CountFile(TFileAttri &target, int32_t action)
{
    target.FileCount += 1;
    if (TravelsToLeft(action))
        target.ToLeftCount += 1;
    else if (TravelsToRight(action))
        target.ToRightCount += 1;
}
