#include "folders/FtpFolder.h"

#include "app/CertificatePins.h"
#include "app/DosDateTime.h"
#include "folders/FileEntry.h"
#include "folders/FileFilter.h"
#include "folders/FtpSide.h"
#include "folders/FtpTreeWalk.h"
#include "folders/KeepAside.h"
#include "folders/LocalSide.h"
#include "folders/SafeCopy.h"
#include "folders/SftpFolder.h"
#include "folders/StateFile.h"
#include "model/JobSide.h"
#include "model/RemoteAddress.h"
#include "platform/FtpSession.h"
#include "platform/FtpSessionPool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSet>
#include <QTemporaryDir>
#include <memory>
#include <optional>

namespace {

const QString FileSyncFolder = QStringLiteral("__FileSync__");
const QString SaveFolder = QStringLiteral("__Save__");

FtpSession &session() { return FtpSession::Global(); }

FtpSession::Endpoint endpointOf(const JobSide &src)
{
    const RemoteAddress address = RemoteAddress::Parse(src.FolerAllName);
    FtpSession::Endpoint ep;
    ep.host = address.host;
    ep.port = address.port;
    ep.user = src.UserName;
    ep.password = src.PWD;
    ep.tls = address.scheme == RemoteAddress::Scheme::Ftps;
    if (ep.tls)
        ep.pinnedKey = CertificatePins::Pin(address.HostPort());
    return ep;
}

// Connect-if-needed, for the server and login of this source only.
bool ensureSession(const JobSide &src) { return session().EnsureOpen(endpointOf(src)); }

QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString relativePath(const QString &remotePath, const JobSide &src)
{
    const QString base = FtpFolder::RemoteBasePath(src.FolerAllName);
    QString rest = remotePath;
    if (!base.isEmpty()) {
        const qsizetype at = remotePath.indexOf(base);
        if (at >= 0)
            rest = remotePath.mid(at + base.size());
    }
    return rest.startsWith(QLatin1Char('/')) ? rest : QLatin1Char('/') + rest;
}

std::optional<FtpEntry> remoteFile(const QString &remotePath)
{
    std::optional<FtpEntry> e = session().Probe(remotePath);
    if (e && e->isFolder)
        return std::nullopt;
    return e;
}

void fillTree(const QString &folderPath, const JobSide &src, FtpNodeSink &sink, void *parent,
              bool foldersOnly)
{
    if (!ensureSession(src))
        return;
    QList<FtpEntry> entries;
    if (!session().List(withSlash(folderPath.trimmed()), entries))
        return;
    for (const FtpEntry &e : entries) {
        if (FtpFolder::SkippedName(e.name) || (foldersOnly && !e.isFolder))
            continue;
        const FtpNodeRecord rec{e.name, src.FolerAllName + QLatin1Char('/') + e.name};
        sink.AddNode(parent, e.name, rec, 1, 1, e.isFolder);
    }
}

// A job name becomes a remote file name: nothing that could point elsewhere.
bool usableStateName(const QString &syncName)
{
    return !syncName.isEmpty() && !syncName.contains(QLatin1Char('/')) && syncName != QLatin1String(".")
           && syncName != QLatin1String("..");
}

QString remoteStatePath(const JobSide &src, const QString &syncName)
{
    return FtpFolder::RemoteBasePath(src.FolerAllName) + QLatin1Char('/') + FileSyncFolder
           + QLatin1Char('/') + syncName;
}

}  // namespace

QString FtpFolder::NormalizeFtpUrl(const QString &text) { return RemoteAddress::Normalize(text); }

QString FtpFolder::GetFtpHost(const QString &url) { return RemoteAddress::Authority(url); }

QString FtpFolder::RemoteBasePath(const QString &url) { return RemoteAddress::BasePath(url); }

int32_t FtpFolder::ConnectFtp(const JobSide &src)
{
    QMutexLocker lock(&session().Mutex());
    return session().Open(endpointOf(src));
}

bool FtpFolder::SkippedName(const QString &name)
{
    const QString t = name.trimmed();
    return t == QLatin1String(".") || t == QLatin1String("..") || t == FileSyncFolder || t == SaveFolder;
}

