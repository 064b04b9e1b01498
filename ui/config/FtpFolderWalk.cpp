#include "ui/config/FtpFolderWalk.h"

#include "folders/SftpFolder.h"
#include "folders/Side.h"
#include "model/RemoteAddress.h"

#include <cstdint>

namespace FtpFolderWalk {

namespace {

// Collects FillFolderTree's nodes; a node handle is its index + 1, so nullptr stays the top.
class Collector : public FtpNodeSink {
public:
    explicit Collector(QList<Node> &nodes) : m_nodes(nodes) {}

    void *AddNode(void *parent, const QString &, const FtpNodeRecord &data, int, int, bool isFolder) override
    {
        m_nodes.append(Node{data, IndexOf(parent), isFolder});
        return HandleOf(int(m_nodes.size()) - 1);
    }

    static void *HandleOf(int index) { return index < 0 ? nullptr : reinterpret_cast<void *>(intptr_t(index) + 1); }
    static int IndexOf(void *handle) { return handle ? int(reinterpret_cast<intptr_t>(handle) - 1) : -1; }

private:
    QList<Node> &m_nodes;
};

// Only among the folders just listed: a folder of the same name elsewhere in the tree
// is another folder.
int childNamed(const QList<Node> &nodes, int parent, const QString &name)
{
    for (int i = 0; i < nodes.size(); ++i)
        if (nodes.at(i).Parent == parent && nodes.at(i).Rec.FolderName == name)
            return i;
    return -1;
}

bool isSftp(const JobSide &source)
{
    return RemoteAddress::Parse(source.FolerAllName).scheme == RemoteAddress::Scheme::Sftp;
}

void fillFolders(const JobSide &source, FtpNodeSink &sink, void *parent)
{
    if (isSftp(source))
        SftpFolder::FillTree(source, RemoteAddress::BasePath(source.FolerAllName), sink, parent, true);
    else
        FtpFolder::FillFolderTree(source, sink, parent);
}

}  // namespace

WalkResult ConnectAndWalk(JobSide source, const QString &target)
{
    WalkResult result;
    source.DeviceType = 3;
    const std::unique_ptr<Side> side = Side::For(source, false);
    result.ConnectCode = side ? side->Reach() : -1;
    if (result.ConnectCode != 0) {
        if (side) {
            result.ConnectFailure = side->FailureReason();
            result.Untrusted = side->Untrusted();
        }
        return result;
    }

    Collector sink(result.Nodes);
    QString rest = target.mid(target.indexOf(QLatin1String("://")) + 3);
    int listed = -1;  // the folder whose subfolders the previous pass listed; -1 the top
    bool first = true;
    for (;;) {
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        const bool last = slash < 0;
        const QString segment = last ? rest : rest.left(slash);
        if (!last)
            rest = rest.mid(slash + 1);
        source.FolerAllName = last ? target : target.left(target.size() - rest.size() - 1);

        // The first segment is the host: its pass lists the server's top folders.
        int parent = -1;
        if (!first) {
            parent = childNamed(result.Nodes, listed, segment);
            if (parent < 0)
                break;
            result.Selected = parent;
        }
        fillFolders(source, sink, Collector::HandleOf(parent));
        listed = parent;
        first = false;
        if (last)
            break;
    }
    return result;
}

QList<Node> ListSubfolders(JobSide source, const QString &url)
{
    QList<Node> nodes;
    Collector sink(nodes);
    source.FolerAllName = url;
    fillFolders(source, sink, nullptr);
    return nodes;
}

QList<Node> ListContents(const JobSide &source, const QString &folderPath)
{
    QList<Node> nodes;
    Collector sink(nodes);
    if (isSftp(source))
        SftpFolder::FillTree(source, folderPath, sink, nullptr, false);
    else
        FtpFolder::FillContentsTree(folderPath, source, sink);
    return nodes;
}

}  // namespace FtpFolderWalk
