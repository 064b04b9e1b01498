#include "updater/InstallName.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString InstallNameOf(const QString &url, const QString &folderUrl)
{
    if (folderUrl.isEmpty() || !url.startsWith(folderUrl))
        return {};
    const QString name = url.mid(folderUrl.size());
    // QDir takes a name starting with ":" as absolute (a resource) and would not put it
    // under the program folder.
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || QDir::isAbsolutePath(name)
        || name.contains(QLatin1Char('\\')))
        return {};
    // A control character makes a name no listing shows the same way twice.
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return {};
    for (const QString &step : name.split(QLatin1Char('/')))
        if (step.isEmpty() || step == QLatin1String(".") || step == QLatin1String(".."))
            return {};
    return name;
}

bool StaysInFolder(const QString &folder, const QString &relativeName)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty())
        return false;
    // The deepest part of the path that exists already decides where the rest is created.
    QString path = QDir(folder).filePath(relativeName);
    QFileInfo probe(path);
    while (!probe.exists() && !probe.isSymLink()) {
        path = probe.path();
        probe = QFileInfo(path);
    }
    const QString real = probe.canonicalFilePath();
    return !real.isEmpty() && (real == root || real.startsWith(root + QLatin1Char('/')));
}
