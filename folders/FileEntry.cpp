#include "folders/FileEntry.h"

FileEntry *FileEntry::AddChild(std::unique_ptr<FileEntry> child)
{
    FileEntry *raw = child.get();
    m_children.push_back(std::move(child));
    ChildCount = int32_t(m_children.size());
    if (m_nameIndex)
        (*m_nameIndex)[raw->FileName].push_back(ChildCount - 1);
    return raw;
}

void FileEntry::ClearChildren()
{
    m_children.clear();
    m_nameIndex.reset();
    ChildCount = 0;
}

const std::vector<int> *FileEntry::ChildrenNamed(const QString &name) const
{
    if (!m_nameIndex) {
        m_nameIndex = std::make_unique<QHash<QString, std::vector<int>>>();
        m_nameIndex->reserve(qsizetype(m_children.size()));
        for (int i = 0; i < int(m_children.size()); ++i)
            (*m_nameIndex)[m_children[size_t(i)]->FileName].push_back(i);
    }
    auto it = m_nameIndex->constFind(name);
    return it == m_nameIndex->constEnd() ? nullptr : &it.value();
}
