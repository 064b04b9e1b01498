#pragma once
#include "platform/FtpSession.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

struct ListingProgress;
class FileEntry;
class FileFilter;

// Lists a folder tree on the server into a FileEntry tree, breadth first over a queue of
// folders, on several control connections at once. Each folder's entries are added by the
// one listing of it, in the server's order, so the tree is the same whatever the number of
// connections and whichever finishes first.
class FtpTreeWalk {
public:
    FtpTreeWalk(const FtpSession::Endpoint &endpoint, const FileFilter &filter)
        : m_endpoint(endpoint), m_filter(filter) {}
    // Counts each folder read (not owned; may be null).
    void SetProgress(ListingProgress *progress) { m_progress = progress; }

    // Fills root from the folder at path; root's FileCount() and every folder's are the files below
    // it. primary is open for the endpoint and used on the calling thread; each of extra is opened on
    // a thread of its own (once a login begun ahead ends) and left open, and watches the Cancel flag
    // the primary watches for the calling thread. ancestors: the "unique" facts of the folders above
    // path, so that a server-side link back up the tree is not followed. A folder that is gone (550,
    // or 501 to MLSD) adds nothing; any other failure of a listing ends the walk: false, and
    // FailedFolder() and FailureReason() say where and why.
    bool Run(const QString &path, FileEntry &root, const QList<QByteArray> &ancestors, FtpSession &primary,
             const QList<FtpSession *> &extra);

    // Connections used, the primary's included, and the server's reply to the first one it
    // refused (empty when none was).
    int Connections() const { return m_connections; }
    QString Refusal() const { return m_refusal; }
    QString FailedFolder() const { return m_failedFolder; }
    QString FailureReason() const { return m_failureReason; }

    // Adds the entries of node's listing that the filter keeps, and returns the folders added
    // with their listing entries. A folder whose unique fact is one of ancestors is left out.
    // The folder and its files count in progress.
    static std::vector<std::pair<FileEntry *, const FtpEntry *>> AddListed(FileEntry &node,
                                                                           const QList<FtpEntry> &entries,
                                                                           const FileFilter &filter,
                                                                           const QList<QByteArray> &ancestors,
                                                                           ListingProgress *progress);

private:
    struct Folder {
        FileEntry *Node;
        QString Path;  // ending in "/"
        QList<QByteArray> Ancestors;
    };

    void work(FtpSession &session);
    void list(FtpSession &session, const Folder &folder);

    FtpSession::Endpoint m_endpoint;
    ListingProgress *m_progress = nullptr;
    const FileFilter &m_filter;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Folder> m_queue;
    int m_busy = 0;
    int m_connections = 1;
    QString m_refusal;
    QString m_failedFolder;
    QString m_failureReason;
};
