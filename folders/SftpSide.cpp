#include "folders/SftpSide.h"

#include "folders/FileEntry.h"
#include "folders/FileFilter.h"
#include "folders/FtpFolder.h"
#include "folders/FtpTreeWalk.h"
#include "folders/ListingProgress.h"
#include "folders/LocalSide.h"
#include "folders/SafeCopy.h"
#include "folders/SftpFolder.h"
#include "folders/StateFile.h"
#include "platform/FtpSession.h"
#include "platform/KnownHosts.h"

#include <QTemporaryDir>
#include <deque>
#include <functional>

SftpSide::SftpSide(const JobSide &side) : Side(false, FtpFolder::RemoteBasePath(side.FolerAllName)), m_side(side) {}

SftpSession *SftpSide::session()
{
    // The run's Cancel, and its settle step, are watched on the process's FTP session for
    // the run's thread.
    m_session.WatchCancel(FtpSession::Global().WatchedCancel());
    SftpSession::Endpoint endpoint = SftpFolder::EndpointOf(m_side);
    endpoint.passphrase = m_passphrase;
    return m_session.EnsureOpen(endpoint) ? &m_session : nullptr;
}

QString SftpSide::LockedKeyFile() const { return m_session.NeedsPassphrase() ? m_side.PrivateKey : QString(); }

int32_t SftpSide::Reach() { return session() ? 0 : -1; }

bool SftpSide::Trust(const ServerTrust &trust)
{
    return trust.kind == ServerTrust::Kind::HostKey && KnownHosts::Add(KnownHosts::UserFile(), trust.record);
}

bool SftpSide::List(FileEntry &root, const FileFilter &filter, QString &failedFolder)
{
    struct Folder {
        FileEntry *Node;
        QString Path;
    };
    const QString top = Base().isEmpty() ? QStringLiteral("/") : Base() + QLatin1Char('/');
    SftpSession *s = session();
    if (!s) {
        failedFolder = top;
        return false;
    }
    // Breadth first, one reading per folder; a folder gone meanwhile adds nothing.
    root.SetFilePath(top);
    std::deque<Folder> queue{{&root, top}};
    while (!queue.empty()) {
        const Folder folder = queue.front();
        queue.pop_front();
        QList<FtpEntry> entries;
        if (!s->List(folder.Path, entries)) {
            if (s->Missing())
                continue;
            failedFolder = folder.Path;
            return false;
        }
        for (const auto &[added, e] : FtpTreeWalk::AddListed(*folder.Node, entries, filter, {}, m_listingProgress))
            queue.push_back({added, folder.Path + e->name + QLatin1Char('/')});
    }
    std::function<int32_t(FileEntry &)> count = [&](FileEntry &node) {
        int32_t files = 0;
        for (int i = 0; i < node.ChildCount(); ++i) {
            FileEntry *c = node.Child(i);
            if (c->IsFolder)
                c->SetFileCount(count(*c));
            files += c->IsFolder ? c->FileCount() : 1;
        }
        return files;
    };
    root.SetFileCount(count(root));
    return true;
}

SideEntry SftpSide::Probe(const QString &path)
{
    SftpSession *s = session();
    const std::optional<FtpEntry> found = s ? s->Probe(path) : std::nullopt;
    return found ? FtpFolder::EntryOf(*found) : SideEntry();
}

bool SftpSide::Taken(const QString &path)
{
    SftpSession *s = session();
    return !s || s->Probe(path) || !s->Missing();
}

QString SftpSide::MakeFolders(const QString &relativePath)
{
    SftpSession *s = session();
    if (!s)
        return {};
    QString made;
    for (qsizetype i = relativePath.indexOf(QLatin1Char('/'), 1); i >= 0; i = relativePath.indexOf(QLatin1Char('/'), i + 1)) {
        const QString folder = Base() + relativePath.left(i);
        if (!s->Probe(folder) && s->Missing() && s->MakeDirectory(folder) && made.isEmpty())
            made = folder;
    }
    return made;
}

bool SftpSide::ReadTo(const QString &path, const QString &localTarget)
{
    SftpSession *s = session();
    return s && s->Download(path, localTarget);
}

bool SftpSide::WriteFrom(const QString &localSource, const QString &path)
{
    SftpSession *s = session();
    return s && s->Upload(localSource, path);
}

bool SftpSide::Rename(const QString &from, const QString &to)
{
    SftpSession *s = session();
    return s && s->Rename(from, to);
}

bool SftpSide::Delete(const QString &path)
{
    SftpSession *s = session();
    return s && s->Delete(path);
}

bool SftpSide::RemoveEmptyFolder(const QString &path)
{
    SftpSession *s = session();
    return s && s->RemoveDirectory(path);
}

void SftpSide::Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot)
{
    FtpFolder::RecordEntry(path, seen, m_side, stateRoot);
}

void SftpSide::LoadState(const QString &syncName, FileEntry &root)
{
    SftpSession *s = session();
    // Private to this user and this call; never a name other files could have.
    QTemporaryDir dir;
    if (!s || !dir.isValid() || syncName.contains(QLatin1Char('/')))
        return;
    const QString local = dir.filePath(QStringLiteral("state"));
    if (s->Download(stateFolder() + QLatin1Char('/') + syncName, local))
        StateFile::ReadFile(local, root);
}

bool SftpSide::SaveState(const QString &syncName, FileEntry &root, TransferJournal *journal)
{
    root.SetTitle(m_side.FolerAllName);
    SftpSession *s = session();
    QTemporaryDir dir;
    if (!s || !dir.isValid() || syncName.contains(QLatin1Char('/')))
        return false;
    MakeFolders(QStringLiteral("/__FileSync__/"));
    const QString local = dir.filePath(QStringLiteral("state"));
    if (!StateFile::WriteFile(local, root))
        return false;
    LocalSide folder(dir.path(), false);
    return SafeCopy::Copy(folder, local, *this, stateFolder() + QLatin1Char('/') + syncName, journal,
                          m_side.FolerAllName);
}
