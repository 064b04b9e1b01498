#include "app/ExecutableFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

QString ExecutableFolder()
{
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else  // before the application object exists (and in tools that never make one)
        dir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}
