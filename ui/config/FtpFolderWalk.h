#pragma once
#include "folders/FtpFolder.h"
#include "model/JobSide.h"
#include "platform/ServerTrust.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// What the FTP chooser and the remote folder view ask of the server, as plain data so that
// it can run off the interface thread: the dialogs build their trees from the result.
namespace FtpFolderWalk {

struct Node {
    FtpNodeRecord Rec;
    int Parent = -1;  // index into the result's nodes; -1 at the top level
    bool IsFolder = true;
};

struct WalkResult {
    int32_t ConnectCode = 0;  // the side's Reach code; no nodes when it is not 0
    QString ConnectFailure;   // then, why: the server's reply or the transport error
    QList<Node> Nodes;        // parents before their children
    int Selected = -1;        // the node of the last folder reached on the path
    // When the connect failed for a certificate or host key nothing vouches for yet.
    std::optional<ServerTrust> Untrusted;
};

// Connects for the source's server and login, then lists the folders down the path of
// target (a normalised address of any remote scheme): the server's top folders, then under each
// folder on the path its subfolders. The walk stops at a path folder the server does not
// list, so a target whose path does not exist still shows what does.
WalkResult ConnectAndWalk(JobSide source, const QString &target);

// The subfolders of the folder at url (a node's FolderUrl) on the source's server.
QList<Node> ListSubfolders(JobSide source, const QString &url);

// Every entry of the remote folder folderPath ("/pub/docs") of the source's server.
QList<Node> ListContents(const JobSide &source, const QString &folderPath);

}  // namespace FtpFolderWalk
