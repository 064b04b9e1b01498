#include "tests/support/ScriptServer.h"

#include <QDeadlineTimer>

int ScriptServer::start(const QString &script, const QStringList &args)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's pyftpdlib belongs to the system interpreter, whatever python3 is on PATH.
    m_process->start(QStringLiteral("/usr/bin/python3"),
                     QStringList{QStringLiteral(CORVANE_SOURCE_DIR "/tests/support/") + script} + args);
    if (!m_process->waitForStarted(5000)) {
        m_process.reset();
        return 0;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (!m_process->canReadLine() && !m_process->waitForReadyRead(int(deadline.remainingTime())))
            break;
        while (m_process->canReadLine()) {
            const QByteArray line = m_process->readLine().trimmed();
            if (line.startsWith("PORT ")) {
                const int port = line.mid(5).toInt();
                if (port > 0)
                    return port;
            }
        }
    }
    stop();
    return 0;
}

void ScriptServer::stop()
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

bool ScriptServer::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}
