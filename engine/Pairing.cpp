#include "engine/Pairing.h"

#include "engine/DecisionRules.h"
#include "engine/EngineListener.h"
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

void TakeLeftValues(FileEntry &record, const FileEntry &entry)
{
    record.LeftTime = entry.FileTime;
    record.LeftSize = entry.FileSize;
    record.LeftAttr = entry.FileAttr;
    record.LeftPath = entry.FilePath;
}

void TakeRightValues(FileEntry &record, const FileEntry &entry)
{
    record.RightTime = entry.FileTime;
    record.RightSize = entry.FileSize;
    record.RightAttr = entry.FileAttr;
    record.RightPath = entry.FilePath;
}

void AddFolderCounts(FileEntry &target, const FileEntry &folder)
{
    target.ToLeftCount += folder.ToLeftCount;
    target.ToRightCount += folder.ToRightCount;
    target.FileCount += folder.FileCount;
}

}  // namespace

void Pairing::CountInto(FileEntry &target, int32_t action)
{
    ++m_compared;
    CountFile(target, action);
}

bool Pairing::AddLeftOnly(FileEntry &entry, FileEntry &target)
{
    FileEntry *record = target.AddChild(QString());
    record->ActionCode = saLeftOnly;
    OneSidedReason(entry, true).StoreIn(*record);
    record->PairIsFolder = entry.IsFolder;
    record->Title = entry.FileName;
    TakeLeftValues(*record, entry);
    bool complete = true;
    if (entry.IsFolder) {
        FileEntry nothing;
        complete = PairLevel(entry, nothing, *record);
        AddFolderCounts(target, *record);
    } else {
        CountInto(target, saLeftOnly);
    }
    return complete;
}

bool Pairing::AddRightOnly(FileEntry &entry, FileEntry &target)
{
    FileEntry *record = target.AddChild(QString());
    record->ActionCode = saRightOnly;
    OneSidedReason(entry, false).StoreIn(*record);
    record->PairIsFolder = entry.IsFolder;
    record->Title = entry.FileName;
    TakeRightValues(*record, entry);
    bool complete = true;
    if (entry.IsFolder) {
        FileEntry nothing;
        complete = PairLevel(nothing, entry, *record);
        AddFolderCounts(target, *record);
    } else {
        CountInto(target, saRightOnly);
    }
    return complete;
}

bool Pairing::PairLevel(FileEntry &left, FileEntry &right, FileEntry &target)
{
    target.FileCount = 0;
    target.ToLeftCount = 0;
    target.ToRightCount = 0;
    target.ReserveChildren(std::max(left.ChildCount, right.ChildCount));

    if (left.ChildCount == 0 || right.ChildCount == 0) {
        FileEntry &side = left.ChildCount == 0 ? right : left;
        for (int i = 0; i < side.ChildCount; ++i) {
            if (m_job.Cancelled())
                return false;
            const bool complete = (&side == &left) ? AddLeftOnly(*side.Child(i), target)
                                                   : AddRightOnly(*side.Child(i), target);
            if (!complete)
                return false;
        }
        return true;
    }

    QHash<QString, NameBucket> byName;
    byName.reserve(right.ChildCount);
    for (int i = 0; i < right.ChildCount; ++i)
        byName[TrimmedName(right.Child(i)->FileName)].Indices.push_back(i);

    for (int i = 0; i < left.ChildCount; ++i) {
        if (m_job.Cancelled())
            return false;
        FileEntry &l = *left.Child(i);
        FileEntry *r = nullptr;
        auto bucket = byName.find(TrimmedName(l.FileName));
        if (bucket != byName.end()) {
            NameBucket &b = bucket.value();
            while (b.Next < b.Indices.size() && right.Child(b.Indices[b.Next])->Matched)
                ++b.Next;
            if (b.Next < b.Indices.size())
                r = right.Child(b.Indices[b.Next++]);
        }
        if (!r) {
            if (!AddLeftOnly(l, target))
                return false;
            continue;
        }
        r->Matched = 1;
        FileEntry *record = target.AddChild(QString());
        const Decision decision = Decide(l, *r);
        record->ActionCode = decision.Action;
        decision.Reason.StoreIn(*record);
        record->PairIsFolder = l.IsFolder;
        record->Title = l.FileName;
        TakeLeftValues(*record, l);
        TakeRightValues(*record, *r);
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

    for (int i = 0; i < right.ChildCount; ++i) {
        if (m_job.Cancelled())
            return false;
        FileEntry &r = *right.Child(i);
        if (r.Matched)
            continue;
        if (!AddRightOnly(r, target))
            return false;
    }
    m_listener.SyncProgress(0, m_compared);
    return true;
}
