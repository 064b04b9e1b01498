#include "tests/support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace TestFiles {

bool Write(const QString &path, const QByteArray &content, int64_t epochSeconds)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        return false;
    f.close();
    return epochSeconds < 0 || SetTime(path, epochSeconds);
}

bool SetTime(const QString &path, int64_t epochSeconds)
{
    const struct timespec times[2] = {{time_t(epochSeconds), 0}, {time_t(epochSeconds), 0}};
    return utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FilesBelow(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

QStringList TemporaryFiles(const QString &folder)
{
    return FilesBelow(folder).filter(QRegularExpression("\\.cvtmp[0-9a-f]{8}$"));
}

QStringList UserFiles(const QString &folder)
{
    QStringList files = FilesBelow(folder);
    files.removeIf([](const QString &f) { return f.startsWith("__FileSync__/"); });
    return files;
}

}  // namespace TestFiles
