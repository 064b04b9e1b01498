#pragma once
#include <QString>
#include <cstdint>

struct TFolderSource;
struct TSideEntry;
class TFileAttri;
class TBeenTortured;

// The engine's access to a local folder side: reachability, listing through the filter,
// folder creation for copies, and the side's state file. No fields; every call works on
// its arguments only. Local paths use "/" as separator.
class TWinFile {
public:
    // 0 when side.FolerAllName names an existing folder, else 1.
    static int32_t CheckFolder(const TFolderSource &side);
    // Fills root (empty on entry) and sets root.FileCount.
    static void ListFolder(const TFolderSource &side, TFileAttri &root, const TBeenTortured &filter);
    // Creates the missing folders of relativePath's folder part below baseFolder (not the
    // last component). Failures are ignored.
    static void ForceFolders(const QString &relativePath, const QString &baseFolder);
    // Records the file at fullPath (below baseFolder, given without trailing "/") in the state tree.
    static void RecordFile(const QString &fullPath, const QString &baseFolder, TFileAttri &stateRoot);
    // The same with what a Probe of fullPath gave; nothing is recorded for a missing file.
    static void RecordEntry(const QString &fullPath, const TSideEntry &seen, const QString &baseFolder,
                            TFileAttri &stateRoot);
    // What is at path now, with time, size and attributes as a listing gives them.
    static TSideEntry Probe(const QString &path);
    // The state file of job syncName on the side whose folder is baseFolder.
    static QString StateFilePath(const QString &baseFolder, const QString &syncName);
    // The file entry for relativePath ("/a/b.txt"), found or added with its folders.
    static TFileAttri *FindStateEntry(const QString &relativePath, TFileAttri &stateRoot);
    // A missing or malformed file leaves an empty root with an empty Title.
    static void LoadStateFile(const QString &path, TFileAttri &stateRoot);
    // Writes atomically; creates "__FileSync__" below baseFolder when needed. False on failure
    // (the previous file is then left as it was).
    static bool SaveStateFile(const QString &path, const QString &baseFolder, const TFileAttri &stateRoot);
};
