#include "folders/TLocalSide.h"

#include "engine/TrimmedName.h"
#include "folders/KeepAside.h"
#include "folders/TFileAttri.h"
#include "folders/TLocalCopy.h"
#include "folders/TWinFile.h"
#include "model/TFolderSource.h"

#include <QFile>

TLocalSide::TLocalSide(const QString &folder, bool keepsStateFile)
    : m_folder(folder), m_base(TrimmedName(folder)), m_keepsStateFile(keepsStateFile)
{
    while (m_base.endsWith(u'/'))
        m_base.chop(1);
}

int32_t TLocalSide::Reach()
{
    TFolderSource side;
    side.FolerAllName = m_folder;
    return TWinFile::CheckFolder(side);
}

void TLocalSide::List(TFileAttri &root, const TBeenTortured &filter)
{
    TFolderSource side;
    side.FolerAllName = m_folder;
    TWinFile::ListFolder(side, root, filter);
}

TSideEntry TLocalSide::Probe(const QString &path) { return TWinFile::Probe(path); }

void TLocalSide::MakeFolders(const QString &relativePath) { TWinFile::ForceFolders(relativePath, m_base); }

bool TLocalSide::ReadTo(const QString &path, const QString &localTarget)
{
    return TLocalCopy::CopyContent(path, localTarget);
}

bool TLocalSide::WriteFrom(const QString &localSource, const QString &path)
{
    return TLocalCopy::CopyContent(localSource, path);
}

bool TLocalSide::Rename(const QString &from, const QString &to)
{
    // QFile::rename never replaces an existing file.
    return QFile::rename(from, to);
}

bool TLocalSide::Delete(const QString &path) { return QFile::remove(path); }

QString TLocalSide::FreeAsideName(const QString &path) { return KeepAside::FreeLocalName(path); }

QString TLocalSide::FreeTemporaryName(const QString &path)
{
    for (;;) {
        const QString candidate = KeepAside::TemporaryCandidate(path);
        if (!KeepAside::LocalExists(candidate))
            return candidate;
    }
}

void TLocalSide::Record(const QString &path, const TSideEntry &seen, TFileAttri &stateRoot)
{
    TWinFile::RecordEntry(path, seen, m_base, stateRoot);
}

void TLocalSide::LoadState(const QString &syncName, TFileAttri &root)
{
    if (m_keepsStateFile)
        TWinFile::LoadStateFile(TWinFile::StateFilePath(m_base, syncName), root);
}

bool TLocalSide::SaveState(const QString &syncName, TFileAttri &root, TTransferJournal *)
{
    // Replaced in one step (QSaveFile): nothing to journal.
    if (!m_keepsStateFile)
        return false;
    root.Title = m_folder;
    return TWinFile::SaveStateFile(TWinFile::StateFilePath(m_base, syncName), m_base, root);
}
