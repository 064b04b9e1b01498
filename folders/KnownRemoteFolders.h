#pragma once
#include "platform/FtpListParser.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

// What a run knows of the remote folders it works in: the entries of each folder it listed
// or created, kept up to date with its own uploads, renames and deletions, so that probing
// the next file of a folder needs no round trip. An entry the run wrote itself is known to
// exist, but its server time and size are not (the server sets them). Paths are absolute
// server paths ("/pub/a.txt"). A folder is forgotten whenever something there failed, so
// that nothing is answered from a picture that may be wrong.
class KnownRemoteFolders {
public:
    struct Known {
        enum Kind { Missing, File, Folder };
        Kind Type = Missing;
        // Set when the facts are the server's own (listed or probed).
        std::optional<FtpEntry> Facts;
    };

    // nullopt when path's folder is not known.
    std::optional<Known> Find(const QString &path) const;
    bool KnowsFolder(const QString &folder) const;
    // True when folder was listed, created or seen as the ancestor of one of those.
    bool FolderExists(const QString &folder) const;

    void Listed(const QString &folder, const QList<FtpEntry> &entries);
    // Made by this run: empty.
    void Created(const QString &folder);
    // Not there (its parent's listing does not show it): nothing is in it.
    void Absent(const QString &folder);
    void Wrote(const QString &path);
    // The server's facts of path (from a probe), in a known folder.
    void Learned(const QString &path, const FtpEntry &facts);
    void Renamed(const QString &from, const QString &to);
    void Removed(const QString &path);
    void Forget(const QString &folderOfPath);

    static QString FolderOf(const QString &path);
    static QString NameOf(const QString &path);

private:
    static QString normal(const QString &folder);
    void markExisting(const QString &folder);

    QHash<QString, QHash<QString, Known>> m_folders;
    QSet<QString> m_existing;
    QSet<QString> m_absent;
};
