#include "folders/LocalFolder.h"

#include "app/DosDateTime.h"
#include "folders/FileEntry.h"
#include "folders/FileFilter.h"
#include "folders/Side.h"
#include "folders/StateFile.h"
#include "model/JobSide.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t ReadOnlyAttribute = 1;
constexpr int32_t HiddenAttribute = 2;
constexpr int32_t FolderAttribute = 16;
constexpr int32_t ArchiveAttribute = 32;

int32_t AttributeWord(mode_t mode, const QString &name)
{
    int32_t attr = S_ISDIR(mode) ? FolderAttribute : ArchiveAttribute;
    if (!(mode & S_IWUSR))
        attr |= ReadOnlyAttribute;
    if (name.startsWith(u'.'))
        attr |= HiddenAttribute;
    return attr;
}

bool IsSkippedName(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0 || strcmp(name, "__FileSync__") == 0
        || strcmp(name, "__Save__") == 0;
}

struct FolderId {
    dev_t dev;
    ino_t ino;
    bool operator==(const FolderId &) const = default;
};

// Only what a listing keeps: a level of 100,000 files is held whole before it is used.
struct RawEntry {
    QByteArray name;
    mode_t mode;
    int64_t mtime;
    int64_t size;
    FolderId id;
};

// Lists one folder into parent and returns its file count. ancestors holds the folders
// above (and including) this one, so a symbolic link back up the tree is not followed.
int32_t ListInto(const QByteArray &nativePath, const QString &path, FileEntry &parent,
                 const FileFilter &filter, std::vector<FolderId> &ancestors)
{
    parent.FileCount = 0;
    std::vector<RawEntry> raw;
    // Read the whole level first and close it before descending, so deep trees do not
    // hold one open folder per level.
    if (DIR *dir = opendir(nativePath.constData())) {
        const int fd = dirfd(dir);
        while (const dirent *d = readdir(dir)) {
            if (IsSkippedName(d->d_name))
                continue;
            struct stat st;
            // Links are followed as a program opening the file would; a dangling one has
            // nothing to copy and is left out.
            if (fstatat(fd, d->d_name, &st, 0) != 0)
                continue;
            // Pipes, sockets and devices are not files to copy (reading a pipe would block).
            if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
                continue;
            raw.push_back({QByteArray(d->d_name), st.st_mode, int64_t(st.st_mtim.tv_sec),
                           int64_t(st.st_size), {st.st_dev, st.st_ino}});
        }
        closedir(dir);
    }

    for (const RawEntry &r : raw) {
        const QString name = QString::fromUtf8(r.name);
        const bool isFolder = S_ISDIR(r.mode);
        const int32_t time = DosDateTime::FromEpochSeconds(r.mtime);
        const int64_t size = isFolder ? 0 : r.size;
        const int32_t attr = AttributeWord(r.mode, name);
        if (!isFolder && !filter.Passes(name, time, size, attr))
            continue;
        auto entry = std::make_unique<FileEntry>();
        entry->FileName = name;
        entry->FilePath = path + name;
        entry->FileTime = time;
        entry->FileSize = size;
        entry->FileAttr = attr;
        if (isFolder) {
            if (std::find(ancestors.begin(), ancestors.end(), r.id) != ancestors.end())
                continue;
            entry->IsFolder = 1;
            ancestors.push_back(r.id);
            parent.FileCount += ListInto(nativePath + r.name + '/', entry->FilePath + u'/', *entry,
                                         filter, ancestors);
            ancestors.pop_back();
        } else {
            entry->IsFolder = 0;
            parent.FileCount += 1;
        }
        parent.AddChild(std::move(entry));
    }
    return parent.FileCount;
}

}  // namespace

int32_t LocalFolder::CheckFolder(const JobSide &side)
{
    struct stat st {};
    if (side.FolerAllName.isEmpty() || stat(QFile::encodeName(side.FolerAllName).constData(), &st) != 0)
        return 1;
    return S_ISDIR(st.st_mode) ? 0 : 1;
}

void LocalFolder::ListFolder(const JobSide &side, FileEntry &root, const FileFilter &filter)
{
    QString path = side.FolerAllName.trimmed();
    if (!path.endsWith(u'/'))
        path += u'/';
    std::vector<FolderId> ancestors;
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (stat(native.constData(), &st) == 0)
        ancestors.push_back({st.st_dev, st.st_ino});
    root.FileCount = ListInto(native, path, root, filter, ancestors);
}

QString LocalFolder::ForceFolders(const QString &relativePath, const QString &baseFolder)
{
    const QString base = baseFolder.endsWith(u'/') ? baseFolder.chopped(1) : baseFolder;
    QDir dir;
    QString made;
    for (qsizetype i = relativePath.indexOf(u'/', 1); i > 0; i = relativePath.indexOf(u'/', i + 1)) {
        const QString part = relativePath.left(i);
        const QString folder = part.startsWith(u'/') ? base + part : base + u'/' + part;
        if (!QFileInfo(folder).isDir() && dir.mkdir(folder) && made.isEmpty())
            made = folder;
    }
    return made;
}

void LocalFolder::RecordFile(const QString &fullPath, const QString &baseFolder, FileEntry &stateRoot)
{
    RecordEntry(fullPath, Probe(fullPath), baseFolder, stateRoot);
}

void LocalFolder::RecordEntry(const QString &fullPath, const SideEntry &seen, const QString &baseFolder,
                              FileEntry &stateRoot)
{
    // Nothing on disk to describe: recording made-up values would hide a later change.
    if (seen.Type == SideEntry::Missing)
        return;
    QString relative = fullPath.mid(baseFolder.size());
    if (!relative.startsWith(u'/'))
        relative.prepend(u'/');
    FileEntry *entry = FindStateEntry(relative, stateRoot);
    entry->FilePath = relative;
    entry->FileAttr = seen.FileAttr;
    entry->FileTime = seen.FileTime;
    entry->FileSize = seen.FileSize;
}

SideEntry LocalFolder::Probe(const QString &path)
{
    SideEntry e;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (stat(native.constData(), &st) != 0) {
        // A dangling link is still something a copy must not replace unseen.
        if (lstat(native.constData(), &st) == 0)
            e.Type = SideEntry::Other;
        return e;
    }
    e.Type = S_ISREG(st.st_mode) ? SideEntry::File : SideEntry::Other;
    e.FileAttr = AttributeWord(st.st_mode, path.mid(path.lastIndexOf(u'/') + 1));
    e.FileTime = DosDateTime::FromEpochSeconds(int64_t(st.st_mtim.tv_sec));
    e.FileSize = S_ISDIR(st.st_mode) ? 0 : int64_t(st.st_size);
    return e;
}

QString LocalFolder::StateFilePath(const QString &baseFolder, const QString &syncName)
{
    return baseFolder + QStringLiteral("/__FileSync__/") + syncName;
}

FileEntry *LocalFolder::FindStateEntry(const QString &relativePath, FileEntry &stateRoot)
{
    return StateFile::FindEntry(relativePath, stateRoot);
}

void LocalFolder::LoadStateFile(const QString &path, FileEntry &stateRoot)
{
    StateFile::ReadFile(path, stateRoot);
}

bool LocalFolder::SaveStateFile(const QString &path, const QString &baseFolder, const FileEntry &stateRoot,
                                QString *why)
{
    if (!QFileInfo::exists(path)) {
        const QString base = baseFolder.endsWith(u'/') ? baseFolder.chopped(1) : baseFolder;
        ForceFolders(path.mid(base.size() + 1), base);
    }
    return StateFile::WriteFile(path, stateRoot, why);
}
