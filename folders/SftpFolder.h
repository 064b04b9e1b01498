#pragma once
#include "platform/SftpSession.h"

struct JobSide;
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
};
