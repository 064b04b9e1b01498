#include "folders/KnownRemoteFolders.h"

QString KnownRemoteFolders::normal(const QString &folder)
{
    QString f = folder;
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f.isEmpty() ? QStringLiteral("/") : f;
}

QString KnownRemoteFolders::FolderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return normal(slash < 0 ? QString() : path.left(slash));
}

QString KnownRemoteFolders::NameOf(const QString &path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

std::optional<KnownRemoteFolders::Known> KnownRemoteFolders::Find(const QString &path) const
{
    const auto folder = m_folders.constFind(FolderOf(path));
    if (folder == m_folders.constEnd())
        return std::nullopt;
    return folder->value(NameOf(path));
}

bool KnownRemoteFolders::KnowsFolder(const QString &folder) const { return m_folders.contains(normal(folder)); }

bool KnownRemoteFolders::FolderExists(const QString &folder) const
{
    const QString f = normal(folder);
    return m_existing.contains(f) || (m_folders.contains(f) && !m_absent.contains(f));
}

void KnownRemoteFolders::markExisting(const QString &folder)
{
    for (QString f = normal(folder); !m_existing.contains(f); f = FolderOf(f)) {
        m_existing.insert(f);
        if (f == QLatin1String("/"))
            break;
    }
}

void KnownRemoteFolders::Listed(const QString &folder, const QList<FtpEntry> &entries)
{
    QHash<QString, Known> &known = m_folders[normal(folder)];
    known.clear();
    m_absent.remove(normal(folder));
    for (const FtpEntry &e : entries)
        known.insert(e.name, Known{e.isFolder ? Known::Folder : Known::File, e});
    markExisting(folder);
}

void KnownRemoteFolders::Created(const QString &folder)
{
    m_folders[normal(folder)].clear();
    m_absent.remove(normal(folder));
    markExisting(folder);
    if (const auto parent = m_folders.find(FolderOf(normal(folder))); parent != m_folders.end())
        parent->insert(NameOf(normal(folder)), Known{Known::Folder, std::nullopt});
}

void KnownRemoteFolders::Absent(const QString &folder)
{
    m_folders[normal(folder)].clear();
    m_absent.insert(normal(folder));
    m_existing.remove(normal(folder));
}

void KnownRemoteFolders::Wrote(const QString &path)
{
    // Written into a folder thought absent: someone made it meanwhile, so its contents are unknown.
    if (m_absent.contains(FolderOf(path))) {
        Forget(path);
        return;
    }
    if (const auto folder = m_folders.find(FolderOf(path)); folder != m_folders.end())
        folder->insert(NameOf(path), Known{Known::File, std::nullopt});
}

void KnownRemoteFolders::Learned(const QString &path, const FtpEntry &facts)
{
    if (const auto folder = m_folders.find(FolderOf(path)); folder != m_folders.end())
        folder->insert(NameOf(path), Known{facts.isFolder ? Known::Folder : Known::File, facts});
}

void KnownRemoteFolders::Renamed(const QString &from, const QString &to)
{
    const auto source = m_folders.find(FolderOf(from));
    const auto target = m_folders.find(FolderOf(to));
    // Half a picture would answer wrongly for one of the two names.
    if (source == m_folders.end() || target == m_folders.end()) {
        Forget(from);
        Forget(to);
        return;
    }
    Known moved = source->take(NameOf(from));
    if (moved.Type == Known::Missing)
        moved.Type = Known::File;
    // Most servers keep the time through a rename, but that is not promised.
    moved.Facts.reset();
    target->insert(NameOf(to), moved);
}

void KnownRemoteFolders::Removed(const QString &path)
{
    if (const auto folder = m_folders.find(FolderOf(path)); folder != m_folders.end())
        folder->remove(NameOf(path));
}

void KnownRemoteFolders::Forget(const QString &folderOfPath)
{
    m_folders.remove(FolderOf(folderOfPath));
    m_absent.remove(FolderOf(folderOfPath));
}
