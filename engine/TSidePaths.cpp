#include "engine/TSidePaths.h"

#include "engine/TrimmedName.h"
#include "folders/TFTPFile.h"
#include "folders/TWinFile.h"
#include "model/TSyncTask.h"

#include <QStringList>

namespace TSidePaths {

QString LocalBase(const TFolderSource &side)
{
    QString base = TrimmedName(side.FolerAllName);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QString SideBase(const TFolderSource &side)
{
    if (side.DeviceType == DeviceFtp)
        return TFTPFile::RemoteBasePath(side.FolerAllName);
    return LocalBase(side);
}

QString LeftStateFile(const TSyncTask &job)
{
    return TWinFile::StateFilePath(LocalBase(job.LFolder), job.SyncName);
}

// A folder of their own: a job named like another job's journal ("Job.journal") must not
// share a file with it.
QString JournalFile(const TSyncTask &job)
{
    return LocalBase(job.LFolder) + QStringLiteral("/__FileSync__/__Run__/") + job.SyncName + QStringLiteral(".journal");
}

QString LockFile(const TSyncTask &job)
{
    return LocalBase(job.LFolder) + QStringLiteral("/__FileSync__/__Run__/") + job.SyncName + QStringLiteral(".lock");
}

QString RemoteStateFolder(const TFolderSource &side)
{
    return TFTPFile::RemoteBasePath(side.FolerAllName) + QStringLiteral("/__FileSync__/");
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

QString SaveFolder(const QString &programFolder, const TSyncTask &job)
{
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("__Save__/") + job.SyncName;
}

}  // namespace TSidePaths
