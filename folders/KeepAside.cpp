#include "folders/KeepAside.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace KeepAside {

bool LocalExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString FreeLocalName(const QString &path) { return FirstFreeName(path, LocalExists, 0); }

QString FirstFreeName(const QString &path, const std::function<bool(const QString &)> &taken, int last)
{
    const QString first = path + QStringLiteral(".p");
    if (!taken(first))
        return first;
    for (int n = 1; last == 0 || n <= last; ++n) {
        const QString candidate = first + QString::number(n);
        if (!taken(candidate))
            return candidate;
    }
    return {};
}

QString TemporaryCandidate(const QString &path)
{
    return path + QStringLiteral(".cvtmp")
           + QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

}  // namespace KeepAside
