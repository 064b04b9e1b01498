#include "folders/FileFilter.h"

#include "model/Job.h"

namespace {

// Plain case-sensitive substring test: no wildcards, an empty entry never matches.
bool ListMatches(const QStringList &fragments, const QString &name)
{
    for (const QString &f : fragments)
        if (!f.isEmpty() && name.contains(f, Qt::CaseSensitive))
            return true;
    return false;
}

bool OutsideBounds(const FilterBounds &b, int32_t time, int64_t size)
{
    return (b.FileTimeMin != -1 && time < b.FileTimeMin)
        || (b.FileTimeMax != -1 && time > b.FileTimeMax)
        || (b.FileSizeMin != -1 && size < b.FileSizeMin)
        || (b.FileSizeMax != -1 && size > b.FileSizeMax);
}

}  // namespace

bool FileFilter::IsExcluded(const QString &name, int32_t time, int64_t size, int32_t attr) const
{
    if (OutsideBounds(m_job.ExcludeFilter, time, size))
        return true;
    // Each flag tests its own attribute bit.
    if (m_job.ExcludeSystemFile == 1 && (attr & SystemAttribute))
        return true;
    if (m_job.ExcludeHiddenFile == 1 && (attr & HiddenAttribute))
        return true;
    return ListMatches(m_job.ExcludeFilterr, name);
}

bool FileFilter::IsIncluded(const QString &name, int32_t time, int64_t size) const
{
    if (OutsideBounds(m_job.IncludeFilter, time, size))
        return false;
    if (!m_job.IncludeFilterr.isEmpty() && !ListMatches(m_job.IncludeFilterr, name))
        return false;
    return true;
}
