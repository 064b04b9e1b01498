#pragma once
#include <QString>

// What a folder chooser's tree gets for each remote entry (FolderName, FolderUrl).
struct FtpNodeRecord {
    QString FolderName;
    QString FolderUrl;
};

// The tree the FTP folder chooser shows, seen from folders/ (which draws nothing).
// Nodes are opaque handles owned by the sink; nullptr stands for the top level.
class FtpNodeSink {
public:
    virtual ~FtpNodeSink() = default;
    virtual void *AddNode(void *parent, const QString &text, const FtpNodeRecord &data,
                          int imageIndex, int selectedIndex, bool isFolder) = 0;
};
