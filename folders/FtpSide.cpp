#include "folders/FtpSide.h"

#include "app/CertificatePins.h"
#include "folders/FileEntry.h"
#include "folders/FtpFolder.h"
#include "folders/KeepAside.h"
#include "platform/FtpSession.h"

#include <QMutexLocker>
#include <algorithm>

namespace {

FtpSession &session() { return FtpSession::Global(); }

SideEntry entryOf(const FtpEntry &found)
{
    SideEntry e;
    e.Type = found.isFolder ? SideEntry::Other : SideEntry::File;
    e.FileTime = FtpFolder::PackedTime(found.modified);
    e.FileSize = found.size;
    return e;
}

}  // namespace

FtpSide::FtpSide(const JobSide &side) : m_side(side), m_base(FtpFolder::RemoteBasePath(side.FolerAllName)) {}

int32_t FtpSide::Reach() { return FtpFolder::ConnectFtp(m_side); }

std::optional<ServerTrust> FtpSide::Untrusted() const { return session().UntrustedServer(); }

bool FtpSide::Trust(const ServerTrust &trust)
{
    return trust.kind == ServerTrust::Kind::Certificate && CertificatePins::Store(trust.server, trust.record);
}

bool FtpSide::List(FileEntry &root, const FileFilter &filter, QString &failedFolder)
{
    m_listFailure.clear();
    return FtpFolder::ListFolder(m_side, root, filter, &failedFolder, &m_listFailure, &m_notice);
}

// A listing may have failed on another connection than the session's own.
QString FtpSide::FailureReason() const { return m_listFailure.isEmpty() ? session().LastReason() : m_listFailure; }

bool FtpSide::FailedAtGivenFile() const { return session().LastError() == FtpSession::LocalFileError; }

bool FtpSide::Lost() const { return session().ConnectionLost(); }

void FtpSide::KeepFolderListings(const FileEntry *listed)
{
    m_keepListings = true;
    m_analysed = listed;
}

std::optional<SideEntry> FtpSide::analysed(const QString &path) const
{
    if (!m_analysed || m_changed.contains(path))
        return std::nullopt;
    const FileEntry *node = m_analysed;
    for (const QString &name : FtpFolder::RelativePath(path, m_side).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const std::vector<int> *named = node->ChildrenNamed(name);
        if (!named || named->empty())
            return std::nullopt;
        node = node->Child(named->front());
    }
    if (node == m_analysed || node->IsFolder)
        return std::nullopt;
    SideEntry e;
    e.Type = SideEntry::File;
    e.FileTime = node->FileTime;
    e.FileSize = node->FileSize;
    return e;
}

void FtpSide::settle(const QString &path)
{
    if (m_pending.isEmpty())
        return;
    const QString here = KnownRemoteFolders::FolderOf(path);
    // A written file's own facts are asked for: its folder is read now.
    const bool ownFacts = m_pending.contains(here) && std::any_of(m_pending[here].cbegin(), m_pending[here].cend(),
                                                                  [&](const PendingRecord &p) { return p.Path == path; });
    for (const QString &folder : m_pending.keys())
        if (folder != here || ownFacts)
            recordPending(folder);
}

