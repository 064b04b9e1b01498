#pragma once
#include <QString>

// The user's OpenSSH known_hosts file, as ssh reads it: "host", "[host]:port" and hashed
// ("|1|salt|hash") names. libssh checks keys against it; this finds the line a warning
// names and adds the line of a key the user accepted.
namespace KnownHosts {

// $HOME/.ssh/known_hosts.
QString UserFile();
// The name ssh writes for a server: "host", or "[host]:port" off port 22.
QString HostName(const QString &host, int port);
// The number (from 1) of the first line of file that names host and port; 0 when none does.
int LineFor(const QString &file, const QString &host, int port);
// Appends line to file, making ~/.ssh (mode 700) and the file (600) when missing.
bool Add(const QString &file, const QString &line);

}  // namespace KnownHosts
