#include "folders/TFtpSide.h"

#include "folders/KeepAside.h"
#include "folders/TFTPFile.h"
#include "folders/TFileAttri.h"
#include "platform/FtpSession.h"

#include <QMutexLocker>

namespace {

FtpSession &session() { return FtpSession::Global(); }

}  // namespace

TFtpSide::TFtpSide(const TFolderSource &side) : m_side(side), m_base(TFTPFile::RemoteBasePath(side.FolerAllName)) {}

int32_t TFtpSide::Reach() { return TFTPFile::ConnectFtp(m_side); }

void TFtpSide::List(TFileAttri &root, const TBeenTortured &filter) { TFTPFile::ListFolder(m_side, root, filter); }

TSideEntry TFtpSide::Probe(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    TSideEntry e;
    if (!TFTPFile::OpenSession(m_side))
        return e;
    if (const std::optional<FtpEntry> found = session().Probe(path)) {
        e.Type = found->isFolder ? TSideEntry::Other : TSideEntry::File;
        e.FileTime = TFTPFile::PackedTime(found->modified);
        e.FileSize = found->size;
    }
    return e;
}

void TFtpSide::MakeFolders(const QString &relativePath) { TFTPFile::ForceRemoteFolders(relativePath, m_side); }

bool TFtpSide::ReadTo(const QString &path, const QString &localTarget)
{
    QMutexLocker lock(&session().Mutex());
    return TFTPFile::OpenSession(m_side) && session().Download(path, localTarget, FtpSession::Write::Direct);
}

bool TFtpSide::WriteFrom(const QString &localSource, const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    return TFTPFile::OpenSession(m_side) && session().Upload(localSource, path);
}

bool TFtpSide::Rename(const QString &from, const QString &to)
{
    QMutexLocker lock(&session().Mutex());
    return TFTPFile::OpenSession(m_side) && session().Rename(from, to);
}

bool TFtpSide::Delete(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    return TFTPFile::OpenSession(m_side) && session().Delete(path);
}

QString TFtpSide::FreeAsideName(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    return TFTPFile::OpenSession(m_side) ? TFTPFile::FreeAsideName(path) : QString();
}

QString TFtpSide::FreeTemporaryName(const QString &path)
{
    QMutexLocker lock(&session().Mutex());
    if (!TFTPFile::OpenSession(m_side))
        return {};
    // Random names: a second try is for the rare server that refuses the probe itself.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QString candidate = KeepAside::TemporaryCandidate(path);
        if (!session().Probe(candidate))
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

void TFtpSide::LoadState(const QString &syncName, TFileAttri &root)
{
    TFTPFile::LoadStateFile(m_base + QStringLiteral("/__FileSync__/"), m_side, root, syncName);
}

bool TFtpSide::SaveState(const QString &syncName, TFileAttri &root, TTransferJournal *journal)
{
    root.Title = m_side.FolerAllName;
    return TFTPFile::SaveStateFile(syncName, m_side, root, journal);
}
