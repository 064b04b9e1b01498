#pragma once
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The record of every listing tree and state tree (the result of an analysis has its own,
// see ResultEntry). A parent owns its children; entries are only appended, never removed
// or moved. A million-file tree holds several of these per file: only what a listing or a
// state file needs is here, and a level's entries live in a few blocks instead of one
// allocation each.
class FileEntry {
public:
    FileEntry();
    ~FileEntry();
    FileEntry(const FileEntry &) = delete;
    FileEntry &operator=(const FileEntry &) = delete;
    // Takes the values and the children (which stay where they are), not the place in a tree.
    FileEntry(FileEntry &&) noexcept;
    FileEntry &operator=(FileEntry &&) noexcept;

    QString FileName;
    // State entries: the path the state file records. A listing's root: its folder, ending
    // in "/"; the other entries of a listing leave it empty and give their path by Path().
    QString FilePath;
    // The entry this one is a child of; nullptr for a root.
    FileEntry *Parent = nullptr;
    int64_t FileSize = 0;
    int64_t StateSize = 0;  // goes with StateTime
    int32_t FileTime = 0;
    int32_t FileAttr = 0;
    int32_t IsFolder = 0;
    int32_t StateMark = 0;
    // Listing entries: what the state tree recorded for the entry (set with StateMark).
    int32_t StateTime = 0;
    int32_t FileCount = 0;
    int32_t ChildCount = 0;
    uint8_t Matched = 0;

    // A listing entry's full path: the root's FilePath, then the names down to this entry
    // joined with "/".
    QString Path() const;
    // A state tree's header: the side's folder or address. Only a root has one.
    QString Title() const;
    void SetTitle(const QString &title);

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
    Children &children();
    void adoptChildren();

    // Only a level that ever had a child, or a root with a title, has one.
    std::unique_ptr<Children> m_children;
};
