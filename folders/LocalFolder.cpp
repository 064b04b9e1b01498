#include "folders/LocalFolder.h"

#include "app/DosDateTime.h"
#include "folders/FileEntry.h"
#include "folders/FileFilter.h"
#include "folders/ListingProgress.h"
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
// Names live in one buffer per level, each followed by its nul.
struct RawEntry {
    size_t nameAt;
    size_t nameSize;
    mode_t mode;
    int64_t mtime;
    int64_t size;
};

// Each level keeps its folder open while its subfolders are listed, so that they are
// opened and their entries examined relative to it, as find does, without the kernel
// walking every full path again. Below this depth a level is opened by its full path
// instead, so that a deep tree does not run out of file descriptors.
constexpr size_t MaxOpenLevels = 64;

// Reads one opened folder (fd stays open) into raw, its names into names.
void ReadLevel(int fd, std::vector<RawEntry> &raw, QByteArray &names)
{
    const int readFd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR *dir = readFd < 0 ? nullptr : fdopendir(readFd);
    if (!dir) {
        if (readFd >= 0)
            close(readFd);
        return;
    }
    while (const dirent *d = readdir(dir)) {
        if (IsSkippedName(d->d_name))
            continue;
        struct stat st;
        if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        // Links are followed as a program opening the file would; a dangling one has
        // nothing to copy and is left out.
        if (S_ISLNK(st.st_mode) && fstatat(fd, d->d_name, &st, 0) != 0)
            continue;
        // Pipes, sockets and devices are not files to copy (reading a pipe would block).
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
            continue;
        const size_t size = strlen(d->d_name);
        raw.push_back({size_t(names.size()), size, st.st_mode, int64_t(st.st_mtim.tv_sec), int64_t(st.st_size)});
        names.append(d->d_name, qsizetype(size) + 1);  // with its nul, for openat
    }
    closedir(dir);
}

// Lists the folder open at fd into parent and returns its file count. ancestors holds the
// folders above (and including) this one, so a symbolic link back up the tree is not followed.
int32_t ListInto(int fd, const QByteArray &nativePath, FileEntry &parent, const FileFilter &filter,
                 std::vector<FolderId> &ancestors, ListingProgress *progress)
{
    int32_t files = 0;
    std::vector<RawEntry> raw;
    QByteArray names;
    ReadLevel(fd, raw, names);
    const bool holdOpen = ancestors.size() < MaxOpenLevels;
    if (!holdOpen) {
        close(fd);
        fd = -1;
    }

    // Filtered first, so that the level makes room for exactly the entries it keeps.
    struct Kept {
        RawEntry raw;
        QString name;
        int32_t time;
        int32_t attr;
    };
    std::vector<Kept> kept;
    kept.reserve(raw.size());
    for (const RawEntry &r : raw) {
        QString name = QString::fromUtf8(names.constData() + r.nameAt, qsizetype(r.nameSize));
        const int32_t time = DosDateTime::FromEpochSeconds(r.mtime);
        const int32_t attr = AttributeWord(r.mode, name);
        if (S_ISDIR(r.mode) || filter.Passes(name, time, r.size, attr))
            kept.push_back({r, std::move(name), time, attr});
    }
    raw = {};
    qsizetype nameBytes = 0;
    for (const Kept &k : kept)
        nameBytes += qsizetype(k.raw.nameSize);
    parent.ReserveChildren(int(kept.size()), nameBytes);
    if (progress)
        progress->FolderListed(std::count_if(kept.begin(), kept.end(), [](const Kept &k) { return !S_ISDIR(k.raw.mode); }));

    for (const Kept &k : kept) {
        const RawEntry &r = k.raw;
        const char *rawName = names.constData() + r.nameAt;
        const QString &name = k.name;
        const bool isFolder = S_ISDIR(r.mode);
        const int64_t size = isFolder ? 0 : r.size;
        const auto add = [&] {
            const QByteArrayView utf8(rawName, qsizetype(r.nameSize));
            // A name that is not UTF-8 is kept as it reads, as everywhere else.
            FileEntry *entry = utf8.isValidUtf8() ? parent.AddChild(utf8) : parent.AddChild(name);
            entry->FileTime = k.time;
            entry->FileSize = size;
            entry->FileAttr = k.attr;
            entry->IsFolder = isFolder ? 1 : 0;
            return entry;
        };
        if (!isFolder) {
            add();
            files += 1;
            continue;
        }
        const QByteArray childNative = nativePath + QByteArray(rawName, qsizetype(r.nameSize)) + '/';
        const int childFd = holdOpen ? openat(fd, rawName, O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                     : open(childNative.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // The loop check looks at what was opened, so a folder replaced since its level was
        // read cannot lead the walk back up the tree. A folder that cannot be opened lists
        // as empty, as before.
        struct stat opened {};
        if (childFd >= 0 && fstat(childFd, &opened) == 0
            && std::find(ancestors.begin(), ancestors.end(), FolderId{opened.st_dev, opened.st_ino})
                   != ancestors.end()) {
            close(childFd);
            continue;
        }
        FileEntry *entry = add();
        if (childFd < 0)
            continue;
        ancestors.push_back({opened.st_dev, opened.st_ino});
        files += ListInto(childFd, childNative, *entry, filter, ancestors, progress);
        ancestors.pop_back();
    }
    if (fd >= 0)
        close(fd);
    parent.SetFileCount(files);
    return files;
}

}  // namespace

int32_t LocalFolder::CheckFolder(const JobSide &side)
{
    struct stat st {};
    if (side.FolerAllName.isEmpty() || stat(QFile::encodeName(side.FolerAllName).constData(), &st) != 0)
        return 1;
    return S_ISDIR(st.st_mode) ? 0 : 1;
}

void LocalFolder::ListFolder(const JobSide &side, FileEntry &root, const FileFilter &filter, ListingProgress *progress)
{
    QString path = side.FolerAllName.trimmed();
    if (!path.endsWith(u'/'))
        path += u'/';
    const QByteArray native = QFile::encodeName(path);
    root.SetFileCount(0);
    root.SetFilePath(path);
    const int fd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0)
        return;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return;
    }
    std::vector<FolderId> ancestors{{st.st_dev, st.st_ino}};
    ListInto(fd, native, root, filter, ancestors, progress);
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
    entry->SetFilePath(relative);
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
