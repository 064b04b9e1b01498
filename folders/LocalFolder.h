#pragma once
#include <QString>
#include <cstdint>

struct JobSide;
struct SideEntry;
class FileEntry;
class FileFilter;
struct ListingProgress;

// The engine's access to a local folder side: reachability, listing through the filter,
// folder creation for copies, and the side's state file. No fields; every call works on
// its arguments only. Local paths use "/" as separator.
class LocalFolder {
public:
    // 0 when side.FolerAllName names an existing folder, else 1.
    static int32_t CheckFolder(const JobSide &side);
    // Fills root (empty on entry) and sets its FileCount().
    static void ListFolder(const JobSide &side, FileEntry &root, const FileFilter &filter,
                           ListingProgress *progress = nullptr);
    // Creates the missing folders of relativePath's folder part below baseFolder (not the
    // last component). Failures are ignored. Returns the highest folder made, or empty.
    static QString ForceFolders(const QString &relativePath, const QString &baseFolder);
    // Records the file at fullPath (below baseFolder, given without trailing "/") in the state tree.
    static void RecordFile(const QString &fullPath, const QString &baseFolder, FileEntry &stateRoot);
    // The same with what a Probe of fullPath gave; nothing is recorded for a missing file.
    static void RecordEntry(const QString &fullPath, const SideEntry &seen, const QString &baseFolder,
                            FileEntry &stateRoot);
    // What is at path now, with time, size and attributes as a listing gives them.
    static SideEntry Probe(const QString &path);
    // The state file of job syncName on the side whose folder is baseFolder.
    static QString StateFilePath(const QString &baseFolder, const QString &syncName);
    // The file entry for relativePath ("/a/b.txt"), found or added with its folders.
    static FileEntry *FindStateEntry(const QString &relativePath, FileEntry &stateRoot);
    // A missing or malformed file leaves an empty root with an empty Title.
    static void LoadStateFile(const QString &path, FileEntry &stateRoot);
    // Writes atomically; creates "__FileSync__" below baseFolder when needed. False on failure
    // (the previous file is then left as it was).
    static bool SaveStateFile(const QString &path, const QString &baseFolder, const FileEntry &stateRoot,
                              QString *why = nullptr);
};
