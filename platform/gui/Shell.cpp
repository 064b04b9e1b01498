#include "platform/gui/Shell.h"

#include <QDesktopServices>
#include <QUrl>

bool Shell::open(const QString &target)
{
    if (target.isEmpty())
        return false;
    // A local path may contain "#" or "?", which an address would take for its fragment.
    const QUrl url = target.contains(QLatin1String("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    return url.isValid() && QDesktopServices::openUrl(url);
}
