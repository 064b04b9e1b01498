#include "folders/FtpSide.h"

#include "app/CertificatePins.h"
#include "folders/FileEntry.h"
#include "folders/FtpFolder.h"
#include "folders/KeepAside.h"
#include "platform/FtpSession.h"
#include "platform/FtpSessionPool.h"

#include <QMutexLocker>
#include <algorithm>

FtpSide::FtpSide(const JobSide &side)
    : Side(false, FtpFolder::RemoteBasePath(side.FolerAllName)), m_side(side), m_session(FtpSession::Global()),
      m_shared(std::make_shared<Shared>())
{
}

FtpSide::FtpSide(const FtpSide &first, FtpSession &connection)
    : Side(false, first.Base()), m_side(first.m_side), m_session(connection), m_shared(first.m_shared)
{
}

std::unique_ptr<Side> FtpSide::Sibling(FtpSession &connection)
{
    {
        const Lock lock(*this);
        m_shared->Shared = true;
    }
    return std::unique_ptr<Side>(new FtpSide(*this, connection));
}

FtpSide::Lock::Lock(const FtpSide &side) : m_shared(&side.m_shared->Mutex), m_session(&side.m_session.Mutex()) {}

void FtpSide::Lock::Release()
{
    m_session.unlock();
    m_shared.unlock();
}

void FtpSide::Lock::Retake()
{
    m_shared.relock();
    m_session.relock();
}

bool FtpSide::open()
{
    return &m_session == &FtpSession::Global() ? FtpFolder::OpenSession(m_side) : FtpFolder::OpenSession(m_side, m_session);
}

int32_t FtpSide::Reach()
{
    // A sibling keeps the login its connection has; the first access logs in afresh.
    if (&m_session == &FtpSession::Global())
        return FtpFolder::ConnectFtp(m_side);
    return open() ? 0 : m_session.LastError() != 0 ? m_session.LastError() : -1;
}

void FtpSide::OpenConnectionsAhead()
{
    if (&m_session == &FtpSession::Global())
        FtpFolder::OpenConnectionsAhead(m_side);
}

void FtpSide::SetMeter(std::atomic<int64_t> *meter)
{
    // The copies run on every session of the pool.
    FtpSessionPool::Global().SetMeter(meter);
}

std::optional<ServerTrust> FtpSide::Untrusted() const { return m_session.UntrustedServer(); }

bool FtpSide::Trust(const ServerTrust &trust)
{
    return trust.kind == ServerTrust::Kind::Certificate && CertificatePins::Store(trust.server, trust.record);
}

bool FtpSide::List(FileEntry &root, const FileFilter &filter, QString &failedFolder)
{
    m_listFailure.clear();
    return FtpFolder::ListFolder(m_side, root, filter, &failedFolder, &m_listFailure, &m_notice, m_listingProgress);
}

// A listing may have failed on another connection than the session's own.
QString FtpSide::FailureReason() const { return m_listFailure.isEmpty() ? m_session.LastReason() : m_listFailure; }

bool FtpSide::FailedAtGivenFile() const { return m_session.LastError() == FtpSession::LocalFileError; }

bool FtpSide::Lost() const { return m_session.ConnectionLost(); }

void FtpSide::KeepFolderListings(const FileEntry *listed)
{
    const Lock lock(*this);
    m_shared->KeepListings = true;
    m_shared->Analysed = listed;
}

std::optional<SideEntry> FtpSide::analysed(const QString &path) const
{
    if (!m_shared->Analysed || m_shared->Changed.contains(path))
        return std::nullopt;
    const FileEntry *node = m_shared->Analysed;
    for (const QString &name : FtpFolder::RelativePath(path, m_side).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const std::vector<int> *named = node->ChildrenNamed(name);
        if (!named || named->empty())
            return std::nullopt;
        node = node->Child(named->front());
    }
    if (node == m_shared->Analysed || node->IsFolder)
        return std::nullopt;
    SideEntry e;
    e.Type = SideEntry::File;
    e.FileTime = node->FileTime;
    e.FileSize = node->FileSize;
    return e;
}

