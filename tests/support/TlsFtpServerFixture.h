#pragma once
#include "tests/support/FtpServerBase.h"

// A real FTP over TLS server (ProFTPD with mod_tls, tests/support/tlsftpserver.py) on
// 127.0.0.1 and a free port, TLS required on the control and data connections, with a
// self-signed certificate made for the test run. Serves a fresh folder to one user.
class TlsFtpServerFixture : public FtpServerBase {
public:
    TlsFtpServerFixture();

    // A new key and certificate for the next start(): the same server, another identity.
    bool newCertificate();
    // tls false: the same server without mod_tls, as a host that offers FTP in clear only.
    bool start(bool tls = true);
    // The certificate's SHA256 fingerprint as openssl prints it ("AB:CD:...").
    QString fingerprint() const { return m_fingerprint; }

private:
    QTemporaryDir m_work;
    QString m_fingerprint;
};
