#include "engine/TJobSides.h"

#include "engine/TSidePaths.h"
#include "model/TSyncTask.h"

TJobSides::TJobSides(const TSyncTask &job)
    // The left side is a local folder; an analysis leaves a left side of another kind empty.
    : Left(job.LFolder.DeviceType == TSidePaths::DeviceLocal ? TSideAccess::For(job.LFolder, true) : nullptr),
      Right(TSideAccess::For(job.RFolder, job.RFolder.DeviceType == TSidePaths::DeviceFtp))
{
}
