#include "engine/DecisionRules.h"

#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"

void MarkChanges(FileEntry &listingLevel, const FileEntry &stateLevel)
{
    if (listingLevel.ChildCount() == 0 || stateLevel.ChildCount() == 0)
        return;
    for (int i = 0; i < listingLevel.ChildCount(); ++i) {
        FileEntry &entry = *listingLevel.Child(i);
        const std::vector<int> *same = stateLevel.ChildrenNamed(entry.NameUtf8());
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
            entry.SetStateTime(recorded.FileTime);
            entry.SetStateSize(recorded.FileSize);
            break;
        }
    }
    // Held for every level of a big state tree at once, the indices would weigh more than
    // the tree itself.
    stateLevel.DropNameIndex();
}

namespace {

RowReason Because(uint8_t why, const FileEntry *changed = nullptr)
{
    RowReason reason;
    reason.Why = why;
    if (changed) {
        reason.RecordedTime = changed->StateTime();
        reason.RecordedSize = changed->StateSize();
    }
    return reason;
}

}  // namespace

Decision Decide(const FileEntry &left, const FileEntry &right)
{
    const int32_t l = left.StateMark;
    const int32_t r = right.StateMark;
    Decision d{saSame, {}};
    if (l == smUnchanged && r == smUnchanged) {
        d = {saSame, Because(RowReason::BothUnchanged)};
    } else if (l == smUnchanged && r == smChanged) {
        d = {saUpdateLeft, Because(RowReason::RightChanged, &right)};
    } else if (l == smChanged && r == smUnchanged) {
        d = {saUpdateRight, Because(RowReason::LeftChanged, &left)};
    } else if (l == smChanged && r == smChanged) {
        d = {left.FileTime > right.FileTime ? saUpdateRight : saUpdateLeft, Because(RowReason::BothChanged)};
    } else {
        const SyncAction byTime = left.FileTime > right.FileTime   ? saUpdateRight
                                  : left.FileTime < right.FileTime ? saUpdateLeft
                                                                   : saSame;
        d = {byTime, Because(RowReason::ByTime)};
        if (l == smNotRecorded)
            d.Reason.Flags |= RowReason::LeftNotRecorded;
        if (r == smNotRecorded)
            d.Reason.Flags |= RowReason::RightNotRecorded;
    }
    if (left.IsFolder != right.IsFolder)
        d.Reason.Flags |= RowReason::KindsDiffer;
    return d;
}

SyncAction DecideAction(const FileEntry &left, const FileEntry &right)
{
    return Decide(left, right).Action;
}

RowReason OneSidedReason(const FileEntry &entry, bool left)
{
    switch (entry.StateMark) {
    case smUnchanged:
        return Because(left ? RowReason::MissingRightLeftUnchanged : RowReason::MissingLeftRightUnchanged, &entry);
    case smChanged:
        return Because(left ? RowReason::MissingRightLeftChanged : RowReason::MissingLeftRightChanged, &entry);
    default: return Because(left ? RowReason::NewLeft : RowReason::NewRight);
    }
}

void CountFile(ResultEntry &target, int32_t action)
{
    const bool toLeft = TravelsToLeft(action);
    target.AddCounts(1, toLeft ? 1 : 0, !toLeft && TravelsToRight(action) ? 1 : 0);
}
