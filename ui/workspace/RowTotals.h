#pragma once
#include <QString>
#include <cstdint>
#include <vector>

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
    // Every file row, whether it travels or not: what a synchronisation walks.
    int32_t FileRows = 0;

    // Counts the rows below root and sets the count columns of root and of every folder row
    // below it (ToLeftCount, ToRightCount) to the files below it still to copy each way, so
    // that the grid's counts and the totals line are one count. The folder rows whose counts
    // changed are added to changed.
    static RowTotals Count(Row &root, std::vector<Row *> &changed);
    // One line: the plan before a run, what was done (and what is left) after one.
    QString Text() const;
};
