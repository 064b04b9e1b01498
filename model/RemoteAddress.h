#pragma once
#include <QString>

// The address of a remote side as the task list stores it: scheme://host[:port][/path],
// without a trailing "/". The scheme chooses the transport; DeviceType stays 3 for each.
struct RemoteAddress {
    enum class Scheme { Ftp, Ftps, Sftp };

    Scheme scheme = Scheme::Ftp;
    QString host;  // an IPv6 address without its brackets
    int port = 21;
    QString path;  // absolute on the server, "" for the root (FTP: the login folder's view)

    // An address as stored; a text without a known scheme reads as FTP, as it always has.
    static RemoteAddress Parse(const QString &url);
    // What a person typed, as stored: trimmed, trailing "/" removed, the scheme in lower
    // case; a text without one gets fallback's ("host:2121/pub" -> "ftp://host:2121/pub").
    static QString Normalize(const QString &typed, Scheme fallback = Scheme::Ftp);
    // "host:2121" of "ftp://host:2121/pub": the text between the scheme and the path.
    static QString Authority(const QString &url);
    // "/pub" of "ftp://host:2121/pub"; "" when there is no path.
    static QString BasePath(const QString &url);
    // "ftp", "ftps", "sftp".
    static QString SchemeName(Scheme scheme);
    static int DefaultPort(Scheme scheme);
    // Whether url starts with a scheme of a remote side.
    static bool HasRemoteScheme(const QString &url);

    // "host:port", brackets around an IPv6 host: the key of what is trusted for a server.
    QString HostPort() const;
};