void FtpSide::settle(const QString &path)
{
    if (m_shared->Pending.isEmpty())
        return;
    const QString here = KnownRemoteFolders::FolderOf(path);
    // A written file's own facts are asked for: its folder is read now.
    const auto pending = m_shared->Pending.constFind(here);
    const bool ownFacts = pending != m_shared->Pending.cend()
                          && std::any_of(pending->cbegin(), pending->cend(),
                                         [&](const PendingRecord &p) { return p.Path == path; });
    // With siblings at work a folder the walk has left may still be written to: every
    // folder is then read once, when the state is saved.
    if (m_shared->Shared) {
        if (ownFacts)
            recordPending(here);
        return;
    }
    for (const QString &folder : m_shared->Pending.keys())
        if (folder != here || ownFacts)
            recordPending(folder);
}

namespace {

QString asFolder(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

}  // namespace

void FtpSide::recordPending(const QString &folder)
{
    const QList<PendingRecord> pending = m_shared->Pending.take(folder);
    // The folder is read once the walk has left it, so that one listing gives the time and
    // size the server put on all the files written there; what the next listing shows is
    // what the state records.
    QList<FtpEntry> entries;
    const bool listed = m_session.List(asFolder(folder), entries);
    recordListed(folder, pending, listed ? &entries : nullptr);
}

void FtpSide::RecordWrittenNow()
{
    for (;;) {
        Lock lock(*this);
        if (m_shared->Pending.isEmpty())
            return;
        const QString folder = m_shared->Pending.cbegin().key();
        const QList<PendingRecord> pending = m_shared->Pending.take(folder);
        lock.Release();
        QList<FtpEntry> entries;
        const bool listed = travel([&] { return m_session.List(asFolder(folder), entries); });
        lock.Retake();
        if (!listed) {
            // Left for the state's own pass, which knows how long a cancelled run may take.
            m_shared->Pending[folder] += pending;
            return;
        }
        recordListed(folder, pending, &entries);
    }
}

void FtpSide::recordListed(const QString &folder, const QList<PendingRecord> &pending, const QList<FtpEntry> *entries)
{
    if (entries)
        m_shared->View.Listed(folder, *entries);
    for (const PendingRecord &p : pending) {
        const QString name = KnownRemoteFolders::NameOf(p.Path);
        std::optional<FtpEntry> found;
        if (entries)
            for (const FtpEntry &e : *entries)
                if (e.name == name)
                    found = e;
        if (!found)
            found = m_session.Probe(p.Path);
        // Gone meanwhile: not recorded, as the next listing will not show it either.
        if (found && !found->isFolder)
            Record(p.Path, FtpFolder::EntryOf(*found), *p.StateRoot);
    }
}

bool FtpSide::knownFolder(const QString &path)
{
    const QString folder = KnownRemoteFolders::FolderOf(path);
    if (!m_shared->KeepListings || m_shared->Unlisted.contains(folder))
        return false;
    if (m_shared->View.KnowsFolder(folder))
        return true;
    // A folder below the base that its parent's listing does not show is not there: no
    // listing of it, and any file in it is missing. One listing of the parent serves all
    // such folders.
    const QString base = KnownRemoteFolders::FolderOf(Base() + QStringLiteral("/x"));
    const bool belowBase = folder != base && folder.startsWith(base == QLatin1String("/") ? base : base + '/');
    if (belowBase && knownFolder(folder)) {
        const std::optional<KnownRemoteFolders::Known> self = m_shared->View.Find(folder);
        if (self && self->Type != KnownRemoteFolders::Known::Folder) {
            m_shared->View.Absent(folder);
            return true;
        }
    }
    QList<FtpEntry> entries;
    if (!m_session.List(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'), entries)) {
        m_shared->Unlisted.insert(folder);
        return false;
    }
    m_shared->View.Listed(folder, entries);
    return true;
}

std::optional<SideEntry> FtpSide::fromListings(const QString &path)
{
    if (!knownFolder(path))
        return std::nullopt;
    std::optional<KnownRemoteFolders::Known> known = m_shared->View.Find(path);
    if (known && known->Type == KnownRemoteFolders::Known::File && !known->Facts && m_session.UsesList()) {
        // Without MLST a probe lists the folder anyway: keep that listing.
        m_shared->View.Forget(path);
        if (!knownFolder(path))
            return std::nullopt;
        known = m_shared->View.Find(path);
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
    return FtpFolder::EntryOf(*known->Facts);
}

SideEntry FtpSide::Probe(const QString &path)
{
    const Lock lock(*this);
    if (!open())
        return SideEntry();
    settle(path);
    if (const std::optional<SideEntry> known = fromListings(path))
        return *known;
    const std::optional<FtpEntry> found = m_session.Probe(path);
    if (m_shared->KeepListings) {
        if (found)
            m_shared->View.Learned(path, *found);
        else
            m_shared->View.Forget(path);
    }
    return found ? FtpFolder::EntryOf(*found) : SideEntry();
}

SideEntry FtpSide::ListedEntry(const QString &path)
{
    {
        const Lock lock(*this);
        // A folder read in this run speaks for now; until then the analysis's listing does.
        if (m_shared->KeepListings && !m_shared->View.KnowsFolder(KnownRemoteFolders::FolderOf(path)))
            if (const std::optional<SideEntry> listed = analysed(path))
                return *listed;
    }
    return Probe(path);
}

QString FtpSide::MakeFolders(const QString &relativePath)
{
    if (!m_shared->KeepListings)
        return FtpFolder::ForceRemoteFolders(relativePath, m_side);
    const Lock lock(*this);
    if (!open())
        return {};
    QString made;
    settle(Base() + relativePath);
    for (qsizetype i = relativePath.indexOf(QLatin1Char('/'), 1); i >= 0;
         i = relativePath.indexOf(QLatin1Char('/'), i + 1)) {
        const QString folder = Base() + relativePath.left(i);
        if (m_shared->View.FolderExists(folder))
            continue;
        // One command either way: a folder that is there already refuses it, and the copy
        // into it then goes ahead.
        if (m_session.MakeDirectory(folder)) {
            m_shared->View.Created(folder);
            m_shared->Unlisted.remove(folder);
            if (made.isEmpty())
                made = folder;
        } else {
            // Made by someone else since it was seen absent, perhaps with files in it.
            m_shared->View.Forget(folder + QLatin1Char('/'));
        }
    }
    return made;
}

bool FtpSide::ReadTo(const QString &path, const QString &localTarget)
{
    Lock lock(*this);
    if (!open())
        return false;
    settle(path);
    // The size a listing gave is the size the copy must have. A LIST line of a link gives
    // the link's own size, so the analysis's listing only counts when it was MLSD.
    qint64 size = -1;
    if (m_shared->KeepListings) {
        if (m_shared->View.KnowsFolder(KnownRemoteFolders::FolderOf(path))) {
            const std::optional<KnownRemoteFolders::Known> known = m_shared->View.Find(path);
            if (known && known->Facts && known->Facts->sizeKnown)
                size = known->Facts->size;
        } else if (!m_session.UsesList()) {
            if (const std::optional<SideEntry> listed = analysed(path))
                size = listed->FileSize;
        }
    }
    lock.Release();
    QMutexLocker own(&m_session.Mutex());
    if (m_session.Download(path, localTarget, FtpSession::Write::Direct, size))
        return true;
    // Changed since it was listed: read it again as it is now, checked as the server tells.
    return size >= 0 && m_session.LastError() == FtpSession::SizeDiffers
           && m_session.Download(path, localTarget, FtpSession::Write::Direct);
}

bool FtpSide::WriteFrom(const QString &localSource, const QString &path)
{
    Lock lock(*this);
    settle(path);
    changed(path);
    lock.Release();
    const bool written = travel([&] { return m_session.Upload(localSource, path); });
    lock.Retake();
    if (written)
        m_shared->View.Wrote(path);
    else
        m_shared->View.Forget(path);
    return written;
}

bool FtpSide::Rename(const QString &from, const QString &to)
{
    Lock lock(*this);
    settle(to);
    changed(from);
    changed(to);
    lock.Release();
    const bool renamed = travel([&] { return m_session.Rename(from, to); });
    lock.Retake();
    if (renamed) {
        m_shared->View.Renamed(from, to);
    } else {
        m_shared->View.Forget(from);
        m_shared->View.Forget(to);
    }
    return renamed;
}

bool FtpSide::Delete(const QString &path)
{
    Lock lock(*this);
    settle(path);
    changed(path);
    lock.Release();
    const bool deleted = travel([&] { return m_session.Delete(path); });
    lock.Retake();
    if (deleted)
        m_shared->View.Removed(path);
    else
        m_shared->View.Forget(path);
    return deleted;
}

QString FtpSide::FreeAsideName(const QString &path)
{
    const Lock lock(*this);
    if (!open())
        return {};
    settle(path);
    if (!knownFolder(path))
        return FtpFolder::FreeAsideName(path);
    const auto taken = [&](const QString &name) {
        const std::optional<KnownRemoteFolders::Known> k = m_shared->View.Find(name);
        return !k || k->Type != KnownRemoteFolders::Known::Missing;
    };
    return KeepAside::FirstFreeName(path, taken, KeepAside::LastRemoteNumber);
}

bool FtpSide::Taken(const QString &path)
{
    const Lock lock(*this);
    if (!open())
        return true;
    settle(path);
    const std::optional<KnownRemoteFolders::Known> k = knownFolder(path) ? m_shared->View.Find(path) : std::nullopt;
    return k ? k->Type != KnownRemoteFolders::Known::Missing : m_session.Probe(path).has_value();
}

bool FtpSide::RemoveEmptyFolder(const QString &path)
{
    Lock lock(*this);
    settle(path);
    changed(path);
    lock.Release();
    const bool removed = travel([&] { return m_session.RemoveDirectory(path); });
    lock.Retake();
    if (!removed) {
        m_shared->View.Forget(path + QLatin1Char('/'));
        return false;
    }
    m_shared->View.Removed(path);
    m_shared->View.Absent(path);
    return true;
}

bool FtpSide::travel(const std::function<bool()> &call)
{
    QMutexLocker own(&m_session.Mutex());
    return open() && call();
}

void FtpSide::Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot)
{
    const Lock lock(*this);
    FtpFolder::RecordEntry(path, seen, m_side, stateRoot);
}

void FtpSide::RecordWritten(const QString &path, FileEntry &stateRoot)
{
    if (!m_shared->KeepListings) {
        Side::RecordWritten(path, stateRoot);
        return;
    }
    const Lock lock(*this);
    m_shared->Pending[KnownRemoteFolders::FolderOf(path)].append({path, &stateRoot});
}

void FtpSide::LoadState(const QString &syncName, FileEntry &root)
{
    FtpFolder::LoadStateFile(Base() + QStringLiteral("/__FileSync__/"), m_side, root, syncName);
}

bool FtpSide::SaveState(const QString &syncName, FileEntry &root, TransferJournal *journal)
{
    {
        const Lock lock(*this);
        if (!m_shared->Pending.isEmpty() && open())
            for (const QString &folder : m_shared->Pending.keys())
                recordPending(folder);
        m_shared->Pending.clear();
    }
    root.SetTitle(m_side.FolerAllName);
    return FtpFolder::SaveStateFile(syncName, m_side, root, journal);
}
