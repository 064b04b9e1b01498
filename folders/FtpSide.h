#pragma once
#include "folders/KnownRemoteFolders.h"
#include "folders/Side.h"
#include "model/JobSide.h"

#include <utility>

// An FTP directory as a side of a job, through the process-wide FTP session (reopened for
// this side's server and login when it serves another).
class FtpSide : public Side {
public:
    explicit FtpSide(const JobSide &side);

    bool IsLocal() const override { return false; }
    QString Base() const override { return m_base; }
    int32_t Reach() override;
    std::optional<ServerTrust> Untrusted() const override;
    bool Trust(const ServerTrust &trust) override;
    bool List(FileEntry &root, const FileFilter &filter, QString &failedFolder) override;
    QString TakeNotice() override { return std::exchange(m_notice, QString()); }
    SideEntry Probe(const QString &path) override;
    SideEntry ListedEntry(const QString &path) override;
    void MakeFolders(const QString &relativePath) override;
    void KeepFolderListings(const FileEntry *listed) override;
    bool ReadTo(const QString &path, const QString &localTarget) override;
    bool WriteFrom(const QString &localSource, const QString &path) override;
    bool Rename(const QString &from, const QString &to) override;
    bool Delete(const QString &path) override;
    QString FreeAsideName(const QString &path) override;
    QString FreeTemporaryName(const QString &path) override;
    void Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot) override;
    void RecordWritten(const QString &path, FileEntry &stateRoot) override;
    void LoadState(const QString &syncName, FileEntry &root) override;
    bool SaveState(const QString &syncName, FileEntry &root, TransferJournal *journal) override;
    QString FailureReason() const override;
    bool FailedAtGivenFile() const override;
    bool Lost() const override;

private:
    struct PendingRecord {
        QString Path;
        FileEntry *StateRoot;
    };

    // What the kept listings say of path; nullopt when only the server can tell.
    std::optional<SideEntry> fromListings(const QString &path);
    bool knownFolder(const QString &path);
    // The file at path as the analysis listed it, while this run has not changed it.
    std::optional<SideEntry> analysed(const QString &path) const;
    // Before work at path: the files written in other folders are recorded first.
    void settle(const QString &path);
    void recordPending(const QString &folder);
    void changed(const QString &path) { m_changed.insert(path); }

    JobSide m_side;
    QString m_base;
    QString m_notice;
    QString m_listFailure;
    bool m_keepListings = false;
    const FileEntry *m_analysed = nullptr;
    KnownRemoteFolders m_view;
    // Folders whose listing failed (missing or not readable): probed file by file.
    QSet<QString> m_unlisted;
    // Paths this run wrote, renamed, deleted or failed at: the analysis no longer speaks for them.
    QSet<QString> m_changed;
    // Written files whose time and size are read with one listing of their folder.
    QHash<QString, QList<PendingRecord>> m_pending;
};
