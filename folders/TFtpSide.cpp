#include "folders/TFtpSide.h"

#include "folders/KeepAside.h"
#include "folders/TFTPFile.h"
#include "folders/TFileAttri.h"
#include "platform/FtpSession.h"

#include <QMutexLocker>
#include <algorithm>

namespace {

FtpSession &session() { return FtpSession::Global(); }

TSideEntry entryOf(const FtpEntry &found)
{
    TSideEntry e;
    e.Type = found.isFolder ? TSideEntry::Other : TSideEntry::File;
    e.FileTime = TFTPFile::PackedTime(found.modified);
    e.FileSize = found.size;
    return e;
}

}  // namespace

TFtpSide::TFtpSide(const TFolderSource &side) : m_side(side), m_base(TFTPFile::RemoteBasePath(side.FolerAllName)) {}

int32_t TFtpSide::Reach() { return TFTPFile::ConnectFtp(m_side); }

void TFtpSide::List(TFileAttri &root, const TBeenTortured &filter) { TFTPFile::ListFolder(m_side, root, filter); }

void TFtpSide::KeepFolderListings(const TFileAttri *listed)
{
    m_keepListings = true;
    m_analysed = listed;
}

std::optional<TSideEntry> TFtpSide::analysed(const QString &path) const
{
    if (!m_analysed || m_changed.contains(path))
        return std::nullopt;
    const TFileAttri *node = m_analysed;
    for (const QString &name : TFTPFile::RelativePath(path, m_side).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const std::vector<int> *named = node->ChildrenNamed(name);
        if (!named || named->empty())
            return std::nullopt;
        node = node->Child(named->front());
    }
    if (node == m_analysed || node->IsFolder)
        return std::nullopt;
    TSideEntry e;
    e.Type = TSideEntry::File;
    e.FileTime = node->FileTime;
    e.FileSize = node->FileSize;
    return e;
}

void TFtpSide::settle(const QString &path)
{
    if (m_pending.isEmpty())
        return;
    const QString here = TRemoteFolderView::FolderOf(path);
    // A written file's own facts are asked for: its folder is read now.
    const bool ownFacts = m_pending.contains(here) && std::any_of(m_pending[here].cbegin(), m_pending[here].cend(),
                                                                  [&](const PendingRecord &p) { return p.Path == path; });
    for (const QString &folder : m_pending.keys())
        if (folder != here || ownFacts)
            recordPending(folder);
}

void TFtpSide::recordPending(const QString &folder)
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
        const QString name = TRemoteFolderView::NameOf(p.Path);
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

