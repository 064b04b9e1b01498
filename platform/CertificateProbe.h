#pragma once
#include "platform/ServerTrust.h"

#include <QByteArray>
#include <optional>

// Reads the certificate an FTP over TLS server shows, without trusting it: a connection of
// its own that logs in as "anonymous" with no password, so nothing of the user's crosses to
// a server not yet trusted. nullopt when no certificate could be read.
namespace CertificateProbe {

std::optional<ServerTrust> Inspect(const QByteArray &serverUrl, const QString &hostPort);

}  // namespace CertificateProbe
