#include "engine/SidePair.h"

#include "engine/SidePaths.h"
#include "model/Job.h"

SidePair::SidePair(const Job &job)
    // The left side is a local folder; an analysis leaves a left side of another kind empty.
    : Left(job.LFolder.DeviceType == SidePaths::DeviceLocal ? Side::For(job.LFolder, true) : nullptr),
      Right(Side::For(job.RFolder, job.RFolder.DeviceType == SidePaths::DeviceFtp))
{
    if (Right && !job.KeyPassphrase.isEmpty())
        Right->UsePassphrase(job.KeyPassphrase);
}
