#include "engine/Pairing.h"

#include "engine/DecisionRules.h"
#include "engine/EngineListener.h"
#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"
#include "folders/TrimmedName.h"
#include "model/Job.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace {

// The right entries of one trimmed name, in listing order, and the first one not yet taken.
// Only this level's pairing marks its right entries, so the taken ones are always a prefix.
struct NameBucket {
    std::vector<int> Indices;
    size_t Next = 0;
};

void AddFolderCounts(ResultEntry &target, const ResultEntry &folder)
{
    target.AddCounts(folder.FileCount(), folder.ToLeftCount(), folder.ToRightCount());
}

}  // namespace

void Pairing::CountInto(ResultEntry &target, int32_t action)
{
    ++m_compared;
    CountFile(target, action);
}

bool Pairing::AddOneSided(FileEntry &entry, bool left, ResultEntry &target)
{
    ResultEntry *record = target.AddChild();
    const int32_t action = left ? saLeftOnly : saRightOnly;
    record->ActionCode = int8_t(action);
    OneSidedReason(entry, left).StoreIn(*record);
    record->PairIsFolder = uint8_t(entry.IsFolder);
    (left ? record->Left : record->Right) = &entry;
    if (!entry.IsFolder) {
        CountInto(target, action);
        return true;
    }
    FileEntry nothing;
    const bool complete = left ? PairLevel(entry, nothing, *record) : PairLevel(nothing, entry, *record);
    AddFolderCounts(target, *record);
    return complete;
}

bool Pairing::PairLevel(FileEntry &left, FileEntry &right, ResultEntry &target)
{
    target.SetCounts(0, 0, 0);
    target.ReserveChildren(std::max(left.ChildCount(), right.ChildCount()));

    if (left.ChildCount() == 0 || right.ChildCount() == 0) {
        FileEntry &side = left.ChildCount() == 0 ? right : left;
        for (int i = 0; i < side.ChildCount(); ++i) {
            if (m_job.Cancelled())
                return false;
            if (!AddOneSided(*side.Child(i), &side == &left, target))
                return false;
        }
        target.FitChildren();
        return true;
    }

    QHash<QString, NameBucket> byName;
    byName.reserve(right.ChildCount());
    for (int i = 0; i < right.ChildCount(); ++i)
        byName[TrimmedName(right.Child(i)->Name())].Indices.push_back(i);

    for (int i = 0; i < left.ChildCount(); ++i) {
        if (m_job.Cancelled())
            return false;
        FileEntry &l = *left.Child(i);
        FileEntry *r = nullptr;
        auto bucket = byName.find(TrimmedName(l.Name()));
        if (bucket != byName.end()) {
            NameBucket &b = bucket.value();
            while (b.Next < b.Indices.size() && right.Child(b.Indices[b.Next])->Matched)
                ++b.Next;
            if (b.Next < b.Indices.size())
                r = right.Child(b.Indices[b.Next++]);
        }
        if (!r) {
            if (!AddOneSided(l, true, target))
                return false;
            continue;
        }
        r->Matched = 1;
        ResultEntry *record = target.AddChild();
        const Decision decision = Decide(l, *r);
        record->ActionCode = int8_t(decision.Action);
        decision.Reason.StoreIn(*record);
        record->PairIsFolder = uint8_t(l.IsFolder);
        record->Left = &l;
        record->Right = r;
        bool complete = true;
        if (l.IsFolder) {
            // Paired whatever the right entry's kind: a right file has no entries, which
            // makes everything in the left folder left-only.
            complete = PairLevel(l, *r, *record);
            AddFolderCounts(target, *record);
        } else {
            CountInto(target, record->ActionCode);
        }
        if (!complete)
            return false;
    }

    for (int i = 0; i < right.ChildCount(); ++i) {
        if (m_job.Cancelled())
            return false;
        FileEntry &r = *right.Child(i);
        if (r.Matched)
            continue;
        if (!AddOneSided(r, false, target))
            return false;
    }
    target.FitChildren();
    m_listener.SyncProgress(0, m_compared);
    return true;
}
