#include "folders/FileEntry.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>
#include <limits>

namespace {

constexpr int32_t SmallestBlock = 4;

QByteArray Key(QByteArrayView name)
{
    return QByteArray::fromRawData(name.data(), name.size());
}

}  // namespace

struct FileEntry::Children {
    struct Block {
        std::unique_ptr<FileEntry[]> Entries;
        int32_t First;
        int32_t Capacity;
    };
    std::vector<Block> Blocks;
    int32_t Count = 0;
    int32_t Files = 0;
    int32_t Reserved = 0;
    QByteArray Names;
    // Keys point into Names without a copy: the index is dropped whenever Names moves.
    std::unique_ptr<QHash<QByteArray, std::vector<int>>> NameIndex;
    // The children's recorded paths (see FilePath), keyed by child: entries never move.
    QHash<const FileEntry *, QString> Paths;
    // A root's: the recorded sizes and times of the tree's entries that differ from their
    // own. Few entries have one, and a table of each level would weigh more than them all.
    QHash<const FileEntry *, int64_t> StateSizes;
    QHash<const FileEntry *, int32_t> StateTimes;
    // The sizes of names too long for an entry to hold.
    QHash<const FileEntry *, uint32_t> LongNameSizes;
    QString Title;
    // A root's own path, which has no parent level to keep it.
    QString OwnPath;
};

FileEntry::FileEntry() = default;
FileEntry::~FileEntry() = default;

FileEntry::Children &FileEntry::children()
{
    if (!m_children)
        m_children = std::make_unique<Children>();
    return *m_children;
}

int32_t FileEntry::FileCount() const
{
    return m_children ? m_children->Files : 0;
}

void FileEntry::SetFileCount(int32_t count)
{
    if (count != 0 || m_children)
        children().Files = count;
}

int64_t FileEntry::StateSize() const
{
    return (m_kept & StateSizeKept) ? treeTables().StateSizes.value(this) : FileSize;
}

void FileEntry::SetStateSize(int64_t size)
{
    // A root is never marked against a state tree.
    if (Parent)
        keepApart(treeTables().StateSizes, size, FileSize, StateSizeKept);
}

int32_t FileEntry::StateTime() const
{
    return (m_kept & StateTimeKept) ? treeTables().StateTimes.value(this) : FileTime;
}

void FileEntry::SetStateTime(int32_t time)
{
    if (Parent)
        keepApart(treeTables().StateTimes, time, FileTime, StateTimeKept);
}

FileEntry::Children &FileEntry::treeTables() const
{
    const FileEntry *root = this;
    while (root->Parent)
        root = root->Parent;
    return *root->m_children;
}

template <typename T>
void FileEntry::keepApart(QHash<const FileEntry *, T> &table, T value, T own, uint8_t bit)
{
    if (value != own) {
        m_kept |= bit;
        table.insert(this, value);
    } else if (m_kept & bit) {
        m_kept &= uint8_t(~bit);
        table.remove(this);
    }
}

qsizetype FileEntry::nameSize() const
{
    return (m_kept & LongNameKept) ? qsizetype(Parent->m_children->LongNameSizes.value(this)) : m_nameSize;
}

int FileEntry::ChildCount() const
{
    return m_children ? m_children->Count : 0;
}

QByteArrayView FileEntry::NameUtf8() const
{
    const qsizetype size = Parent ? nameSize() : 0;
    if (size == 0)
        return {};
    return QByteArrayView(Parent->m_children->Names.constData() + m_nameAt, size);
}

QString FileEntry::Name() const
{
    if (!Parent)
        return QString();
    return QString::fromUtf8(NameUtf8());
}

QString FileEntry::FilePath() const
{
    if (!HasFilePath())
        return QString();
    return Parent ? Parent->m_children->Paths.value(this) : m_children->OwnPath;
}

void FileEntry::SetFilePath(const QString &path)
{
    if (path.isNull())
        m_kept &= uint8_t(~PathKept);
    else
        m_kept |= PathKept;
    if (!Parent) {
        if (HasFilePath() || m_children)
            children().OwnPath = path;
        return;
    }
    if (HasFilePath())
        Parent->m_children->Paths.insert(this, path);
    else
        Parent->m_children->Paths.remove(this);
}

QString FileEntry::Path() const
{
    if (!Parent)
        return FilePath();
    std::vector<const FileEntry *> chain;
    qsizetype size = 0;
    const FileEntry *e = this;
    for (; e->Parent; e = e->Parent) {
        chain.push_back(e);
        size += e->nameSize() + 1;
    }
    QString path = e->FilePath();
    path.reserve(path.size() + size);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin())
            path += u'/';
        path += QString::fromUtf8((*it)->NameUtf8());
    }
    return path;
}

