#include "tests/support/FtpServerFixture.h"

FtpServerFixture::FtpServerFixture() = default;

FtpServerFixture::~FtpServerFixture() { stop(); }

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
    for (const auto &p : m_permissions)
        args << QStringLiteral("--perm") << p.first + QLatin1Char('=') + p.second;
    m_port = m_server.start(QStringLiteral("ftpserver.py"), args);
    return m_port > 0;
}

void FtpServerFixture::stop()
{
    m_server.stop();
}

bool FtpServerFixture::isRunning() const
{
    return m_server.isRunning();
}

QString FtpServerFixture::url(const QString &path) const
{
    return QStringLiteral("ftp://127.0.0.1:%1").arg(m_port) + path;
}
