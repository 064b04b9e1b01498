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
    void MakeFolders(const QString &relativePath) override;
    void KeepFolderListings() override { m_keepListings = true; }
    bool ReadTo(const QString &path, const QString &localTarget) override;
    bool WriteFrom(const QString &localSource, const QString &path) override;
    bool Rename(const QString &from, const QString &to) override;
    bool Delete(const QString &path) override;
    QString FreeAsideName(const QString &path) override;
    QString FreeTemporaryName(const QString &path) override;
    void Record(const QString &path, const TSideEntry &seen, TFileAttri &stateRoot) override;
    void LoadState(const QString &syncName, TFileAttri &root) override;
    bool SaveState(const QString &syncName, TFileAttri &root, TTransferJournal *journal) override;

private:
    // What the kept listings say of path; nullopt when only the server can tell.
    std::optional<TSideEntry> fromListings(const QString &path);
    bool knownFolder(const QString &path);

    TFolderSource m_side;
    QString m_base;
    bool m_keepListings = false;
    TRemoteFolderView m_view;
    // Folders whose listing failed (missing or not readable): probed file by file.
    QSet<QString> m_unlisted;
};
