#pragma once
#include "folders/TRemoteFolderView.h"
#include "folders/TSideAccess.h"
#include "model/TFolderSource.h"

// An FTP directory as a side of a job, through the process-wide FTP session (reopened for
// this side's server and login when it serves another).
class TFtpSide : public TSideAccess {
public:
    explicit TFtpSide(const TFolderSource &side);

    bool IsLocal() const override { return false; }
    QString Base() const override { return m_base; }
    int32_t Reach() override;
    void List(TFileAttri &root, const TBeenTortured &filter) override;
    TSideEntry Probe(const QString &path) override;
    TSideEntry ListedEntry(const QString &path) override;
    void MakeFolders(const QString &relativePath) override;
    void KeepFolderListings(const TFileAttri *listed) override;
    bool ReadTo(const QString &path, const QString &localTarget) override;
    bool WriteFrom(const QString &localSource, const QString &path) override;
    bool Rename(const QString &from, const QString &to) override;
    bool Delete(const QString &path) override;
    QString FreeAsideName(const QString &path) override;
    QString FreeTemporaryName(const QString &path) override;
    void Record(const QString &path, const TSideEntry &seen, TFileAttri &stateRoot) override;
    void RecordWritten(const QString &path, TFileAttri &stateRoot) override;
    void LoadState(const QString &syncName, TFileAttri &root) override;
    bool SaveState(const QString &syncName, TFileAttri &root, TTransferJournal *journal) override;

private:
    struct PendingRecord {
        QString Path;
        TFileAttri *StateRoot;
    };

    // What the kept listings say of path; nullopt when only the server can tell.
    std::optional<TSideEntry> fromListings(const QString &path);
    bool knownFolder(const QString &path);
    // The file at path as the analysis listed it, while this run has not changed it.
    std::optional<TSideEntry> analysed(const QString &path) const;
    // Before work at path: the files written in other folders are recorded first.
    void settle(const QString &path);
    void recordPending(const QString &folder);
    void changed(const QString &path) { m_changed.insert(path); }

    TFolderSource m_side;
    QString m_base;
    bool m_keepListings = false;
    const TFileAttri *m_analysed = nullptr;
    TRemoteFolderView m_view;
    // Folders whose listing failed (missing or not readable): probed file by file.
    QSet<QString> m_unlisted;
    // Paths this run wrote, renamed, deleted or failed at: the analysis no longer speaks for them.
    QSet<QString> m_changed;
    // Written files whose time and size are read with one listing of their folder.
    QHash<QString, QList<PendingRecord>> m_pending;
};
