#pragma once
#include "model/JobSide.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

// A filter's four bounds; -1 means no bound.
struct FilterBounds {
    int32_t FileTimeMin = -1;  // packed DOS date-times
    int32_t FileTimeMax = -1;
    int64_t FileSizeMin = -1;  // bytes
    int64_t FileSizeMax = -1;
};

// One job. Owned by its JobList; never copied (the cancel flag is shared with a worker).
// The stored fields are named after the task list file's elements, letter for letter
// (TSsync, IncludeFilterr and the like), so that the file and the model read alike; the
// same holds for JobSide and FilterBounds.
class Job {
public:
    Job() = default;
    Job(const Job &) = delete;
    Job &operator=(const Job &) = delete;

    // Copies every stored field (not ListState, not CancelFlag): the editor works on a copy.
    void AssignFrom(const Job &other);

    QString SyncName;
    QString SyncID;
    JobSide LFolder;
    JobSide RFolder;
    int32_t SyncDirection = 0;  // 0 two-way, 1 left to right, 2 right to left
    int32_t ForcedOrVerified = 0;
    int32_t IsDeleteFile = 0;
    int32_t SaveOldFile = 0;
    int32_t UseTempFile = 0;
    int32_t CheckNoChange = 0;
    int32_t EstimateDiskSpace = 0;
    QStringList IncludeFilterr;
    QStringList ExcludeFilterr;
    int32_t ExcludeEmtpyFolder = 0;
    int32_t ExcludeHiddenFile = 0;
    int32_t ExcludeSystemFile = 0;
    FilterBounds IncludeFilter;
    FilterBounds ExcludeFilter;
    int32_t StartAnalyze = 0;
    int32_t StartSync = 0;
    int32_t ConnectAnalyze = 0;
    int32_t ConnectSync = 0;
    int32_t LogoffAnalyze = 0;
    int32_t LogoffSync = 0;
    int32_t PeriodAnalyze = 0;
    int32_t PeriodSync = 0;
    int32_t Hours = 0;
    int32_t minutes = 0;
    int32_t TSsync = 0;
    int32_t TSanalyze = 0;
    QString TaskScheduler;
    int32_t Conflicts = 0;
    int32_t EnsureFolderTags = 0;

    int32_t ListState = 0;  // not stored: 0 loaded, 1 deleted, 2 added
    // Not stored: set by the interface thread, polled by a worker before each item.
    std::atomic<uint8_t> CancelFlag{0};
    // Not stored: the passphrase of the right side's key file the user gave for an analysis,
    // kept for the synchronisation that follows it. Worker thread.
    QString KeyPassphrase;

    bool Cancelled() const { return CancelFlag.load(std::memory_order_relaxed) != 0; }
};
