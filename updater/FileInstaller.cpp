#include "updater/FileInstaller.h"

#include <QFile>
#include <QFileInfo>

QString FileInstaller::BackupNameOf(const QString &target)
{
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = target.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a name, not an extension.
    if (dot > slash + 1)
        return target.left(dot) + QStringLiteral(".BAK");
    return target + QStringLiteral(".BAK");
}

QString FileInstaller::FreeBackupName(const QString &target) const
{
    const QString plain = BackupNameOf(target);
    if (!m_backupsThisRun.contains(plain))
        return plain;
    // a.exe and a.dll share "a.BAK": the second one must not replace the first.
    const QString stem = plain.chopped(4);
    for (int n = 1;; ++n) {
        const QString candidate = stem + QStringLiteral(".%1.BAK").arg(n);
        if (!m_backupsThisRun.contains(candidate) && !QFileInfo::exists(candidate))
            return candidate;
    }
}

FileInstaller::Outcome FileInstaller::Install(const QList<Item> &items)
{
    m_backupsThisRun.clear();
    m_failedTarget.clear();
    QList<Done> done;
    for (const Item &item : items) {
        Done step{item.target, {}};
        const QFileInfo old(item.target);
        if (old.exists() || old.isSymLink()) {
            // The new copy runs as the old one did.
            QFile::setPermissions(item.downloaded, QFile::permissions(item.target));
            step.backup = FreeBackupName(item.target);
            if (QFileInfo::exists(step.backup) || QFileInfo(step.backup).isSymLink())
                QFile::remove(step.backup);  // left by an earlier update
            if (!QFile::rename(item.target, step.backup)) {
                m_failedTarget = item.target;
                RollBack(done);
                return Outcome::BackupFailed;
            }
            m_backupsThisRun.append(step.backup);
        }
        done.append(step);
        if (!QFile::rename(item.downloaded, item.target)) {
            m_failedTarget = item.target;
            RollBack(done);
            return Outcome::MoveFailed;
        }
    }
    return Outcome::Installed;
}

void FileInstaller::RollBack(const QList<Done> &done)
{
    for (auto it = done.crbegin(); it != done.crend(); ++it) {
        if (it->backup.isEmpty()) {
            QFile::remove(it->target);
            continue;
        }
        // The last step may have failed before the new file arrived at the target.
        if (QFileInfo::exists(it->target) || QFileInfo(it->target).isSymLink())
            QFile::remove(it->target);
        QFile::rename(it->backup, it->target);
    }
}
