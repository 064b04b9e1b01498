#include "model/Job.h"

void Job::AssignFrom(const Job &o)
{
    SyncName = o.SyncName;
    SyncID = o.SyncID;
    LFolder = o.LFolder;
    RFolder = o.RFolder;
    SyncDirection = o.SyncDirection;
    ForcedOrVerified = o.ForcedOrVerified;
    IsDeleteFile = o.IsDeleteFile;
    SaveOldFile = o.SaveOldFile;
    UseTempFile = o.UseTempFile;
    CheckNoChange = o.CheckNoChange;
    EstimateDiskSpace = o.EstimateDiskSpace;
    IncludeFilterr = o.IncludeFilterr;
    ExcludeFilterr = o.ExcludeFilterr;
    ExcludeEmtpyFolder = o.ExcludeEmtpyFolder;
    ExcludeHiddenFile = o.ExcludeHiddenFile;
    ExcludeSystemFile = o.ExcludeSystemFile;
    IncludeFilter = o.IncludeFilter;
    ExcludeFilter = o.ExcludeFilter;
    StartAnalyze = o.StartAnalyze;
    StartSync = o.StartSync;
    ConnectAnalyze = o.ConnectAnalyze;
    ConnectSync = o.ConnectSync;
    LogoffAnalyze = o.LogoffAnalyze;
    LogoffSync = o.LogoffSync;
    PeriodAnalyze = o.PeriodAnalyze;
    PeriodSync = o.PeriodSync;
    Hours = o.Hours;
    minutes = o.minutes;
    TSsync = o.TSsync;
    TSanalyze = o.TSanalyze;
    TaskScheduler = o.TaskScheduler;
    Conflicts = o.Conflicts;
    EnsureFolderTags = o.EnsureFolderTags;
}