bool FtpFolder::ListFolder(const JobSide &src, FileEntry &root, const FileFilter &filter, QString *failedFolder,
                           QString *failureReason, QString *notice, ListingProgress *progress)
{
    QMutexLocker lock(&session().Mutex());
    QString path = RemoteBasePath(src.FolerAllName).trimmed();
    if (path.isEmpty())
        path = QStringLiteral("/");
    if (!ensureSession(src)) {
        if (failedFolder)
            *failedFolder = withSlash(path);
        if (failureReason)
            *failureReason = session().LastReason();
        return false;
    }
    QList<QByteArray> ancestors;
    if (const std::optional<FtpEntry> base = session().Probe(path); base && !base->unique.isEmpty())
        ancestors.append(base->unique);
    FtpTreeWalk walk(endpointOf(src), filter);
    walk.SetProgress(progress);
    const QList<FtpSession *> extra = FtpSessionPool::Global().Extra();
    const bool listed = walk.Run(path, root, ancestors, session(), extra);
    if (failedFolder)
        *failedFolder = walk.FailedFolder();
    if (failureReason)
        *failureReason = walk.FailureReason();
    if (notice && !walk.Refusal().isEmpty())
        *notice = QStringLiteral("The FTP server accepted %1 of %2 connections (%3); the folders are listed on %1.")
                      .arg(walk.Connections())
                      .arg(extra.size() + 1)
                      .arg(walk.Refusal());
    return listed;
}

void FtpFolder::FillFolderTree(const JobSide &src, FtpNodeSink &sink, void *parentNode)
{
    QMutexLocker lock(&session().Mutex());
    fillTree(RemoteBasePath(src.FolerAllName), src, sink, parentNode, true);
}

void FtpFolder::FillContentsTree(const QString &folderPath, const JobSide &src, FtpNodeSink &sink)
{
    QMutexLocker lock(&session().Mutex());
    fillTree(folderPath, src, sink, nullptr, false);
}

QDateTime FtpFolder::FileTimeToDateTime(const QDateTime &serverUtc)
{
    return serverUtc.isValid() ? serverUtc.toLocalTime() : QDateTime();
}

bool FtpFolder::OpenSession(const JobSide &src) { return ensureSession(src); }

bool FtpFolder::OpenSession(const JobSide &src, FtpSession &other) { return other.EnsureOpen(endpointOf(src)); }

void FtpFolder::OpenConnectionsAhead(const JobSide &src)
{
    FtpSessionPool::Global().OpenExtraAhead(endpointOf(src), session().WatchedCancelFlag());
}

int32_t FtpFolder::PackedTime(const QDateTime &serverUtc)
{
    // Not through QDateTime's local time: Qt reads the zone file again for every entry.
    return serverUtc.isValid() ? DosDateTime::FromEpochSeconds(serverUtc.toSecsSinceEpoch()) : 0;
}

SideEntry FtpFolder::EntryOf(const FtpEntry &found)
{
    SideEntry e;
    e.Type = found.isFolder ? SideEntry::Other : SideEntry::File;
    e.FileTime = PackedTime(found.modified);
    e.FileSize = found.size;
    return e;
}

QString FtpFolder::RelativePath(const QString &remotePath, const JobSide &src)
{
    return relativePath(remotePath, src);
}

QString FtpFolder::FreeAsideName(const QString &remotePath)
{
    QMutexLocker lock(&session().Mutex());
    // One probe for the usual case; a listing only when numbers are needed.
    std::optional<QSet<QString>> listed;
    const qsizetype slash = remotePath.lastIndexOf(QLatin1Char('/'));
    bool unreadable = false;
    const auto taken = [&](const QString &name) {
        if (!listed) {
            if (name == remotePath + QStringLiteral(".p"))
                return session().Probe(name).has_value();
            QList<FtpEntry> entries;
            unreadable = !session().List(remotePath.left(slash + 1), entries);
            listed.emplace();
            for (const FtpEntry &e : entries)
                listed->insert(e.name);
        }
        return unreadable || listed->contains(name.mid(slash + 1));
    };
    return KeepAside::FirstFreeName(remotePath, taken, KeepAside::LastRemoteNumber);
}

FileEntry *FtpFolder::FindStateEntry(const QString &relativePath, FileEntry &root)
{
    return StateFile::FindEntry(relativePath, root);
}

void FtpFolder::RecordEntry(const QString &remotePath, const SideEntry &seen, const JobSide &src, FileEntry &root)
{
    if (seen.Type == SideEntry::Missing)
        return;
    FileEntry *entry = FindStateEntry(RelativePath(remotePath, src), root);
    entry->SetFilePath(remotePath);
    entry->FileTime = seen.FileTime;
    entry->FileSize = seen.FileSize;
    entry->IsFolder = 0;
}

bool FtpFolder::GetRemoteFile(const QString &remotePath, const QString &localPath, FileEntry &rightState,
                             const JobSide &src)
{
    QMutexLocker lock(&session().Mutex());
    FtpSide remote(src);
    // What the listing shows before the transfer is what the state records.
    const SideEntry seen = remote.Probe(remotePath);
    if (seen.Type != SideEntry::File)
        return false;
    LocalSide local(QFileInfo(localPath).path(), false);
    if (!SafeCopy::Copy(remote, remotePath, local, localPath, nullptr, QString()))
        return false;
    remote.Record(remotePath, seen, rightState);
    return true;
}

