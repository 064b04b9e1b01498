#pragma once
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The one record of every listing tree, state tree and comparison tree.
// A parent owns its children; entries are only appended, never removed or moved.
// A million-file tree holds several of these per file, so the fields are ordered to leave
// no padding, and a level's entries live in a few blocks instead of one allocation each.
class FileEntry {
public:
    FileEntry();
    ~FileEntry();
    FileEntry(const FileEntry &) = delete;
    FileEntry &operator=(const FileEntry &) = delete;
    // Takes the values and the children (which stay where they are).
    FileEntry(FileEntry &&) noexcept;
    FileEntry &operator=(FileEntry &&) noexcept;

    QString Title;
    QString RightPath;
    QString LeftPath;
    QString FileName;
    QString FilePath;
    int64_t RightSize = 0;
    int64_t LeftSize = 0;
    int64_t FileSize = 0;
    int64_t StateSize = 0;  // goes with StateTime
    int32_t PairIsFolder = 0;
    int32_t StateMark = 0;
    int32_t ActionCode = -1;
    int32_t FileCount = 0;
    int32_t RightTime = -1;
    int32_t RightAttr = -1;
    int32_t ToLeftCount = 0;
    int32_t LeftTime = -1;
    int32_t LeftAttr = -1;
    int32_t ToRightCount = 0;
    int32_t IsFolder = 0;
    int32_t FileTime = 0;
    int32_t FileAttr = 0;
    int32_t ChildCount = 0;
    // Listing entries: what the state tree recorded for the entry (set with StateMark).
    // Result records: the value of the side whose change decided (see RowReason).
    int32_t StateTime = 0;
    uint8_t Matched = 0;
    // Result records: the rule that decided the action (RowReason's code and flags).
    uint8_t ReasonCode = 0;
    uint8_t ReasonFlags = 0;

    // Appends a child of that name, otherwise empty, and returns it.
    FileEntry *AddChild(const QString &name);
    // Appends child's values and children and returns the new child.
    FileEntry *AddChild(std::unique_ptr<FileEntry> child);
    FileEntry *Child(int i) const;
    // Room for count more children in one block, when the caller knows how many come.
    void ReserveChildren(int count);
    // Drops every child (a state file that turns out malformed reads as missing).
    void ClearChildren();

    // Indices of the children whose FileName equals name exactly, in child order.
    // Built on first use and kept up to date by AddChild, so lookups by name cost
    // constant time instead of a scan of the level.
    const std::vector<int> *ChildrenNamed(const QString &name) const;
    // Frees the index of ChildrenNamed once a pass over the level is done; the next
    // lookup builds it again.
    void DropNameIndex() const;

private:
    struct Children;
    std::unique_ptr<Children> m_children;  // only a level that ever had a child has one
};
