#include "engine/SidePaths.h"

#include "folders/FtpFolder.h"
#include "folders/LocalFolder.h"
#include "folders/TrimmedName.h"
#include "model/Job.h"

#include <QStringList>

namespace SidePaths {

QString LocalBase(const JobSide &side)
{
    QString base = TrimmedName(side.FolerAllName);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QString SideBase(const JobSide &side)
{
    if (side.DeviceType == DeviceFtp)
        return FtpFolder::RemoteBasePath(side.FolerAllName);
    return LocalBase(side);
}

QString LeftStateFile(const Job &job)
{
    return LocalFolder::StateFilePath(LocalBase(job.LFolder), job.SyncName);
}

// A folder of their own: a job named like another job's journal ("Job.journal") must not
// share a file with it.
QString JournalFile(const Job &job)
{
    return LocalBase(job.LFolder) + QStringLiteral("/__FileSync__/__Run__/") + job.SyncName + QStringLiteral(".journal");
}

QString LockFile(const Job &job)
{
    return LocalBase(job.LFolder) + QStringLiteral("/__FileSync__/__Run__/") + job.SyncName + QStringLiteral(".lock");
}

QString RemoteStateFolder(const JobSide &side)
{
    return FtpFolder::RemoteBasePath(side.FolerAllName) + QStringLiteral("/__FileSync__/");
}

QString RelativeTo(const QString &path, const QString &base)
{
    QString relative = path.startsWith(base) ? path.mid(base.size()) : path;
    if (!relative.startsWith(QLatin1Char('/')))
        relative.prepend(QLatin1Char('/'));
    return relative;
}

bool StaysInside(const QString &relative)
{
    const QStringList steps = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &step : steps)
        if (step == QLatin1String(".") || step == QLatin1String(".."))
            return false;
    return !steps.isEmpty();
}

QString SaveFolder(const QString &programFolder, const Job &job)
{
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("__Save__/") + job.SyncName;
}

}  // namespace SidePaths
