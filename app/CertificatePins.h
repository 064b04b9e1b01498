#pragma once
#include <QString>

// The certificates a user accepted for FTP over TLS servers that the system does not trust,
// one per "host:port", kept in the program's settings so the window, corvane-cli and the
// scheduled runs all hold to them. A pin is libcurl's public-key pin, "sha256//BASE64".
// Read on any thread (each call opens the settings afresh); stored on the interface thread.
namespace CertificatePins {

// The pin accepted for hostPort; empty when none.
QString Pin(const QString &hostPort);
// False when the settings could not be written.
bool Store(const QString &hostPort, const QString &pin);

}  // namespace CertificatePins
