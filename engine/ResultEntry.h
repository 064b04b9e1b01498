#pragma once
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class FileEntry;

// One record of an analysis's result tree: a file or folder found on one side, or the pair
// found on both, with its action, the rule that decided it and, for a folder, the counts
// below it. It points to the listing entries rather than copying their names, values and
// paths; the listings must outlive it (one AnalysisResult owns them all).
class ResultEntry {
public:
    ResultEntry();
    ~ResultEntry();
    ResultEntry(ResultEntry &&) noexcept;
    ResultEntry &operator=(ResultEntry &&) noexcept;

    const FileEntry *Left = nullptr;
    const FileEntry *Right = nullptr;
    int32_t FileCount = 0;
    int32_t ToLeftCount = 0;
    int32_t ToRightCount = 0;
    int8_t ActionCode = -1;
    uint8_t PairIsFolder = 0;
    // The rule that decided the action (RowReason's code and flags).
    uint8_t ReasonCode = 0;
    uint8_t ReasonFlags = 0;

    // The name the row shows: the left entry's, else the right one's.
    QString Title() const;
    // A side's path, size, packed time and attribute word; an empty path, size 0 and
    // time and attributes -1 where the side has no entry.
    QString LeftPath() const;
    QString RightPath() const;
    int64_t LeftSize() const;
    int64_t RightSize() const;
    int32_t LeftTime() const;
    int32_t RightTime() const;
    int32_t LeftAttr() const;
    int32_t RightAttr() const;

    ResultEntry *AddChild();
    // Room for count children in all, when the caller knows about how many come.
    void ReserveChildren(int count);
    int ChildCount() const { return m_children ? int(m_children->size()) : 0; }
    const ResultEntry *Child(int i) const { return &(*m_children)[size_t(i)]; }
    ResultEntry *Child(int i) { return &(*m_children)[size_t(i)]; }
    // Gives back room reserved for children that did not come.
    void FitChildren();

private:
    // Only a folder has one. A child may move while its level grows: nothing keeps its address.
    std::unique_ptr<std::vector<ResultEntry>> m_children;
};
