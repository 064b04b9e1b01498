#pragma once
#include "tests/support/FtpServerBase.h"

#include <QList>
#include <QPair>
#include <QStringList>

// A real FTP server (tests/support/ftpserver.py on pyftpdlib) on 127.0.0.1 and a free port,
// serving a fresh temporary folder read/write for one user. Stopped by stop() or on
// destruction; the script also ends when this process goes away (its stdin closes).
class FtpServerFixture : public FtpServerBase {
public:
    FtpServerFixture();
    ~FtpServerFixture();

    // Server permission letters (pyftpdlib's "elradfmwMT") for a folder that exists below
    // root() when start() runs; "" denies everything, entering included.
    void setFolderPermissions(const QString &relativeFolder, const QString &letters);
    // Limits every data transfer, both ways, to this many bytes per second from the next
    // start() on (0: no limit), so that a test can act while a transfer is under way.
    void setThrottle(int bytesPerSecond) { m_throttle = bytesPerSecond; }
    // From the next start() on, the server waits this long before it answers each command,
    // as a distant server does (0: at once).
    void setCommandDelay(double seconds) { m_delay = seconds; }
    // From the next start() on, every login but the first waits this long for the server's
    // answer to its password, as on a server slow to let more connections in.
    void setLaterLoginDelay(double seconds) { m_laterLoginDelay = seconds; }
    // From the next start() on, the whole server ends (every connection dropped) when the
    // n-th command `command` ("MLSD", "RETR") arrives, or afterSeconds later (in the middle of
    // its transfer with a throttle); as a server that goes away does.
    void setExitAt(const QString &command, int n, double afterSeconds = 0)
    {
        m_failures << QStringLiteral("--exit-at") << QStringLiteral("%1:%2:%3").arg(command).arg(n).arg(afterSeconds);
    }
    // From the next start() on, the server stops answering anyone from the n-th `command` on.
    void setStallAt(const QString &command, int n)
    {
        m_failures << QStringLiteral("--stall-at") << QStringLiteral("%1:%2").arg(command).arg(n);
    }
    // From the next start() on, the server refuses a control connection beyond count open at
    // once with "421 Too many connections" (0: no limit).
    void setMaxConnections(int count) { m_maxConnections = count; }
    // From the next start() on, the server notes every command it receives (see commands()).
    void setCommandLog(bool on) { m_commandLog = on; }
    // The commands received since the command log was switched on ("PASS ****" for the
    // password), in order.
    QStringList commands() const;
    // mlsd false: the server refuses MLSD/MLST, so clients list with LIST. idleTimeout > 0:
    // the server drops a control connection idle for that many seconds.
    bool start(bool mlsd = true, int idleTimeout = 0);

private:
    QString commandLogPath() const;

    QList<QPair<QString, QString>> m_permissions;
    int m_throttle = 0;
    double m_delay = 0;
    double m_laterLoginDelay = 0;
    int m_maxConnections = 0;
    bool m_commandLog = false;
    QStringList m_failures;
};
