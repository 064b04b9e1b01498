#pragma once
#include "model/JobSide.h"
#include "tests/support/ScriptServer.h"

#include <QString>
#include <QTemporaryDir>

// A real FTP over TLS server (ProFTPD with mod_tls, tests/support/tlsftpserver.py) on
// 127.0.0.1 and a free port, TLS required on the control and data connections, with a
// self-signed certificate made for the test run. Serves a fresh folder to one user.
class TlsFtpServerFixture {
public:
    TlsFtpServerFixture();
    ~TlsFtpServerFixture() { stop(); }
    TlsFtpServerFixture(const TlsFtpServerFixture &) = delete;
    TlsFtpServerFixture &operator=(const TlsFtpServerFixture &) = delete;

    // A new key and certificate for the next start(): the same server, another identity.
    bool newCertificate();
    // tls false: the same server without mod_tls, as a host that offers FTP in clear only.
    bool start(bool tls = true);
    void stop() { m_server.stop(); }

    int port() const { return m_port; }
    QString root() const { return m_root.path(); }
    // "ftps://127.0.0.1:<port>" + path
    QString url(const QString &path = {}) const;
    QString user() const { return QStringLiteral("tester"); }
    QString password() const { return QStringLiteral("pa:ss word"); }
    JobSide source(const QString &path = QStringLiteral("/pub")) const;
    // The certificate's SHA256 fingerprint as openssl prints it ("AB:CD:...").
    QString fingerprint() const { return m_fingerprint; }

private:
    QTemporaryDir m_root;
    QTemporaryDir m_work;
    ScriptServer m_server;
    QString m_fingerprint;
    int m_port = 0;
};
