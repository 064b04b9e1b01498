#include "tests/support/FtpServerFixture.h"

#include <QFile>

FtpServerFixture::FtpServerFixture() : FtpServerBase(QStringLiteral("ftp")) {}

FtpServerFixture::~FtpServerFixture()
{
    stop();
    QFile::remove(commandLogPath());
}

void FtpServerFixture::setFolderPermissions(const QString &relativeFolder, const QString &letters)
{
    m_permissions.append({relativeFolder, letters});
}

bool FtpServerFixture::start(bool mlsd, int idleTimeout)
{
    stop();
    if (!m_root.isValid())
        return false;
    QStringList args{QStringLiteral("--root"), root(),
                     QStringLiteral("--user"), user(),
                     QStringLiteral("--password"), password(),
                     QStringLiteral("--port"), QStringLiteral("0")};
    if (!mlsd)
        args << QStringLiteral("--no-mlsd");
    if (idleTimeout > 0)
        args << QStringLiteral("--idle-timeout") << QString::number(idleTimeout);
    if (m_throttle > 0)
        args << QStringLiteral("--throttle") << QString::number(m_throttle);
    if (m_delay > 0)
        args << QStringLiteral("--delay") << QString::number(m_delay);
    if (m_laterLoginDelay > 0)
        args << QStringLiteral("--later-login-delay") << QString::number(m_laterLoginDelay);
    if (m_maxConnections > 0)
        args << QStringLiteral("--max-connections") << QString::number(m_maxConnections);
    if (m_commandLog)
        args << QStringLiteral("--command-log") << commandLogPath();
    args << m_failures;
    for (const auto &p : m_permissions)
        args << QStringLiteral("--perm") << p.first + QLatin1Char('=') + p.second;
    m_port = m_server.start(QStringLiteral("ftpserver.py"), args);
    return m_port > 0;
}

QString FtpServerFixture::commandLogPath() const
{
    // Beside the served folder, so that no listing shows it.
    return m_root.path() + QStringLiteral(".commands");
}

QStringList FtpServerFixture::commands() const
{
    QFile file(commandLogPath());
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    // Each line: the time it arrived, a blank, the command.
    for (const QByteArray &line : file.readAll().split('\n'))
        if (const qsizetype blank = line.indexOf(' '); blank > 0)
            lines << QString::fromUtf8(line.mid(blank + 1));
    return lines;
}
