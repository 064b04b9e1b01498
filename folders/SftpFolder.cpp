#include "folders/SftpFolder.h"

#include "folders/FtpFolder.h"
#include "folders/FtpNodeSink.h"
#include "folders/LocalSide.h"
#include "folders/SafeCopy.h"
#include "folders/SftpSide.h"
#include "model/JobSide.h"
#include "model/RemoteAddress.h"

#include <QFile>
#include <QFileInfo>

SftpSession::Endpoint SftpFolder::EndpointOf(const JobSide &src)
{
    const RemoteAddress address = RemoteAddress::Parse(src.FolerAllName);
    SftpSession::Endpoint ep;
    ep.host = address.host;
    ep.port = address.port;
    ep.user = src.UserName;
    ep.password = src.PWD;
    ep.keyFile = src.PrivateKey;
    return ep;
}

bool SftpFolder::FillTree(const JobSide &src, const QString &folderPath, FtpNodeSink &sink, void *parent,
                          bool foldersOnly, QString *reason)
{
    SftpSession session;
    QList<FtpEntry> entries;
    const QString folder = folderPath.isEmpty() ? QStringLiteral("/") : folderPath;
    if (!session.Open(EndpointOf(src)) || !session.List(folder, entries)) {
        if (reason)
            *reason = session.LastReason();
        return false;
    }
    const QString prefix = src.FolerAllName.endsWith(QLatin1Char('/')) ? src.FolerAllName : src.FolerAllName + QLatin1Char('/');
    for (const FtpEntry &e : entries) {
        if (FtpFolder::SkippedName(e.name) || (foldersOnly && !e.isFolder))
            continue;
        sink.AddNode(parent, e.name, FtpNodeRecord{e.name, prefix + e.name}, 1, 1, e.isFolder);
    }
    return true;
}

bool SftpFolder::IsSftp(const JobSide &src)
{
    return RemoteAddress::Parse(src.FolerAllName).scheme == RemoteAddress::Scheme::Sftp;
}

bool SftpFolder::FetchFile(const QString &remotePath, const QString &localPath, const JobSide &src)
{
    SftpSide side(src);
    return side.Probe(remotePath).Type == SideEntry::File && SafeCopy::SaveCopy(side, remotePath, localPath);
}

bool SftpFolder::DeleteFile(const QString &remotePath, const JobSide &src)
{
    SftpSide side(src);
    return side.Probe(remotePath).Type == SideEntry::File && side.Delete(remotePath);
}

bool SftpFolder::RestoreFile(const QString &localPath, const QString &remotePath, const JobSide &src,
                             SideEntry &restored)
{
    restored = SideEntry();
    SftpSide side(src);
    LocalSide local(QFileInfo(localPath).path(), false);
    if (!QFileInfo(localPath).isFile() || !SafeCopy::Copy(local, localPath, side, remotePath, nullptr, QString()))
        return false;
    restored = side.Probe(remotePath);
    if (restored.Type == SideEntry::File)
        QFile::remove(localPath);
    return true;
}
