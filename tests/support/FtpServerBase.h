#pragma once
#include "model/JobSide.h"
#include "tests/support/ScriptServer.h"

#include <QString>
#include <QTemporaryDir>

// What every FTP server fixture offers: a fresh folder served read/write to one user on
// 127.0.0.1 and a free port by a server script. The kinds differ in the server they start.
class FtpServerBase {
public:
    FtpServerBase(const FtpServerBase &) = delete;
    FtpServerBase &operator=(const FtpServerBase &) = delete;

    void stop() { m_server.stop(); }
    bool isRunning() const { return m_server.isRunning(); }
    int port() const { return m_port; }
    QString root() const { return m_root.path(); }
    // "<scheme>://127.0.0.1:<port>" + path
    QString url(const QString &path = {}) const;
    QString user() const { return QStringLiteral("tester"); }
    // A colon and a blank, so that nothing on the way may split or trim it.
    QString password() const { return QStringLiteral("pa:ss word"); }
    // A job side for folder path on this server, with its login.
    JobSide source(const QString &path = QStringLiteral("/pub")) const;

protected:
    // scheme: "ftp" or "ftps".
    explicit FtpServerBase(const QString &scheme) : m_scheme(scheme) {}
    ~FtpServerBase() { stop(); }

    QTemporaryDir m_root;
    ScriptServer m_server;
    int m_port = 0;

private:
    QString m_scheme;
};
