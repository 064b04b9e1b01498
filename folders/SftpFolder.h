#pragma once
#include "platform/SftpSession.h"

struct JobSide;
struct SideEntry;
class FtpNodeSink;

// What the folder chooser and the remote folder view do with an SFTP side: each call opens
// a session of its own for the side's server and login, on the calling thread.
class SftpFolder {
public:
    static SftpSession::Endpoint EndpointOf(const JobSide &src);
    // The side's folders (foldersOnly) or everything in folderPath, into sink; false with
    // reason set when the server could not be reached or the folder read.
    static bool FillTree(const JobSide &src, const QString &folderPath, FtpNodeSink &sink, void *parent,
                         bool foldersOnly, QString *reason = nullptr);
    static bool IsSftp(const JobSide &src);
    // The item commands of a job's rows, as FtpFolder's of the same names.
    static bool FetchFile(const QString &remotePath, const QString &localPath, const JobSide &src);
    static bool DeleteFile(const QString &remotePath, const JobSide &src);
    static bool RestoreFile(const QString &localPath, const QString &remotePath, const JobSide &src,
                            SideEntry &restored);
};
