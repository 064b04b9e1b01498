#include "engine/JobLock.h"

#include "engine/SidePaths.h"
#include "model/Job.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Who holds the lock, for a person who looks, in the lines of Qt's lock files: an earlier
// Corvane, which read those, still sees a live holder.
QByteArray holder()
{
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' + QCoreApplication::applicationName().toUtf8()
           + '\n' + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n'
           + QSysInfo::bootUniqueId() + '\n';
}

bool sameFile(int fd, const QByteArray &path)
{
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
           && opened.st_ino == named.st_ino;
}

}  // namespace

JobLock::JobLock(const Job &job) : m_path(SidePaths::LockFile(job)) {}

JobLock::~JobLock()
{
    if (m_fd < 0)
        return;
    // Removed while still held: a run that opened it meanwhile finds the name gone and
    // makes a new one, rather than holding a lock nobody else can see.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
}

bool JobLock::Acquire()
{
    // Never makes the left folder itself: a missing one must still show as unreachable.
    const QString runFolder = QFileInfo(m_path).path();
    const QString leftFolder = QFileInfo(QFileInfo(runFolder).path()).path();
    if (!QFileInfo(leftFolder).isDir() || !QDir().mkpath(runFolder))
        return true;
    const QByteArray path = QFile::encodeName(m_path);
    // The kernel's lock, not the file's being there, says whether a run holds the job: it
    // goes with its process, however that ends, and costs no write to the disk.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return true;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            ::close(fd);
            return !held;
        }
        if (sameFile(fd, path)) {
            const QByteArray text = holder();
            // Only for a person who looks: the lock holds without it.
            [[maybe_unused]] const bool noted =
                ::ftruncate(fd, 0) == 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
            m_fd = fd;
            return true;
        }
        // The run before removed it between our open and our lock.
        ::close(fd);
    }
    return true;
}

QString JobLock::RefusedText(const QString &jobName)
{
    return QStringLiteral("The job \"%1\" is running in another program.").arg(jobName);
}
