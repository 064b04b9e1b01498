#include "engine/CheckFolders.h"

#include "folders/TrimmedName.h"
#include "model/JobSide.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int32_t DeviceLocal = 1;

// The path with exactly one trailing "/", so that prefix tests stop at folder boundaries.
// Links are resolved as far as the path exists, so that a link into the other side is seen.
QString FolderKey(const QString &path)
{
    QString existing = QDir::cleanPath(QFileInfo(TrimmedName(path)).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath()) {
        rest.prepend(QLatin1Char('/') + QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    QString clean = QDir::cleanPath(QFileInfo(existing).canonicalFilePath() + rest);
    if (!clean.endsWith(QLatin1Char('/')))
        clean += QLatin1Char('/');
    return clean;
}

}  // namespace

int32_t CheckFolders(const JobSide &left, const JobSide &right)
{
    const QString &l = left.FolerAllName;
    const QString &r = right.FolerAllName;
    if (TrimmedName(l).isEmpty() || TrimmedName(r).isEmpty())
        return 3;
    if (l == r)
        return 1;
    // Only two local folders can hold one another. A plain substring test would refuse
    // "/data" against "/backup/data", so compare whole path components instead.
    if (left.DeviceType == DeviceLocal && right.DeviceType == DeviceLocal) {
        const QString lk = FolderKey(l);
        const QString rk = FolderKey(r);
        if (lk == rk)
            return 1;
        if (lk.startsWith(rk) || rk.startsWith(lk))
            return 2;
    }
    return 0;
}