bool TFtpSide::knownFolder(const QString &path)
{
    const QString folder = TRemoteFolderView::FolderOf(path);
    if (!m_keepListings || m_unlisted.contains(folder))
        return false;
    if (m_view.KnowsFolder(folder))
        return true;
    // A folder below the base that its parent's listing does not show is not there: no
    // listing of it, and any file in it is missing. One listing of the parent serves all
    // such folders.
    const QString base = TRemoteFolderView::FolderOf(m_base + QStringLiteral("/x"));
    const bool belowBase = folder != base && folder.startsWith(base == QLatin1String("/") ? base : base + '/');
    if (belowBase && knownFolder(folder)) {
        const std::optional<TRemoteFolderView::Known> self = m_view.Find(folder);
        if (self && self->Type != TRemoteFolderView::Known::Folder) {
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

std::optional<TSideEntry> TFtpSide::fromListings(const QString &path)
{
    if (!knownFolder(path))
        return std::nullopt;
    std::optional<TRemoteFolderView::Known> known = m_view.Find(path);
    if (known && known->Type == TRemoteFolderView::Known::File && !known->Facts && session().UsesList()) {
        // Without MLST a probe lists the folder anyway: keep that listing.
        m_view.Forget(path);
        if (!knownFolder(path))
            return std::nullopt;
        known = m_view.Find(path);
    }
    if (!known)
        return std::nullopt;
    switch (known->Type) {
    case TRemoteFolderView::Known::Missing:
        return TSideEntry();
    case TRemoteFolderView::Known::Folder: {
        TSideEntry e;
        e.Type = TSideEntry::Other;
        return e;
    }
    case TRemoteFolderView::Known::File:
        break;
    }
    // Written by this run: only the server knows the time and size it gave the file.
    if (!known->Facts)
        return std::nullopt;
    return entryOf(*known->Facts);
}

TSideEntry TFtpSide::Probe(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    if (!TFTPFile::OpenSession(m_side))
        return TSideEntry();
    settle(path);
    if (const std::optional<TSideEntry> known = fromListings(path))
        return *known;
    const std::optional<FtpEntry> found = session().Probe(path);
    if (m_keepListings) {
        if (found)
            m_view.Learned(path, *found);
        else
            m_view.Forget(path);
    }
    return found ? entryOf(*found) : TSideEntry();
}

TSideEntry TFtpSide::ListedEntry(const QString &path)
{
    {
        QMutexLocker lock(&session().Mutex());
        // A folder read in this run speaks for now; until then the analysis's listing does.
        if (m_keepListings && !m_view.KnowsFolder(TRemoteFolderView::FolderOf(path)))
            if (const std::optional<TSideEntry> listed = analysed(path))
                return *listed;
    }
    return Probe(path);
}

void TFtpSide::MakeFolders(const QString &relativePath)
{
    if (!m_keepListings) {
        TFTPFile::ForceRemoteFolders(relativePath, m_side);
        return;
    }
    QMutexLocker lock(&session().Mutex());
    if (!TFTPFile::OpenSession(m_side))
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

bool TFtpSide::ReadTo(const QString &path, const QString &localTarget)
{
    QMutexLocker lock(&session().Mutex());
    if (!TFTPFile::OpenSession(m_side))
        return false;
    settle(path);
    // The size a listing gave is the size the copy must have. A LIST line of a link gives
    // the link's own size, so the analysis's listing only counts when it was MLSD.
    qint64 size = -1;
    if (m_keepListings) {
        if (m_view.KnowsFolder(TRemoteFolderView::FolderOf(path))) {
            const std::optional<TRemoteFolderView::Known> known = m_view.Find(path);
            if (known && known->Facts && known->Facts->sizeKnown)
                size = known->Facts->size;
        } else if (!session().UsesList()) {
            if (const std::optional<TSideEntry> listed = analysed(path))
                size = listed->FileSize;
        }
    }
    if (session().Download(path, localTarget, FtpSession::Write::Direct, size))
        return true;
    // Changed since it was listed: read it again as it is now, checked as the server tells.
    return size >= 0 && session().LastError() == FtpSession::SizeDiffers
           && session().Download(path, localTarget, FtpSession::Write::Direct);
}

bool TFtpSide::WriteFrom(const QString &localSource, const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    settle(path);
    changed(path);
    const bool written = TFTPFile::OpenSession(m_side) && session().Upload(localSource, path);
    if (written)
        m_view.Wrote(path);
    else
        m_view.Forget(path);
    return written;
}

bool TFtpSide::Rename(const QString &from, const QString &to)
{
    QMutexLocker lock(&session().Mutex());
    settle(to);
    changed(from);
    changed(to);
    const bool renamed = TFTPFile::OpenSession(m_side) && session().Rename(from, to);
    if (renamed) {
        m_view.Renamed(from, to);
    } else {
        m_view.Forget(from);
        m_view.Forget(to);
    }
    return renamed;
}

bool TFtpSide::Delete(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    settle(path);
    changed(path);
    const bool deleted = TFTPFile::OpenSession(m_side) && session().Delete(path);
    if (deleted)
        m_view.Removed(path);
    else
        m_view.Forget(path);
    return deleted;
}

QString TFtpSide::FreeAsideName(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    if (!TFTPFile::OpenSession(m_side))
        return {};
    settle(path);
    if (!knownFolder(path))
        return TFTPFile::FreeAsideName(path);
    const auto taken = [&](const QString &name) {
        const std::optional<TRemoteFolderView::Known> k = m_view.Find(name);
        return !k || k->Type != TRemoteFolderView::Known::Missing;
    };
    return KeepAside::FirstFreeName(path, taken, KeepAside::LastRemoteNumber);
}

QString TFtpSide::FreeTemporaryName(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    if (!TFTPFile::OpenSession(m_side))
        return {};
    settle(path);
    const bool listed = knownFolder(path);
    // Random names: a second try is for the rare server that refuses the probe itself.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QString candidate = KeepAside::TemporaryCandidate(path);
        const std::optional<TRemoteFolderView::Known> k = listed ? m_view.Find(candidate) : std::nullopt;
        if (k ? k->Type == TRemoteFolderView::Known::Missing : !session().Probe(candidate))
            return candidate;
    }
    return {};
}

void TFtpSide::Record(const QString &path, const TSideEntry &seen, TFileAttri &stateRoot)
{
    if (seen.Type == TSideEntry::Missing)
        return;
    TFileAttri *entry = TFTPFile::FindStateEntry(TFTPFile::RelativePath(path, m_side), stateRoot);
    entry->FilePath = path;
    entry->FileTime = seen.FileTime;
    entry->FileSize = seen.FileSize;
    entry->IsFolder = 0;
}

void TFtpSide::RecordWritten(const QString &path, TFileAttri &stateRoot)
{
    if (!m_keepListings) {
        TSideAccess::RecordWritten(path, stateRoot);
        return;
    }
    QMutexLocker lock(&session().Mutex());
    m_pending[TRemoteFolderView::FolderOf(path)].append({path, &stateRoot});
}

void TFtpSide::LoadState(const QString &syncName, TFileAttri &root)
{
    TFTPFile::LoadStateFile(m_base + QStringLiteral("/__FileSync__/"), m_side, root, syncName);
}

bool TFtpSide::SaveState(const QString &syncName, TFileAttri &root, TTransferJournal *journal)
{
    {
        QMutexLocker lock(&session().Mutex());
        if (!m_pending.isEmpty() && TFTPFile::OpenSession(m_side))
            for (const QString &folder : m_pending.keys())
                recordPending(folder);
        m_pending.clear();
    }
    root.Title = m_side.FolerAllName;
    return TFTPFile::SaveStateFile(syncName, m_side, root, journal);
}
