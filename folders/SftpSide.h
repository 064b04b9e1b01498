#pragma once
#include "folders/Side.h"
#include "model/JobSide.h"
#include "platform/SftpSession.h"

// A folder on an SFTP server as a side of a job, on a session of its own that lives as
// long as the side (the thread of the run that uses it). It connects on first use, so a
// synchronisation that did not Reach it first works as well.
class SftpSide : public Side {
public:
    explicit SftpSide(const JobSide &side);

    int32_t Reach() override;
    void SetMeter(std::atomic<int64_t> *meter) override { m_session.SetMeter(meter); }
    std::optional<ServerTrust> Untrusted() const override { return m_session.UntrustedServer(); }
    bool Trust(const ServerTrust &trust) override;
    QString LockedKeyFile() const override;
    void UsePassphrase(const QString &passphrase) override { m_passphrase = passphrase; }
    bool List(FileEntry &root, const FileFilter &filter, QString &failedFolder) override;
    SideEntry Probe(const QString &path) override;
    QString MakeFolders(const QString &relativePath) override;
    bool ReadTo(const QString &path, const QString &localTarget) override;
    bool WriteFrom(const QString &localSource, const QString &path) override;
    bool Rename(const QString &from, const QString &to) override;
    bool Delete(const QString &path) override;
    void Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot) override;
    void LoadState(const QString &syncName, FileEntry &root) override;
    bool SaveState(const QString &syncName, FileEntry &root, TransferJournal *journal) override;
    QString FailureReason() const override { return m_session.LastReason(); }
    bool FailedAtGivenFile() const override { return m_session.LocalFileFailed(); }
    bool Lost() const override { return m_session.ConnectionLost(); }
    bool RemoveEmptyFolder(const QString &path) override;

protected:
    bool Taken(const QString &path) override;

private:
    // The session, open for this side and watching the calling thread's Cancel; null when
    // the server cannot be reached.
    SftpSession *session();
    QString stateFolder() const { return Base() + QStringLiteral("/__FileSync__"); }

    JobSide m_side;
    QString m_passphrase;
    SftpSession m_session;
};
