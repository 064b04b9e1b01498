#pragma once
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The one record of every listing tree, state tree and comparison tree.
// A parent owns its children; entries are only appended, never removed or moved.
class FileEntry {
public:
    FileEntry() = default;
    FileEntry(const FileEntry &) = delete;
    FileEntry &operator=(const FileEntry &) = delete;

    int32_t PairIsFolder = 0;
    int32_t StateMark = 0;
    int32_t ActionCode = -1;
    // Listing entries: what the state tree recorded for the entry (set with StateMark).
    // Result records: the value of the side whose change decided (see RowReason).
    int32_t StateTime = 0;
    QString Title;
    int32_t FileCount = 0;
    int32_t RightTime = -1;
    int32_t RightAttr = -1;
    int64_t RightSize = 0;
    QString RightPath;
    int32_t ToLeftCount = 0;
    int64_t LeftSize = 0;
    int32_t LeftTime = -1;
    int32_t LeftAttr = -1;
    QString LeftPath;
    int32_t ToRightCount = 0;
    uint8_t Matched = 0;
    // Result records: the rule that decided the action (RowReason's code and flags).
    uint8_t ReasonCode = 0;
    uint8_t ReasonFlags = 0;
    int32_t IsFolder = 0;
    QString FileName;
    QString FilePath;
    int32_t FileTime = 0;
    int64_t FileSize = 0;
    int32_t FileAttr = 0;
    int32_t ChildCount = 0;
    int64_t StateSize = 0;  // goes with StateTime

    // Appends child (taking ownership) and returns it.
    FileEntry *AddChild(std::unique_ptr<FileEntry> child);
    FileEntry *Child(int i) const { return m_children[size_t(i)].get(); }
    // Drops every child (a state file that turns out malformed reads as missing).
    void ClearChildren();

    // Indices of the children whose FileName equals name exactly, in child order.
    // Built on first use and kept up to date by AddChild, so lookups by name cost
    // constant time instead of a scan of the level.
    const std::vector<int> *ChildrenNamed(const QString &name) const;

private:
    std::vector<std::unique_ptr<FileEntry>> m_children;
    mutable std::unique_ptr<QHash<QString, std::vector<int>>> m_nameIndex;
};
