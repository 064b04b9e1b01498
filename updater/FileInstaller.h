#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// Puts downloaded files in place all or nothing: each existing target is first set aside
// as its backup, then the new file is moved onto its name. When any step fails, every
// target is put back as it was and the new files are removed.
class FileInstaller {
public:
    struct Item {
        QString downloaded;  // the new file, in the target's folder
        QString target;
    };
    enum class Outcome { Installed, BackupFailed, MoveFailed };

    Outcome Install(const QList<Item> &items);
    // The target the failure happened at.
    QString FailedTarget() const { return m_failedTarget; }

    // The target with its extension replaced by ".BAK" ("a/Corvane" -> "a/Corvane.BAK").
    static QString BackupNameOf(const QString &target);

private:
    struct Done {
        QString target;
        QString backup;  // empty when there was no file to set aside
    };
    // A backup name not taken by another backup of this run.
    QString FreeBackupName(const QString &target) const;
    void RollBack(const QList<Done> &done);

    QStringList m_backupsThisRun;
    QString m_failedTarget;
};
