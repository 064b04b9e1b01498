#pragma once
#include "folders/Side.h"

// A local folder as a side of a job.
class LocalSide : public Side {
public:
    // folder as configured (blanks around it and a final "/" are not part of the path).
    LocalSide(const QString &folder, bool keepsStateFile);

    int32_t Reach() override;
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
    QString FailureReason() const override { return m_failure; }
    bool FailedAtGivenFile() const override { return m_failedAtGiven; }
    bool RemoveEmptyFolder(const QString &path) override;
    // Another LocalSide of the folder: local files need no connection.
    std::unique_ptr<Side> Sibling(FtpSession &) override;

protected:
    bool Taken(const QString &path) override;

private:
    bool failed(const QString &reason);

    QString m_failure;
    bool m_failedAtGiven = false;
    QString m_folder;
    bool m_keepsStateFile;
};
