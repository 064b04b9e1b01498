#pragma once
#include "folders/FtpNodeSink.h"
#include <QDateTime>
#include <QString>
#include <cstdint>

struct JobSide;
class FileEntry;
class FileFilter;
struct ListingProgress;
class FtpSession;
class TransferJournal;
struct SideEntry;
struct FtpEntry;

// Everything the program does with an FTP side. No fields: all operations go through the
// process-wide FTP session, which is (re)opened for the server and user of the source given.
// Remote paths are absolute on the server ("/pub/a.txt"), UTF-8 on the wire.
class FtpFolder {
public:
    // "server/pub/" -> "ftp://server/pub"; "ftps://" and "sftp://" are kept (RemoteAddress)
    static QString NormalizeFtpUrl(const QString &text);
    // "ftp://host:2121/pub" -> "host:2121"
    static QString GetFtpHost(const QString &url);
    // "ftp://host/pub" -> "/pub"; "ftp://host" -> ""
    static QString RemoteBasePath(const QString &url);

    // 0 connected; otherwise a non-zero error code (-1 when the session cannot be created).
    static int32_t ConnectFtp(const JobSide &src);
    // Fills root with the side's tree through the filter; root.FileCount() = files read. A
    // folder that is gone (the server answers 550, or 501 to MLSD) adds nothing; any other
    // failure stops the listing: false, with the folder in failedFolder and the server's or
    // the connection's reason in failureReason (when given). The tree is listed on as many
    // connections as the session pool allows; notice, when given, is set when the server
    // accepted fewer.
    static bool ListFolder(const JobSide &src, FileEntry &root, const FileFilter &filter,
                           QString *failedFolder = nullptr, QString *failureReason = nullptr,
                           QString *notice = nullptr, ListingProgress *progress = nullptr);
    // ".", "..", and the folders the program keeps its own files in: never listed as content.
    static bool SkippedName(const QString &name);
    static void FillFolderTree(const JobSide &src, FtpNodeSink &sink, void *parentNode);
    static void FillContentsTree(const QString &folderPath, const JobSide &src, FtpNodeSink &sink);
    // A server time (UTC) as the local calendar date-time that the listings pack.
    static QDateTime FileTimeToDateTime(const QDateTime &serverUtc);

    // Connect-if-needed for this source's server and login (the caller holds the session's
    // mutex). False when no usable session could be had.
    static bool OpenSession(const JobSide &src);
    // The same on another session of the pool (one a second thread works on).
    static bool OpenSession(const JobSide &src, FtpSession &other);
    // The pool's extra sessions log in to this source's server on threads of their own.
    static void OpenConnectionsAhead(const JobSide &src);
    // A server time as the packed local date-time the listings give.
    static int32_t PackedTime(const QDateTime &serverUtc);
    // A remote entry as a side shows it.
    static SideEntry EntryOf(const FtpEntry &found);
    // remotePath after the source's remote base path, beginning with "/".
    static QString RelativePath(const QString &remotePath, const JobSide &src);
    // remotePath + ".p", or the first free remotePath + ".p" + n on the session's server;
    // empty when none is free or the folder cannot be read.
    static QString FreeAsideName(const QString &remotePath);

    // The file entry for relativePath ("/docs/a.txt"), found or added with its folders.
    static FileEntry *FindStateEntry(const QString &relativePath, FileEntry &root);
    // The remote file at remotePath, as seen, into the state tree root; nothing when it is missing.
    static void RecordEntry(const QString &remotePath, const SideEntry &seen, const JobSide &src, FileEntry &root);
    static bool GetRemoteFile(const QString &remotePath, const QString &localPath,
                              FileEntry &rightState, const JobSide &src);
    // Download with the local copy set aside as localPath + ".p" and put back on failure; the
    // new content is written under a temporary name and moved into place when complete.
    static bool SyncDownload(const QString &remotePath, const QString &localPath,
                             FileEntry &rightState, const JobSide &src);
    // Upload with the server copy set aside and put back on failure; with saveOldFile 1 the
    // replaced server copy is first saved under saveFolder + relative path.
    static bool SyncUpload(const QString &localPath, const QString &saveFolder, int32_t saveOldFile,
                           FileEntry &rightState, const JobSide &src, const QString &remotePath);
    // Creates the missing remote folders of relativePath's folder part below the source's base.
    // Returns the highest folder made, or empty.
    static QString ForceRemoteFolders(const QString &relativePath, const JobSide &src);
    // Whether anything (file or folder) is at remotePath on the source's server.
    static bool RemoteEntryExists(const QString &remotePath, const JobSide &src);
    static bool FetchFile(const QString &remotePath, const QString &localPath, const JobSide &src);
    static bool DeleteFtpFile(const QString &remotePath, const JobSide &src);
    // Puts the saved copy at localPath back at remotePath; restored is what the server shows
    // there afterwards, and the saved copy is removed once the server shows the file.
    static bool RestoreFile(const QString &localPath, const QString &remotePath, const JobSide &src,
                            SideEntry &restored);
    // Reads remoteStateFolder + syncName into root through a private temporary file; a
    // missing or malformed file leaves root empty.
    static void LoadStateFile(const QString &remoteStateFolder, const JobSide &src,
                              FileEntry &root, const QString &syncName);
    // Writes root to the base path + "/__FileSync__/" + syncName (the copy noted in journal
    // when one is given). False when not written.
    static bool SaveStateFile(const QString &syncName, const JobSide &src, const FileEntry &root,
                              TransferJournal *journal = nullptr);
};
