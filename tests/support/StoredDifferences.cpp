#include "tests/support/StoredDifferences.h"

QStringList StoredDifferences(const Job &a, const Job &b)
{
    QStringList d;
#define CHECK(field) \
    if (!(a.field == b.field)) \
        d << QStringLiteral(#field);
    CHECK(SyncName) CHECK(SyncID) CHECK(SyncDirection) CHECK(ForcedOrVerified) CHECK(IsDeleteFile)
    CHECK(SaveOldFile) CHECK(UseTempFile) CHECK(CheckNoChange) CHECK(EstimateDiskSpace)
    CHECK(IncludeFilterr) CHECK(ExcludeFilterr) CHECK(ExcludeEmtpyFolder) CHECK(ExcludeHiddenFile)
    CHECK(ExcludeSystemFile) CHECK(StartAnalyze) CHECK(StartSync) CHECK(ConnectAnalyze)
    CHECK(ConnectSync) CHECK(LogoffAnalyze) CHECK(LogoffSync) CHECK(PeriodAnalyze) CHECK(PeriodSync)
    CHECK(Hours) CHECK(minutes) CHECK(TSsync) CHECK(TSanalyze) CHECK(TaskScheduler) CHECK(Conflicts)
    CHECK(EnsureFolderTags)
    for (const char *side : {"IncludeFilter", "ExcludeFilter"}) {
        const bool inc = side[0] == 'I';
        const FilterBounds &x = inc ? a.IncludeFilter : a.ExcludeFilter;
        const FilterBounds &y = inc ? b.IncludeFilter : b.ExcludeFilter;
        if (x.FileTimeMin != y.FileTimeMin || x.FileTimeMax != y.FileTimeMax
            || x.FileSizeMin != y.FileSizeMin || x.FileSizeMax != y.FileSizeMax)
            d << QString::fromLatin1(side);
    }
    for (const char *side : {"LFolder", "RFolder"}) {
        const JobSide &x = side[0] == 'L' ? a.LFolder : a.RFolder;
        const JobSide &y = side[0] == 'L' ? b.LFolder : b.RFolder;
        if (x.DeviceType != y.DeviceType || x.FolerAllName != y.FolerAllName || x.validate != y.validate
            || x.UserName != y.UserName || x.PWD != y.PWD || x.ActiveMode != y.ActiveMode
            || x.FactTime != y.FactTime || x.PrivateKey != y.PrivateKey)
            d << QString::fromLatin1(side);
    }
#undef CHECK
    return d;
}