QString FileEntry::Title() const
{
    return m_children ? m_children->Title : QString();
}

void FileEntry::SetTitle(const QString &title)
{
    if (title.isEmpty() && !m_children)
        return;
    children().Title = title;
}

FileEntry *FileEntry::AddChild(const QString &name)
{
    return AddChild(QByteArrayView(name.toUtf8()));
}

FileEntry *FileEntry::AddChild(QByteArrayView utf8Name)
{
    Children &c = children();
    std::vector<Children::Block> &blocks = c.Blocks;
    if (blocks.empty() || c.Count == blocks.back().First + blocks.back().Capacity) {
        // Growing by half the level keeps the unused room small without many blocks.
        const int32_t capacity = c.Reserved > 0 ? c.Reserved : std::max(SmallestBlock, c.Count / 2);
        c.Reserved = 0;
        blocks.push_back({std::make_unique<FileEntry[]>(size_t(capacity)), c.Count, capacity});
    }
    Children::Block &block = blocks.back();
    FileEntry *added = &block.Entries[size_t(c.Count - block.First)];
    added->Parent = this;
    const char *namesBefore = c.Names.constData();
    added->m_nameAt = uint32_t(c.Names.size());
    if (utf8Name.size() <= std::numeric_limits<uint16_t>::max()) {
        added->m_nameSize = uint16_t(utf8Name.size());
    } else {
        added->m_kept |= LongNameKept;
        c.LongNameSizes.insert(added, uint32_t(utf8Name.size()));
    }
    c.Names.append(utf8Name);
    ++c.Count;
    if (c.NameIndex) {
        if (c.Names.constData() != namesBefore)
            c.NameIndex.reset();
        else
            (*c.NameIndex)[Key(added->NameUtf8())].push_back(c.Count - 1);
    }
    return added;
}

FileEntry *FileEntry::Child(int i) const
{
    const std::vector<Children::Block> &blocks = m_children->Blocks;
    const auto after = std::upper_bound(blocks.begin(), blocks.end(), i,
                                        [](int index, const Children::Block &b) { return index < b.First; });
    const Children::Block &block = *(after - 1);
    return &block.Entries[size_t(i - block.First)];
}

void FileEntry::ReserveChildren(int count, qsizetype nameBytes)
{
    Children &c = children();
    const std::vector<Children::Block> &blocks = c.Blocks;
    const int32_t free = blocks.empty() ? 0 : blocks.back().First + blocks.back().Capacity - c.Count;
    c.Reserved = count > free ? count - free : 0;
    if (nameBytes > 0 && c.Names.capacity() - c.Names.size() < nameBytes) {
        c.NameIndex.reset();
        c.Names.reserve(c.Names.size() + nameBytes);
    }
}

void FileEntry::FitNames()
{
    if (m_children && m_children->Names.capacity() > m_children->Names.size()) {
        m_children->NameIndex.reset();
        m_children->Names.squeeze();
    }
}

void FileEntry::ClearChildren()
{
    if (m_children) {
        m_children->Blocks.clear();
        m_children->Reserved = 0;
        m_children->NameIndex.reset();
        m_children->Names.clear();
        m_children->Paths.clear();
        m_children->StateSizes.clear();
        m_children->StateTimes.clear();
        m_children->LongNameSizes.clear();
        m_children->Count = 0;
    }
}

const std::vector<int> *FileEntry::ChildrenNamed(const QString &name) const
{
    return ChildrenNamed(QByteArrayView(name.toUtf8()));
}

const std::vector<int> *FileEntry::ChildrenNamed(QByteArrayView utf8Name) const
{
    if (!m_children || m_children->Count == 0)
        return nullptr;
    auto &index = m_children->NameIndex;
    if (!index) {
        index = std::make_unique<QHash<QByteArray, std::vector<int>>>();
        index->reserve(m_children->Count);
        for (int i = 0; i < m_children->Count; ++i)
            (*index)[Key(Child(i)->NameUtf8())].push_back(i);
    }
    auto it = index->constFind(Key(utf8Name));
    return it == index->constEnd() ? nullptr : &it.value();
}

void FileEntry::DropNameIndex() const
{
    if (m_children)
        m_children->NameIndex.reset();
}

// A million-file analysis holds four trees of these.
static_assert(sizeof(void *) != 8 || sizeof(FileEntry) <= 40);
