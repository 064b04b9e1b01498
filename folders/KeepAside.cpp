#include "folders/KeepAside.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace KeepAside {

bool LocalExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString FreeLocalName(const QString &path)
{
    const QString first = path + QStringLiteral(".p");
    if (!LocalExists(first))
        return first;
    for (int n = 1;; ++n) {
        const QString candidate = first + QString::number(n);
        if (!LocalExists(candidate))
            return candidate;
    }
}

QString TemporaryCandidate(const QString &path)
{
    return path + QStringLiteral(".cvtmp")
           + QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

}  // namespace KeepAside