void FtpSide::recordPending(const QString &folder)
{
    const QList<PendingRecord> pending = m_pending.take(folder);
    // The folder is read once the walk has left it, so that one listing gives the time and
    // size the server put on all the files written there; what the next listing shows is
    // what the state records.
    QList<FtpEntry> entries;
    const bool listed = session().List(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'), entries);
    if (listed)
        m_view.Listed(folder, entries);
    for (const PendingRecord &p : pending) {
        const QString name = KnownRemoteFolders::NameOf(p.Path);
        std::optional<FtpEntry> found;
        for (const FtpEntry &e : entries)
            if (e.name == name)
                found = e;
        if (!found)
            found = session().Probe(p.Path);
        // Gone meanwhile: not recorded, as the next listing will not show it either.
        if (found && !found->isFolder)
            Record(p.Path, entryOf(*found), *p.StateRoot);
    }
}

bool FtpSide::knownFolder(const QString &path)
{
    const QString folder = KnownRemoteFolders::FolderOf(path);
    if (!m_keepListings || m_unlisted.contains(folder))
        return false;
    if (m_view.KnowsFolder(folder))
        return true;
    // A folder below the base that its parent's listing does not show is not there: no
    // listing of it, and any file in it is missing. One listing of the parent serves all
    // such folders.
    const QString base = KnownRemoteFolders::FolderOf(m_base + QStringLiteral("/x"));
    const bool belowBase = folder != base && folder.startsWith(base == QLatin1String("/") ? base : base + '/');
    if (belowBase && knownFolder(folder)) {
        const std::optional<KnownRemoteFolders::Known> self = m_view.Find(folder);
        if (self && self->Type != KnownRemoteFolders::Known::Folder) {
            m_view.Absent(folder);
            return true;
        }
    }
    QList<FtpEntry> entries;
    if (!session().List(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'), entries)) {
        m_unlisted.insert(folder);
        return false;
    }
    m_view.Listed(folder, entries);
    return true;
}

std::optional<SideEntry> FtpSide::fromListings(const QString &path)
{
    if (!knownFolder(path))
        return std::nullopt;
    std::optional<KnownRemoteFolders::Known> known = m_view.Find(path);
    if (known && known->Type == KnownRemoteFolders::Known::File && !known->Facts && session().UsesList()) {
        // Without MLST a probe lists the folder anyway: keep that listing.
        m_view.Forget(path);
        if (!knownFolder(path))
            return std::nullopt;
        known = m_view.Find(path);
    }
    if (!known)
        return std::nullopt;
    switch (known->Type) {
    case KnownRemoteFolders::Known::Missing:
        return SideEntry();
    case KnownRemoteFolders::Known::Folder: {
        SideEntry e;
        e.Type = SideEntry::Other;
        return e;
    }
    case KnownRemoteFolders::Known::File:
        break;
    }
    // Written by this run: only the server knows the time and size it gave the file.
    if (!known->Facts)
        return std::nullopt;
    return entryOf(*known->Facts);
}

SideEntry FtpSide::Probe(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    if (!FtpFolder::OpenSession(m_side))
        return SideEntry();
    settle(path);
    if (const std::optional<SideEntry> known = fromListings(path))
        return *known;
    const std::optional<FtpEntry> found = session().Probe(path);
    if (m_keepListings) {
        if (found)
            m_view.Learned(path, *found);
        else
            m_view.Forget(path);
    }
    return found ? entryOf(*found) : SideEntry();
}

SideEntry FtpSide::ListedEntry(const QString &path)
{
    {
        QMutexLocker lock(&session().Mutex());
        // A folder read in this run speaks for now; until then the analysis's listing does.
        if (m_keepListings && !m_view.KnowsFolder(KnownRemoteFolders::FolderOf(path)))
            if (const std::optional<SideEntry> listed = analysed(path))
                return *listed;
    }
    return Probe(path);
}

void FtpSide::MakeFolders(const QString &relativePath)
{
    if (!m_keepListings) {
        FtpFolder::ForceRemoteFolders(relativePath, m_side);
        return;
    }
    QMutexLocker lock(&session().Mutex());
    if (!FtpFolder::OpenSession(m_side))
        return;
    settle(m_base + relativePath);
    for (qsizetype i = relativePath.indexOf(QLatin1Char('/'), 1); i >= 0;
         i = relativePath.indexOf(QLatin1Char('/'), i + 1)) {
        const QString folder = m_base + relativePath.left(i);
        if (m_view.FolderExists(folder))
            continue;
        // One command either way: a folder that is there already refuses it, and the copy
        // into it then goes ahead.
        if (session().MakeDirectory(folder)) {
            m_view.Created(folder);
            m_unlisted.remove(folder);
        } else {
            // Made by someone else since it was seen absent, perhaps with files in it.
            m_view.Forget(folder + QLatin1Char('/'));
        }
    }
}

bool FtpSide::ReadTo(const QString &path, const QString &localTarget)
{
    QMutexLocker lock(&session().Mutex());
    if (!FtpFolder::OpenSession(m_side))
        return false;
    settle(path);
    // The size a listing gave is the size the copy must have. A LIST line of a link gives
    // the link's own size, so the analysis's listing only counts when it was MLSD.
    qint64 size = -1;
    if (m_keepListings) {
        if (m_view.KnowsFolder(KnownRemoteFolders::FolderOf(path))) {
            const std::optional<KnownRemoteFolders::Known> known = m_view.Find(path);
            if (known && known->Facts && known->Facts->sizeKnown)
                size = known->Facts->size;
        } else if (!session().UsesList()) {
            if (const std::optional<SideEntry> listed = analysed(path))
                size = listed->FileSize;
        }
    }
    if (session().Download(path, localTarget, FtpSession::Write::Direct, size))
        return true;
    // Changed since it was listed: read it again as it is now, checked as the server tells.
    return size >= 0 && session().LastError() == FtpSession::SizeDiffers
           && session().Download(path, localTarget, FtpSession::Write::Direct);
}

bool FtpSide::WriteFrom(const QString &localSource, const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    settle(path);
    changed(path);
    const bool written = FtpFolder::OpenSession(m_side) && session().Upload(localSource, path);
    if (written)
        m_view.Wrote(path);
    else
        m_view.Forget(path);
    return written;
}

bool FtpSide::Rename(const QString &from, const QString &to)
{
    QMutexLocker lock(&session().Mutex());
    settle(to);
    changed(from);
    changed(to);
    const bool renamed = FtpFolder::OpenSession(m_side) && session().Rename(from, to);
    if (renamed) {
        m_view.Renamed(from, to);
    } else {
        m_view.Forget(from);
        m_view.Forget(to);
    }
    return renamed;
}

bool FtpSide::Delete(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    settle(path);
    changed(path);
    const bool deleted = FtpFolder::OpenSession(m_side) && session().Delete(path);
    if (deleted)
        m_view.Removed(path);
    else
        m_view.Forget(path);
    return deleted;
}

QString FtpSide::FreeAsideName(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    if (!FtpFolder::OpenSession(m_side))
        return {};
    settle(path);
    if (!knownFolder(path))
        return FtpFolder::FreeAsideName(path);
    const auto taken = [&](const QString &name) {
        const std::optional<KnownRemoteFolders::Known> k = m_view.Find(name);
        return !k || k->Type != KnownRemoteFolders::Known::Missing;
    };
    return KeepAside::FirstFreeName(path, taken, KeepAside::LastRemoteNumber);
}

QString FtpSide::FreeTemporaryName(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    if (!FtpFolder::OpenSession(m_side))
        return {};
    settle(path);
    const bool listed = knownFolder(path);
    // Random names: a second try is for the rare server that refuses the probe itself.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QString candidate = KeepAside::TemporaryCandidate(path);
        const std::optional<KnownRemoteFolders::Known> k = listed ? m_view.Find(candidate) : std::nullopt;
        if (k ? k->Type == KnownRemoteFolders::Known::Missing : !session().Probe(candidate))
            return candidate;
    }
    return {};
}

void FtpSide::Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot)
{
    if (seen.Type == SideEntry::Missing)
        return;
    FileEntry *entry = FtpFolder::FindStateEntry(FtpFolder::RelativePath(path, m_side), stateRoot);
    entry->FilePath = path;
    entry->FileTime = seen.FileTime;
    entry->FileSize = seen.FileSize;
    entry->IsFolder = 0;
}

void FtpSide::RecordWritten(const QString &path, FileEntry &stateRoot)
{
    if (!m_keepListings) {
        Side::RecordWritten(path, stateRoot);
        return;
    }
    QMutexLocker lock(&session().Mutex());
    m_pending[KnownRemoteFolders::FolderOf(path)].append({path, &stateRoot});
}

void FtpSide::LoadState(const QString &syncName, FileEntry &root)
{
    FtpFolder::LoadStateFile(m_base + QStringLiteral("/__FileSync__/"), m_side, root, syncName);
}

bool FtpSide::SaveState(const QString &syncName, FileEntry &root, TransferJournal *journal)
{
    {
        QMutexLocker lock(&session().Mutex());
        if (!m_pending.isEmpty() && FtpFolder::OpenSession(m_side))
            for (const QString &folder : m_pending.keys())
                recordPending(folder);
        m_pending.clear();
    }
    root.Title = m_side.FolerAllName;
    return FtpFolder::SaveStateFile(syncName, m_side, root, journal);
}
