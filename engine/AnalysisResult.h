#pragma once
#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"

#include <memory>

// Everything one analysis produces. Owned by whoever started the analysis (a job page, the
// CLI) and handed to the synchronisation that follows; the engine keeps no copy of it.
struct AnalysisResult {
    std::unique_ptr<FileEntry> LeftList;
    std::unique_ptr<FileEntry> RightList;
    // Points into the two listings.
    std::unique_ptr<ResultEntry> ResultRoot;
    std::unique_ptr<FileEntry> LeftState;
    std::unique_ptr<FileEntry> RightState;
    // Both sides were reached (no connect failure was reported).
    bool Reached = false;
    // The pairing ran to its end without a cancel: only then may a synchronisation copy
    // files and write state files from these trees.
    bool Completed = false;
    // Refused: another program was analysing or synchronising the job. Nothing was read.
    bool RunningElsewhere = false;
    // A Cancel ended the analysis: nothing is offered.
    bool Cancelled = false;
    // Why a side could not be reached, or the folder whose listing failed and why: the
    // analysis failed and nothing is offered.
    QString FailedFolder;
    QString FailureReason;

    AnalysisResult() { Reset(); }

    void Reset()
    {
        ResultRoot = std::make_unique<ResultEntry>();
        LeftList = std::make_unique<FileEntry>();
        RightList = std::make_unique<FileEntry>();
        LeftState = std::make_unique<FileEntry>();
        RightState = std::make_unique<FileEntry>();
        Reached = false;
        Completed = false;
        RunningElsewhere = false;
        Cancelled = false;
        FailedFolder.clear();
        FailureReason.clear();
    }
    // The analysis ran to its end but could not read everything.
    bool Failed() const { return Reached && !FailedFolder.isEmpty(); }
};
