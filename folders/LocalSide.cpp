#include "folders/LocalSide.h"

#include "folders/FileEntry.h"
#include "folders/KeepAside.h"
#include "folders/LocalCopy.h"
#include "folders/LocalFolder.h"
#include "folders/TrimmedName.h"
#include "model/JobSide.h"

#include <QDir>
#include <QFile>

namespace {

// folder without blanks around it or a final "/".
QString BaseOf(const QString &folder)
{
    QString base = TrimmedName(folder);
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}

}  // namespace

LocalSide::LocalSide(const QString &folder, bool keepsStateFile)
    : Side(true, BaseOf(folder)), m_folder(folder), m_keepsStateFile(keepsStateFile)
{
}

bool LocalSide::failed(const QString &reason)
{
    m_failure = reason;
    return false;
}

int32_t LocalSide::Reach()
{
    JobSide side;
    side.FolerAllName = m_folder;
    const int32_t code = LocalFolder::CheckFolder(side);
    if (code != 0)
        failed(QStringLiteral("no such folder: ") + m_folder);
    return code;
}

bool LocalSide::List(FileEntry &root, const FileFilter &filter, QString &)
{
    // A local folder that cannot be read lists as empty, as it always has.
    JobSide side;
    side.FolerAllName = m_folder;
    LocalFolder::ListFolder(side, root, filter, m_listingProgress);
    return true;
}

SideEntry LocalSide::Probe(const QString &path) { return LocalFolder::Probe(path); }

QString LocalSide::MakeFolders(const QString &relativePath) { return LocalFolder::ForceFolders(relativePath, Base()); }

bool LocalSide::ReadTo(const QString &path, const QString &localTarget)
{
    bool atTarget = false;
    const bool copied = LocalCopy::CopyContent(path, localTarget, &m_failure, &atTarget);
    m_failedAtGiven = atTarget;
    return copied;
}

bool LocalSide::WriteFrom(const QString &localSource, const QString &path)
{
    bool atTarget = false;
    const bool copied = LocalCopy::CopyContent(localSource, path, &m_failure, &atTarget);
    m_failedAtGiven = !atTarget;
    return copied;
}

bool LocalSide::Rename(const QString &from, const QString &to)
{
    // QFile::rename never replaces an existing file.
    QFile file(from);
    return file.rename(to) || failed(QStringLiteral("cannot rename %1: %2").arg(from, file.errorString()));
}

bool LocalSide::Delete(const QString &path)
{
    QFile file(path);
    return file.remove() || failed(QStringLiteral("cannot delete %1: %2").arg(path, file.errorString()));
}

bool LocalSide::RemoveEmptyFolder(const QString &path) { return QDir().rmdir(path); }

std::unique_ptr<Side> LocalSide::Sibling(FtpSession &) { return std::make_unique<LocalSide>(m_folder, m_keepsStateFile); }

bool LocalSide::Taken(const QString &path) { return KeepAside::LocalExists(path); }

void LocalSide::Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot)
{
    LocalFolder::RecordEntry(path, seen, Base(), stateRoot);
}

void LocalSide::LoadState(const QString &syncName, FileEntry &root)
{
    if (m_keepsStateFile)
        LocalFolder::LoadStateFile(LocalFolder::StateFilePath(Base(), syncName), root);
}

bool LocalSide::SaveState(const QString &syncName, FileEntry &root, TransferJournal *)
{
    // Replaced in one step (QSaveFile): nothing to journal.
    if (!m_keepsStateFile)
        return false;
    root.SetTitle(m_folder);
    return LocalFolder::SaveStateFile(LocalFolder::StateFilePath(Base(), syncName), Base(), root, &m_failure);
}
