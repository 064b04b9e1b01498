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

    // A folder's (or the root's) files below it, and how many of them travel each way.
    int32_t FileCount() const { return m_folder ? m_folder->Files : 0; }
    int32_t ToLeftCount() const { return m_folder ? m_folder->ToLeft : 0; }
    int32_t ToRightCount() const { return m_folder ? m_folder->ToRight : 0; }
    void SetCounts(int32_t files, int32_t toLeft, int32_t toRight);
    void AddCounts(int32_t files, int32_t toLeft, int32_t toRight);

    ResultEntry *AddChild();
    // Room for count children in all, when the caller knows about how many come.
    void ReserveChildren(int count);
    int ChildCount() const { return m_folder ? int(m_folder->Children.size()) : 0; }
    const ResultEntry *Child(int i) const { return &m_folder->Children[size_t(i)]; }
    ResultEntry *Child(int i) { return &m_folder->Children[size_t(i)]; }
    // Gives back room reserved for children that did not come.
    void FitChildren();

private:
    // What only a folder needs, so that a file's record stays small: a result holds one
    // record per file. A child may move while its level grows: nothing keeps its address.
    struct Folder {
        std::vector<ResultEntry> Children;
        int32_t Files = 0;
        int32_t ToLeft = 0;
        int32_t ToRight = 0;
    };
    Folder &folder();

    std::unique_ptr<Folder> m_folder;
};
