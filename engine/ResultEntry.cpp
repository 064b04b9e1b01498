#include "engine/ResultEntry.h"

#include "folders/FileEntry.h"

ResultEntry::ResultEntry() = default;
ResultEntry::~ResultEntry() = default;
ResultEntry::ResultEntry(ResultEntry &&) noexcept = default;
ResultEntry &ResultEntry::operator=(ResultEntry &&) noexcept = default;

QString ResultEntry::Title() const
{
    const FileEntry *named = Left ? Left : Right;
    return named ? named->Name() : QString();
}

QString ResultEntry::LeftPath() const { return Left ? Left->Path() : QString(); }
QString ResultEntry::RightPath() const { return Right ? Right->Path() : QString(); }
int64_t ResultEntry::LeftSize() const { return Left ? Left->FileSize : 0; }
int64_t ResultEntry::RightSize() const { return Right ? Right->FileSize : 0; }
int32_t ResultEntry::LeftTime() const { return Left ? Left->FileTime : -1; }
int32_t ResultEntry::RightTime() const { return Right ? Right->FileTime : -1; }
int32_t ResultEntry::LeftAttr() const { return Left ? Left->FileAttr : -1; }
int32_t ResultEntry::RightAttr() const { return Right ? Right->FileAttr : -1; }

ResultEntry *ResultEntry::AddChild()
{
    if (!m_children)
        m_children = std::make_unique<std::vector<ResultEntry>>();
    return &m_children->emplace_back();
}

void ResultEntry::ReserveChildren(int count)
{
    if (count <= 0)
        return;
    if (!m_children)
        m_children = std::make_unique<std::vector<ResultEntry>>();
    m_children->reserve(size_t(count));
}

void ResultEntry::FitChildren()
{
    if (m_children)
        m_children->shrink_to_fit();
}
