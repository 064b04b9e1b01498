#pragma once
#include "model/JobSide.h"
#include "tests/support/ScriptServer.h"

#include <QString>
#include <QTemporaryDir>

// A real SFTP server (OpenSSH's sshd, tests/support/sshserver.py) on 127.0.0.1 and a free
// port with its own host key and an authorised key made for the test run. While it lives,
// HOME points at a folder of its own, so that no test reads or writes the real ~/.ssh.
// Serves root() (an absolute path on the same machine).
class SshServerFixture {
public:
    SshServerFixture();
    ~SshServerFixture();
    SshServerFixture(const SshServerFixture &) = delete;
    SshServerFixture &operator=(const SshServerFixture &) = delete;

    // A new host key for the next start(): the same server, another identity.
    bool newHostKey();
    bool start();
    void stop();
    // Stops (SIGSTOP) or resumes the server's processes of the connections open now, so that
    // they go silent while the server still takes new connections.
    void silenceConnections(bool silent);

    int port() const { return m_port; }
    QString root() const { return m_root.path(); }
    QString home() const { return m_home.path(); }
    // "sftp://127.0.0.1:<port>" + root() + path
    QString url(const QString &path = {}) const;
    // A job side logging in as the test's own user with the authorised key.
    JobSide keySource(const QString &path = QStringLiteral("/pub")) const;
    // A private key file the server accepts, one it does not know, and one locked with
    // lockedKeyPassphrase() that it accepts too.
    QString userKey() const { return m_work.filePath(QStringLiteral("userkey")); }
    QString strangerKey() const { return m_work.filePath(QStringLiteral("strangerkey")); }
    QString lockedKey() const { return m_work.filePath(QStringLiteral("lockedkey")); }
    static QString lockedKeyPassphrase() { return QStringLiteral("secret phrase"); }
    // The host key's type and SHA256 fingerprint as ssh prints them ("ED25519",
    // "SHA256:...").
    QString hostKeyFingerprint() const;
    // Adds the server's current host key to $HOME/.ssh/known_hosts, hashed or not.
    bool trustHostKey(bool hashed = false);

    // Password login needs a user with a password: a dedicated account made while the test
    // runs as root and removed afterwards. Empty when there is none (not root).
    QString passwordUser();
    QString password() const { return QStringLiteral("pa:ss word"); }
    // A job side logging in as passwordUser() with password(); the served files are handed
    // to that user first.
    JobSide passwordSource(const QString &path = QStringLiteral("/pub"));

private:
    QTemporaryDir m_home;
    QTemporaryDir m_work;
    QTemporaryDir m_root;
    ScriptServer m_server;
    QByteArray m_oldHome;
    QString m_passwordUser;
    int m_port = 0;
};
