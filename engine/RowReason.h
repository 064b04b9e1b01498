#pragma once
#include <QString>
#include <cstdint>

class ResultEntry;
struct RowRecord;

// Which rule decided a file's action, with the one value the window cannot see in the row:
// what the last synchronisation recorded for the side that changed. 16 bytes per row.
struct RowReason {
    enum Code : uint8_t {
        None = 0,                   // folders, and rows not made by an analysis
        NewLeft,                    // only on the left, never synchronised there
        NewRight,
        MissingRightLeftUnchanged,  // only on the left, which is as the last sync left it
        MissingRightLeftChanged,
        MissingLeftRightUnchanged,
        MissingLeftRightChanged,
        BothUnchanged,
        LeftChanged,
        RightChanged,
        BothChanged,                // the later copy wins, a tie goes to the right copy
        ByTime,                     // a side has no record: the later copy wins
    };
    enum Flag : uint8_t {
        LeftNotRecorded = 1,
        RightNotRecorded = 2,
        KindsDiffer = 4,  // a file paired with a folder of the same name
    };

    int64_t RecordedSize = 0;  // of the changed side at the last synchronisation
    int32_t RecordedTime = 0;
    uint8_t Why = None;
    uint8_t Flags = 0;

    bool Conflict() const { return Why == BothChanged; }

    // The reason a result record carries, and storing one in it (the code and flags: the
    // recorded values are those of the listing entry the code names as changed).
    static RowReason Of(const ResultEntry &record);
    void StoreIn(ResultEntry &record) const;
};

// What a person reads for a file row: the rule with the compared values, what the rules
// propose, and what the user changed or the last synchronisation did since. Empty for folders.
QString ReasonText(const RowRecord &row);
