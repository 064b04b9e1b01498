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
};

FileEntry::FileEntry() = default;
FileEntry::~FileEntry() = default;
FileEntry::FileEntry(FileEntry &&) noexcept = default;
FileEntry &FileEntry::operator=(FileEntry &&) noexcept = default;

FileEntry *FileEntry::AddChild(const QString &name)
{
    if (!m_children)
        m_children = std::make_unique<Children>();
    std::vector<Children::Block> &blocks = m_children->Blocks;
    if (blocks.empty() || ChildCount == blocks.back().First + blocks.back().Capacity) {
        // Growing by half the level keeps the unused room small without many blocks.
        const int32_t capacity = m_children->Reserved > 0 ? m_children->Reserved : std::max(SmallestBlock, ChildCount / 2);
        m_children->Reserved = 0;
        blocks.push_back({std::make_unique<FileEntry[]>(size_t(capacity)), ChildCount, capacity});
    }
    Children::Block &block = blocks.back();
    FileEntry *added = &block.Entries[size_t(ChildCount - block.First)];
    added->FileName = name;
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
    if (!m_children)
        m_children = std::make_unique<Children>();
    const std::vector<Children::Block> &blocks = m_children->Blocks;
    const int32_t free = blocks.empty() ? 0 : blocks.back().First + blocks.back().Capacity - ChildCount;
    m_children->Reserved = count > free ? count - free : 0;
}

void FileEntry::ClearChildren()
{
    m_children.reset();
    ChildCount = 0;
}

const std::vector<int> *FileEntry::ChildrenNamed(const QString &name) const
{
    if (!m_children)
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
