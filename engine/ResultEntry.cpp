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

ResultEntry::Folder &ResultEntry::folder()
{
    if (!m_folder)
        m_folder = std::make_unique<Folder>();
    return *m_folder;
}

void ResultEntry::SetCounts(int32_t files, int32_t toLeft, int32_t toRight)
{
    if (!m_folder && files == 0 && toLeft == 0 && toRight == 0)
        return;
    Folder &f = folder();
    f.Files = files;
    f.ToLeft = toLeft;
    f.ToRight = toRight;
}

void ResultEntry::AddCounts(int32_t files, int32_t toLeft, int32_t toRight)
{
    SetCounts(FileCount() + files, ToLeftCount() + toLeft, ToRightCount() + toRight);
}

ResultEntry *ResultEntry::AddChild() { return &folder().Children.emplace_back(); }

void ResultEntry::ReserveChildren(int count)
{
    if (count > 0)
        folder().Children.reserve(size_t(count));
}

void ResultEntry::FitChildren()
{
    if (m_folder)
        m_folder->Children.shrink_to_fit();
}

// One of these per file of an analysis.
static_assert(sizeof(void *) != 8 || sizeof(ResultEntry) <= 32);
