#pragma once
#include "folders/TFileAttri.h"

#include <memory>

// Everything one analysis produces. Owned by whoever started the analysis (a job page, the
// CLI) and handed to the synchronisation that follows; the engine keeps no copy of it.
struct TAnalysisResult {
    std::unique_ptr<TFileAttri> LeftList;
    std::unique_ptr<TFileAttri> RightList;
    std::unique_ptr<TFileAttri> ResultRoot;
    std::unique_ptr<TFileAttri> LeftState;
    std::unique_ptr<TFileAttri> RightState;
    // Both sides were reached (no connect failure was reported).
    bool Reached = false;
    // The pairing ran to its end without a cancel: only then may a synchronisation copy
    // files and write state files from these trees.
    bool Completed = false;
    // Refused: another program was analysing or synchronising the job. Nothing was read.
    bool RunningElsewhere = false;

    TAnalysisResult() { Reset(); }

    void Reset()
    {
        LeftList = std::make_unique<TFileAttri>();
        RightList = std::make_unique<TFileAttri>();
        ResultRoot = std::make_unique<TFileAttri>();
        LeftState = std::make_unique<TFileAttri>();
        RightState = std::make_unique<TFileAttri>();
        Reached = false;
        Completed = false;
        RunningElsewhere = false;
    }
};
