#include "engine/JobLock.h"

#include "engine/SidePaths.h"
#include "model/Job.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

JobLock::JobLock(const Job &job) : m_path(SidePaths::LockFile(job)) {}

JobLock::~JobLock() = default;

bool JobLock::Acquire()
{
    // Never makes the left folder itself: a missing one must still show as unreachable.
    const QString runFolder = QFileInfo(m_path).path();
    const QString leftFolder = QFileInfo(QFileInfo(runFolder).path()).path();
    if (!QFileInfo(leftFolder).isDir() || !QDir().mkpath(runFolder))
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Held as long as the run lasts, however long that is; only a dead holder frees it.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    const bool held = m_lock->error() == QLockFile::LockFailedError;
    m_lock.reset();
    return !held;
}

QString JobLock::RefusedText(const QString &jobName)
{
    return QStringLiteral("The job \"%1\" is running in another program.").arg(jobName);
}