bool FtpFolder::SyncDownload(const QString &remotePath, const QString &localPath, FileEntry &rightState,
                            const JobSide &src)
{
    // The copy itself keeps the local file aside until the new one is complete.
    return GetRemoteFile(remotePath, localPath, rightState, src);
}

bool FtpFolder::SyncUpload(const QString &localPath, const QString &saveFolder, int32_t saveOldFile,
                          FileEntry &rightState, const JobSide &src, const QString &remotePath)
{
    QMutexLocker lock(&session().Mutex());
    if (!ensureSession(src) || !QFileInfo(localPath).isFile())
        return false;
    FtpSide remote(src);
    // A failed save does not stop the upload.
    if (saveOldFile == 1 && remote.Probe(remotePath).Type == SideEntry::File)
        SafeCopy::SaveCopy(remote, remotePath, QDir::cleanPath(saveFolder + relativePath(remotePath, src)));
    LocalSide local(QFileInfo(localPath).path(), false);
    if (!SafeCopy::Copy(local, localPath, remote, remotePath, nullptr, QString()))
        return false;
    remote.Record(remotePath, remote.Probe(remotePath), rightState);
    return true;
}

QString FtpFolder::ForceRemoteFolders(const QString &relativePath, const JobSide &src)
{
    QMutexLocker lock(&session().Mutex());
    // Folders are made on this source's server, never on one opened for another job.
    if (!ensureSession(src))
        return {};
    const QString base = RemoteBasePath(src.FolerAllName);
    QString made;
    for (qsizetype i = relativePath.indexOf(QLatin1Char('/'), 1); i >= 0;
         i = relativePath.indexOf(QLatin1Char('/'), i + 1)) {
        const QString folder = base + relativePath.left(i);
        if (!session().SetCurrentDirectory(folder) && session().MakeDirectory(folder) && made.isEmpty())
            made = folder;
    }
    return made;
}

bool FtpFolder::RemoteEntryExists(const QString &remotePath, const JobSide &src)
{
    QMutexLocker lock(&session().Mutex());
    return ensureSession(src) && session().Probe(remotePath).has_value();
}

bool FtpFolder::FetchFile(const QString &remotePath, const QString &localPath, const JobSide &src)
{
    if (SftpFolder::IsSftp(src))
        return SftpFolder::FetchFile(remotePath, localPath, src);
    QMutexLocker lock(&session().Mutex());
    if (!ensureSession(src) || !remoteFile(remotePath))
        return false;
    return session().Download(remotePath, localPath);
}

bool FtpFolder::DeleteFtpFile(const QString &remotePath, const JobSide &src)
{
    if (SftpFolder::IsSftp(src))
        return SftpFolder::DeleteFile(remotePath, src);
    QMutexLocker lock(&session().Mutex());
    if (!ensureSession(src) || !remoteFile(remotePath))
        return false;
    return session().Delete(remotePath);
}

bool FtpFolder::RestoreFile(const QString &localPath, const QString &remotePath, const JobSide &src,
                            SideEntry &restored)
{
    if (SftpFolder::IsSftp(src))
        return SftpFolder::RestoreFile(localPath, remotePath, src, restored);
    QMutexLocker lock(&session().Mutex());
    restored = SideEntry();
    if (!ensureSession(src) || !QFileInfo(localPath).isFile())
        return false;
    FtpSide remote(src);
    LocalSide local(QFileInfo(localPath).path(), false);
    if (!SafeCopy::Copy(local, localPath, remote, remotePath, nullptr, QString()))
        return false;
    restored = remote.Probe(remotePath);
    if (restored.Type == SideEntry::File)
        QFile::remove(localPath);
    return true;
}

void FtpFolder::LoadStateFile(const QString &remoteStateFolder, const JobSide &src, FileEntry &root,
                             const QString &syncName)
{
    QMutexLocker lock(&session().Mutex());
    if (!usableStateName(syncName) || !ensureSession(src))
        return;
    // Private to this user and this call; never a name other files could have.
    QTemporaryDir dir;
    if (!dir.isValid())
        return;
    const QString local = dir.filePath(QStringLiteral("state"));
    if (session().Download(withSlash(remoteStateFolder) + syncName, local))
        StateFile::ReadFile(local, root);
}

bool FtpFolder::SaveStateFile(const QString &syncName, const JobSide &src, const FileEntry &root,
                             TransferJournal *journal)
{
    QMutexLocker lock(&session().Mutex());
    if (!usableStateName(syncName) || !ensureSession(src))
        return false;
    ForceRemoteFolders(QLatin1Char('/') + FileSyncFolder + QLatin1Char('/'), src);
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    const QString local = dir.filePath(QStringLiteral("state"));
    if (!StateFile::WriteFile(local, root))
        return false;
    FtpSide remote(src);
    LocalSide folder(dir.path(), false);
    return SafeCopy::Copy(folder, local, remote, remoteStatePath(src, syncName), journal, src.FolerAllName);
}
