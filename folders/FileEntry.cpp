#include "folders/FileEntry.h"

#include <algorithm>

namespace {

constexpr int32_t SmallestBlock = 4;

}  // namespace

struct FileEntry::Children {
    struct Block {
        std::unique_ptr<FileEntry[]> Entries;
        int32_t First;
        int32_t Capacity;
    };
    std::vector<Block> Blocks;
    int32_t Reserved = 0;
    std::unique_ptr<QHash<QString, std::vector<int>>> NameIndex;
    QString Title;
};

FileEntry::FileEntry() = default;
FileEntry::~FileEntry() = default;

FileEntry::FileEntry(FileEntry &&other) noexcept
{
    *this = std::move(other);
}

FileEntry &FileEntry::operator=(FileEntry &&other) noexcept
{
    FileName = std::move(other.FileName);
    FilePath = std::move(other.FilePath);
    FileSize = other.FileSize;
    StateSize = other.StateSize;
    FileTime = other.FileTime;
    FileAttr = other.FileAttr;
    IsFolder = other.IsFolder;
    StateMark = other.StateMark;
    StateTime = other.StateTime;
    FileCount = other.FileCount;
    ChildCount = std::exchange(other.ChildCount, 0);
    Matched = other.Matched;
    m_children = std::move(other.m_children);
    adoptChildren();
    return *this;
}

void FileEntry::adoptChildren()
{
    if (!m_children)
        return;
    for (Children::Block &block : m_children->Blocks)
        for (int32_t i = 0; i < block.Capacity && block.First + i < ChildCount; ++i)
            block.Entries[size_t(i)].Parent = this;
}

FileEntry::Children &FileEntry::children()
{
    if (!m_children)
        m_children = std::make_unique<Children>();
    return *m_children;
}

QString FileEntry::Path() const
{
    if (!Parent)
        return FilePath;
    std::vector<const FileEntry *> chain;
    qsizetype size = 0;
    const FileEntry *e = this;
    for (; e->Parent; e = e->Parent) {
        chain.push_back(e);
        size += e->FileName.size() + 1;
    }
    QString path;
    path.reserve(e->FilePath.size() + size - 1);
    path += e->FilePath;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin())
            path += u'/';
        path += (*it)->FileName;
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
    std::vector<Children::Block> &blocks = children().Blocks;
    if (blocks.empty() || ChildCount == blocks.back().First + blocks.back().Capacity) {
        // Growing by half the level keeps the unused room small without many blocks.
        const int32_t capacity = m_children->Reserved > 0 ? m_children->Reserved : std::max(SmallestBlock, ChildCount / 2);
        m_children->Reserved = 0;
        blocks.push_back({std::make_unique<FileEntry[]>(size_t(capacity)), ChildCount, capacity});
    }
    Children::Block &block = blocks.back();
    FileEntry *added = &block.Entries[size_t(ChildCount - block.First)];
    added->FileName = name;
    added->Parent = this;
    ++ChildCount;
    if (m_children->NameIndex)
        (*m_children->NameIndex)[added->FileName].push_back(ChildCount - 1);
    return added;
}

FileEntry *FileEntry::AddChild(std::unique_ptr<FileEntry> child)
{
    FileEntry *added = AddChild(child->FileName);
    *added = std::move(*child);
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

void FileEntry::ReserveChildren(int count)
{
    const std::vector<Children::Block> &blocks = children().Blocks;
    const int32_t free = blocks.empty() ? 0 : blocks.back().First + blocks.back().Capacity - ChildCount;
    m_children->Reserved = count > free ? count - free : 0;
}

void FileEntry::ClearChildren()
{
    if (m_children) {
        m_children->Blocks.clear();
        m_children->Reserved = 0;
        m_children->NameIndex.reset();
    }
    ChildCount = 0;
}

const std::vector<int> *FileEntry::ChildrenNamed(const QString &name) const
{
    if (!m_children || ChildCount == 0)
        return nullptr;
    auto &index = m_children->NameIndex;
    if (!index) {
        index = std::make_unique<QHash<QString, std::vector<int>>>();
        index->reserve(ChildCount);
        for (int i = 0; i < ChildCount; ++i)
            (*index)[Child(i)->FileName].push_back(i);
    }
    auto it = index->constFind(name);
    return it == index->constEnd() ? nullptr : &it.value();
}

void FileEntry::DropNameIndex() const
{
    if (m_children)
        m_children->NameIndex.reset();
}
