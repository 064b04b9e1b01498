#pragma once
#include "folders/KnownRemoteFolders.h"
#include "folders/Side.h"
#include "model/JobSide.h"

#include <QMutexLocker>
#include <QRecursiveMutex>
#include <functional>
#include <memory>
#include <utility>

// An FTP directory as a side of a job, through the process-wide FTP session (reopened for
// this side's server and login when it serves another), or for a sibling another session
// of the pool.
class FtpSide : public Side {
public:
    explicit FtpSide(const JobSide &side);

    int32_t Reach() override;
    std::optional<ServerTrust> Untrusted() const override;
    bool Trust(const ServerTrust &trust) override;
    bool List(FileEntry &root, const FileFilter &filter, QString &failedFolder) override;
    void OpenConnectionsAhead() override;
    void SetMeter(std::atomic<int64_t> *meter) override;
    QString TakeNotice() override { return std::exchange(m_notice, QString()); }
    SideEntry Probe(const QString &path) override;
    SideEntry ListedEntry(const QString &path) override;
    QString MakeFolders(const QString &relativePath) override;
    void KeepFolderListings(const FileEntry *listed) override;
    bool ReadTo(const QString &path, const QString &localTarget) override;
    bool WriteFrom(const QString &localSource, const QString &path) override;
    bool Rename(const QString &from, const QString &to) override;
    bool Delete(const QString &path) override;
    QString FreeAsideName(const QString &path) override;
    void Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot) override;
    void RecordWritten(const QString &path, FileEntry &stateRoot) override;
    void RecordWrittenNow() override;
    void LoadState(const QString &syncName, FileEntry &root) override;
    bool SaveState(const QString &syncName, FileEntry &root, TransferJournal *journal) override;
    QString FailureReason() const override;
    bool FailedAtGivenFile() const override;
    bool Lost() const override;
    bool RemoveEmptyFolder(const QString &path) override;
    std::unique_ptr<Side> Sibling(FtpSession &connection) override;
    bool CopiesOnFtpConnections() const override { return true; }

protected:
    // From the kept listings where they know the folder, else by a probe.
    bool Taken(const QString &path) override;

private:
    struct PendingRecord {
        QString Path;
        FileEntry *StateRoot;
    };
    // What an access and its siblings know of the side, under Mutex.
    struct Shared {
        QRecursiveMutex Mutex;
        bool KeepListings = false;
        // Siblings were made: several threads may write in one folder.
        bool Shared = false;
        const FileEntry *Analysed = nullptr;
        KnownRemoteFolders View;
        // Folders whose listing failed (missing or not readable): probed file by file.
        QSet<QString> Unlisted;
        // Paths this run wrote, renamed, deleted or failed at: the analysis no longer speaks for them.
        QSet<QString> Changed;
        // Written files whose time and size are read with one listing of their folder.
        QHash<QString, QList<PendingRecord>> Pending;
    };
    // Holds the shared view and the session, in that order.
    class Lock {
    public:
        explicit Lock(const FtpSide &side);
        // Around a transfer or a command: the siblings go on meanwhile.
        void Release();
        void Retake();

    private:
        QMutexLocker<QRecursiveMutex> m_shared;
        QMutexLocker<QRecursiveMutex> m_session;
    };

    FtpSide(const FtpSide &first, FtpSession &connection);
    bool open();
    // call on this access's session, opened, the shared view released meanwhile.
    bool travel(const std::function<bool()> &call);

    // What the kept listings say of path; nullopt when only the server can tell.
    std::optional<SideEntry> fromListings(const QString &path);
    bool knownFolder(const QString &path);
    // The file at path as the analysis listed it, while this run has not changed it.
    std::optional<SideEntry> analysed(const QString &path) const;
    // Before work at path: the files written in other folders are recorded first.
    void settle(const QString &path);
    void recordPending(const QString &folder);
    // Records pending's files from the folder's listing (null: the listing failed).
    void recordListed(const QString &folder, const QList<PendingRecord> &pending, const QList<FtpEntry> *entries);
    void changed(const QString &path) { m_shared->Changed.insert(path); }

    JobSide m_side;
    QString m_notice;
    QString m_listFailure;
    FtpSession &m_session;
    std::shared_ptr<Shared> m_shared;
};
