#include "engine/JobSidesCheck.h"

#include "engine/SidePaths.h"
#include "model/Job.h"

using namespace SidePaths;

bool HasSupportedSides(const Job &job)
{
    return job.LFolder.DeviceType == DeviceLocal
        && (job.RFolder.DeviceType == DeviceLocal || job.RFolder.DeviceType == DeviceFtp);
}

QString UnsupportedSidesText(const Job &job)
{
    return QStringLiteral("The job \"%1\" cannot run: its left side must be a local folder (kind 1) and its "
                          "right side a local folder (kind 1) or an FTP directory (kind 3); it has %2 and %3.")
        .arg(job.SyncName)
        .arg(job.LFolder.DeviceType)
        .arg(job.RFolder.DeviceType);
}
