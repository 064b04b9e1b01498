#include "platform/ConfigHome.h"

#include <QDir>

QString ConfigHomeFolder()
{
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        return QDir::homePath() + QStringLiteral("/.config");
    return base;
}
