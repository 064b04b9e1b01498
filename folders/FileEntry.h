#pragma once
#include <QByteArrayView>
#include <QString>
#include <QtCore/qcontainerfwd.h>
#include <cstdint>
#include <memory>
#include <vector>

// The record of every listing tree and state tree (the result of an analysis has its own,
// see ResultEntry). A parent owns its children; entries are only appended, never removed
// or moved. A million-file tree holds several of these per file: only what a listing or a
// state file needs is here, a level's entries live in a few blocks instead of one
// allocation each, their names in one buffer of UTF-8 held by the level, and the few
// recorded paths in a table beside them.
class FileEntry {
public:
    FileEntry();
    ~FileEntry();
    FileEntry(const FileEntry &) = delete;
    FileEntry &operator=(const FileEntry &) = delete;

    // The entry this one is a child of; nullptr for a root.
    FileEntry *Parent = nullptr;
    int64_t FileSize = 0;
    int32_t FileTime = 0;
    int32_t FileAttr = 0;
    uint8_t IsFolder : 1 = 0;
    // Listing entries: SyncAction's state mark, set from the state tree.
    uint8_t StateMark : 2 = 0;
    uint8_t Matched : 1 = 0;

    // Listing entries: the time and size the state tree recorded (with StateMark). Set after
    // FileTime and FileSize, which a listing does not change afterwards: only a time or a
    // size that differs (a changed file) takes room.
    int32_t StateTime() const;
    void SetStateTime(int32_t time);
    int64_t StateSize() const;
    void SetStateSize(int64_t size);

    // The name given to AddChild; a root has none.
    QString Name() const;
    // The same as stored, without a copy; valid until the next child is added to the level.
    QByteArrayView NameUtf8() const;

    // State entries: the path the state file records, when the entry's place does not give it.
    // A listing's root: its folder, ending in "/". Null for the others (an empty path is not
    // a null one).
    QString FilePath() const;
    void SetFilePath(const QString &path);
    bool HasFilePath() const { return (m_kept & PathKept) != 0; }

    // A listing entry's full path: the root's FilePath, then the names down to this entry
    // joined with "/".
    QString Path() const;
    // A state tree's header: the side's folder or address. Only a root has one.
    QString Title() const;
    void SetTitle(const QString &title);

    // A folder's (or a listing root's) count of files below it, set by its listing.
    int32_t FileCount() const;
    void SetFileCount(int32_t count);

    int ChildCount() const;
    // Appends a child of that name, otherwise empty, and returns it.
    FileEntry *AddChild(const QString &name);
    FileEntry *AddChild(QByteArrayView utf8Name);
    FileEntry *Child(int i) const;
    // Room for count more children in one block, and for nameBytes more bytes of their
    // names, when the caller knows how many come.
    void ReserveChildren(int count, qsizetype nameBytes = 0);
    // Gives back the room of names reserved or grown into and not used.
    void FitNames();
    // Drops every child (a state file that turns out malformed reads as missing).
    void ClearChildren();

    // Indices of the children whose name equals name exactly, in child order.
    // Built on first use and kept up to date by AddChild, so lookups by name cost
    // constant time instead of a scan of the level.
    const std::vector<int> *ChildrenNamed(const QString &name) const;
    const std::vector<int> *ChildrenNamed(QByteArrayView utf8Name) const;
    // Frees the index of ChildrenNamed once a pass over the level is done; the next
    // lookup builds it again.
    void DropNameIndex() const;

private:
    struct Children;
    Children &children();
    qsizetype nameSize() const;
    // The root's tables; only an entry below a root (which has them) asks.
    Children &treeTables() const;
    // Keeps value in table where it differs from the entry's own, under bit of m_kept.
    template <typename T>
    void keepApart(QHash<const FileEntry *, T> &table, T value, T own, uint8_t bit);

    // What the parent level keeps for this entry in its tables.
    enum Kept : uint8_t { PathKept = 1, StateSizeKept = 2, StateTimeKept = 4, LongNameKept = 8 };
    uint8_t m_kept = 0;
    // Where the name lies in the parent level's buffer of names. A name of more bytes than
    // m_nameSize holds (no file system allows one) has its size in the level's tables.
    uint16_t m_nameSize = 0;
    uint32_t m_nameAt = 0;
    // Only a level that ever had a child or a file below it, or a root with a title or a
    // path, has one: what only folders need lives there.
    std::unique_ptr<Children> m_children;
};
