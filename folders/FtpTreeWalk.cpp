#include "folders/FtpTreeWalk.h"

#include "folders/FileEntry.h"
#include "folders/FileFilter.h"
#include "folders/FtpFolder.h"
#include "folders/ListingProgress.h"
#include "platform/FtpSessionPool.h"

#include <memory>
#include <optional>
#include <thread>

namespace {

int32_t countFiles(FileEntry &folder)
{
    int32_t count = 0;
    for (int i = 0; i < folder.ChildCount(); ++i) {
        FileEntry *child = folder.Child(i);
        if (child->IsFolder) {
            child->SetFileCount(countFiles(*child));
            count += child->FileCount();
        } else {
            ++count;
        }
    }
    return count;
}

}  // namespace

bool FtpTreeWalk::Run(const QString &path, FileEntry &root, const QList<QByteArray> &ancestors,
                      FtpSession &primary, const QList<FtpSession *> &extra)
{
    const std::atomic<uint8_t> *cancel = primary.WatchedCancelFlag();
    // Not trimmed: a blank at the end of a folder's name is part of the name.
    root.SetFilePath(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'));
    m_queue.push_back({&root, root.FilePath(), ancestors});
    std::vector<std::thread> threads;
    for (FtpSession *session : extra)
        threads.emplace_back([this, session, cancel] {
            // Its login from ahead of the walk ends first: the primary lists meanwhile.
            FtpSessionPool::Global().JoinOpening(*session);
            std::optional<FtpSession::CancelWatch> watch;
            if (cancel)
                watch.emplace(*session, *cancel);
            if (session->EnsureOpen(m_endpoint)) {
                {
                    std::lock_guard lock(m_mutex);
                    ++m_connections;
                }
                work(*session);
                return;
            }
            std::lock_guard lock(m_mutex);
            if (m_refusal.isEmpty() && !session->CancelRequested())
                m_refusal = session->LastReason();
        });
    work(primary);
    for (std::thread &t : threads)
        t.join();
    root.SetFileCount(countFiles(root));
    return m_failedFolder.isEmpty();
}

void FtpTreeWalk::work(FtpSession &session)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Done when nothing is queued and no listing under way can queue more.
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_busy == 0; });
        if (m_queue.empty() || !m_failedFolder.isEmpty())
            return;
        const Folder folder = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_busy;
        lock.unlock();
        list(session, folder);
        lock.lock();
        --m_busy;
        m_changed.notify_all();
    }
}

void FtpTreeWalk::list(FtpSession &session, const Folder &folder)
{
    QList<FtpEntry> entries;
    if (!session.EnsureOpen(m_endpoint) || !session.List(folder.Path, entries)) {
        // 501: RFC 3659's answer to MLSD of a non-folder.
        const int reply = session.LastReplyCode();
        const bool gone = session.IsOpen() && (reply == 550 || reply == 501);
        std::lock_guard lock(m_mutex);
        if (!gone && m_failedFolder.isEmpty()) {
            m_failedFolder = folder.Path;
            m_failureReason = session.LastReason();
        }
        return;
    }
    std::vector<Folder> below;
    for (const auto &[added, e] : AddListed(*folder.Node, entries, m_filter, folder.Ancestors, m_progress)) {
        QList<QByteArray> ancestors = folder.Ancestors;
        if (!e->unique.isEmpty())
            ancestors.append(e->unique);
        below.push_back({added, folder.Path + e->name + QLatin1Char('/'), ancestors});
    }
    std::lock_guard lock(m_mutex);
    for (Folder &f : below)
        m_queue.push_back(std::move(f));
}

std::vector<std::pair<FileEntry *, const FtpEntry *>> FtpTreeWalk::AddListed(FileEntry &node,
                                                                            const QList<FtpEntry> &entries,
                                                                            const FileFilter &filter,
                                                                            const QList<QByteArray> &ancestors,
                                                                            ListingProgress *progress)
{
    // Filtered first, so that the level makes room for exactly the entries it keeps.
    struct Kept {
        const FtpEntry *entry;
        int32_t time;
    };
    std::vector<Kept> kept;
    kept.reserve(size_t(entries.size()));
    for (const FtpEntry &e : entries) {
        if (FtpFolder::SkippedName(e.name))
            continue;
        if (e.isFolder && !e.unique.isEmpty() && ancestors.contains(e.unique))
            continue;
        const int32_t time = FtpFolder::PackedTime(e.modified);
        if (e.isFolder || filter.Passes(e.name, time, e.size, 0))
            kept.push_back({&e, time});
    }
    node.ReserveChildren(int(kept.size()));

    std::vector<std::pair<FileEntry *, const FtpEntry *>> folders;
    for (const auto &[e, time] : kept) {
        FileEntry *added = node.AddChild(e->name);
        added->FileTime = time;
        added->FileSize = e->size;
        added->IsFolder = e->isFolder ? 1 : 0;
        if (e->isFolder)
            folders.emplace_back(added, e);
    }
    node.FitNames();
    if (progress)
        progress->FolderListed(int64_t(kept.size() - folders.size()));
    return folders;
}
