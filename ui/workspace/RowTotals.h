#pragma once
#include <QString>
#include <cstdint>

struct Row;

// What the rows of a job's page amount to: the files and bytes still to copy each way, the
// conflicts, the files the user excluded, and what the last synchronisation copied and failed.
// The caller holds the row tree's lock while counting.
struct RowTotals {
    struct Files {
        int32_t Count = 0;
        int64_t Bytes = 0;
        void Add(int64_t bytes) { ++Count, Bytes += bytes; }
    };
    Files ToLeft, ToRight, CopiedToLeft, CopiedToRight;
    int32_t Conflicts = 0;
    int32_t Excluded = 0;
    int32_t Failed = 0;

    static RowTotals Count(const Row &root);
    // One line: the plan before a run, what was done (and what is left) after one.
    QString Text() const;
};
