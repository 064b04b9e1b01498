#include "folders/LocalSide.h"

#include "folders/FileEntry.h"
#include "folders/KeepAside.h"
#include "folders/LocalCopy.h"
#include "folders/LocalFolder.h"
#include "folders/TrimmedName.h"
#include "model/JobSide.h"

#include <QFile>

LocalSide::LocalSide(const QString &folder, bool keepsStateFile)
    : m_folder(folder), m_base(TrimmedName(folder)), m_keepsStateFile(keepsStateFile)
{
    while (m_base.endsWith(u'/'))
        m_base.chop(1);
}

int32_t LocalSide::Reach()
{
    JobSide side;
    side.FolerAllName = m_folder;
    return LocalFolder::CheckFolder(side);
}

void LocalSide::List(FileEntry &root, const FileFilter &filter)
{
    JobSide side;
    side.FolerAllName = m_folder;
    LocalFolder::ListFolder(side, root, filter);
}

SideEntry LocalSide::Probe(const QString &path) { return LocalFolder::Probe(path); }

void LocalSide::MakeFolders(const QString &relativePath) { LocalFolder::ForceFolders(relativePath, m_base); }

bool LocalSide::ReadTo(const QString &path, const QString &localTarget)
{
    return LocalCopy::CopyContent(path, localTarget);
}

bool LocalSide::WriteFrom(const QString &localSource, const QString &path)
{
    return LocalCopy::CopyContent(localSource, path);
}

bool LocalSide::Rename(const QString &from, const QString &to)
{
    // QFile::rename never replaces an existing file.
    return QFile::rename(from, to);
}

bool LocalSide::Delete(const QString &path) { return QFile::remove(path); }

QString LocalSide::FreeAsideName(const QString &path) { return KeepAside::FreeLocalName(path); }

QString LocalSide::FreeTemporaryName(const QString &path)
{
    for (;;) {
        const QString candidate = KeepAside::TemporaryCandidate(path);
        if (!KeepAside::LocalExists(candidate))
            return candidate;
    }
}

void LocalSide::Record(const QString &path, const SideEntry &seen, FileEntry &stateRoot)
{
    LocalFolder::RecordEntry(path, seen, m_base, stateRoot);
}

void LocalSide::LoadState(const QString &syncName, FileEntry &root)
{
    if (m_keepsStateFile)
        LocalFolder::LoadStateFile(LocalFolder::StateFilePath(m_base, syncName), root);
}

bool LocalSide::SaveState(const QString &syncName, FileEntry &root, TransferJournal *)
{
    // Replaced in one step (QSaveFile): nothing to journal.
    if (!m_keepsStateFile)
        return false;
    root.Title = m_folder;
    return LocalFolder::SaveStateFile(LocalFolder::StateFilePath(m_base, syncName), m_base, root);
}
