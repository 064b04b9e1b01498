#include "platform/gui/Shell.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QUrl>

bool Shell::open(const QString &target)
{
    if (target.isEmpty())
        return false;
    // A local path may contain "#" or "?", which an address would take for its fragment.
    const QUrl url = target.contains(QLatin1String("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    return url.isValid() && QDesktopServices::openUrl(url);
}

QIcon Shell::iconForExtension(const QString &extension)
{
    const QString key = extension.trimmed();
    if (key.isEmpty())
        return {};
    // Without a desktop session Qt looks only in "hicolor", which has no file-type icons.
    static const bool themed = [] {
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(themed);
    // An extension alone is matched as a file name: "x.txt", or "README" as it is.
    const QString name = key.startsWith(QLatin1Char('.')) ? QStringLiteral("x") + key : key;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return {};
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    return icon;
}
