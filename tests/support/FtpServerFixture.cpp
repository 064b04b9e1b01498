#include "tests/support/FtpServerFixture.h"

#include <QDeadlineTimer>

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
    QStringList args{QStringLiteral(CORVANE_SOURCE_DIR "/tests/support/ftpserver.py"),
                     QStringLiteral("--root"), root(),
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

    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's pyftpdlib belongs to the system interpreter, whatever python3 is on PATH.
    m_process->start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process->waitForStarted(5000)) {
        m_process.reset();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    QByteArray out;
    while (!deadline.hasExpired()) {
        if (!m_process->canReadLine() && !m_process->waitForReadyRead(int(deadline.remainingTime())))
            break;
        while (m_process->canReadLine()) {
            const QByteArray line = m_process->readLine().trimmed();
            if (line.startsWith("PORT ")) {
                m_port = line.mid(5).toInt();
                return m_port > 0;
            }
        }
    }
    stop();
    return false;
}

void FtpServerFixture::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    m_process.reset();
}

bool FtpServerFixture::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString FtpServerFixture::url(const QString &path) const
{
    return QStringLiteral("ftp://127.0.0.1:%1").arg(m_port) + path;
}
