#include "ui/workspace/FileKindIcons.h"

#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace FileKindIcons {

namespace {

bool AnyOf(const QMimeType &type, std::initializer_list<const char *> names)
{
    for (const char *name : names)
        if (type.inherits(QLatin1String(name)))
            return true;
    return false;
}

// A sheet with a turned corner in the kind's colour and a mark of two letters at most.
QIcon Sheet(const QColor &colour, const QString &mark)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath sheet;
    sheet.moveTo(2.5, 0.5);
    sheet.lineTo(10, 0.5);
    sheet.lineTo(13.5, 4);
    sheet.lineTo(13.5, 15.5);
    sheet.lineTo(2.5, 15.5);
    sheet.closeSubpath();
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(QRectF(3, 7, 10, 8));
    QFont font = p.font();
    font.setPixelSize(7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 7, 10, 8), Qt::AlignCenter, mark);
    return QIcon(pixmap);
}

}  // namespace

Kind KindOf(const QString &extension)
{
    const QString key = extension.trimmed();
    if (key.isEmpty())
        return Kind::Unknown;
    const QString name = key.startsWith(QLatin1Char('.')) ? QStringLiteral("x") + key : key;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return Kind::Unknown;
    const QString mime = type.name();
    // Before the plain-text test: source code and scripts are text too.
    if (AnyOf(type, {"text/x-csrc", "text/x-chdr", "text/x-c++src", "text/x-c++hdr", "text/x-java", "text/x-python",
                     "text/x-python3", "application/x-shellscript", "application/javascript", "text/javascript",
                     "application/json", "text/html", "text/css", "application/xml", "text/x-makefile",
                     "text/x-cmake", "application/x-perl", "application/x-ruby", "text/rust", "text/x-go"}))
        return Kind::Code;
    if (AnyOf(type, {"application/x-executable", "application/x-sharedlib", "application/x-msdownload",
                     "application/x-ms-dos-executable", "application/vnd.microsoft.portable-executable",
                     "application/x-desktop", "application/vnd.appimage"}))
        return Kind::Executable;
    if (AnyOf(type, {"application/zip", "application/x-tar", "application/gzip", "application/x-bzip2",
                     "application/x-xz", "application/x-7z-compressed", "application/vnd.rar", "application/x-rar",
                     "application/zstd", "application/x-compressed-tar", "application/x-cd-image",
                     "application/vnd.debian.binary-package", "application/x-rpm", "application/java-archive"}))
        return Kind::Archive;
    if (AnyOf(type, {"application/pdf", "application/rtf", "application/msword", "application/vnd.ms-excel",
                     "application/vnd.ms-powerpoint", "application/epub+zip", "application/postscript"})
        || mime.startsWith(QLatin1String("application/vnd.oasis.opendocument"))
        || mime.startsWith(QLatin1String("application/vnd.openxmlformats-officedocument")))
        return Kind::Document;
    if (mime.startsWith(QLatin1String("image/")))
        return Kind::Image;
    if (mime.startsWith(QLatin1String("audio/")))
        return Kind::Audio;
    if (mime.startsWith(QLatin1String("video/")))
        return Kind::Video;
    if (type.inherits(QStringLiteral("text/plain")))
        return Kind::Text;
    return Kind::Unknown;
}

QIcon IconOf(Kind kind)
{
    switch (kind) {
    case Kind::Text: return Sheet(QColor(120, 130, 145), QStringLiteral("T"));
    case Kind::Image: return Sheet(QColor(60, 150, 80), QStringLiteral("IM"));
    case Kind::Audio: return Sheet(QColor(150, 70, 170), QStringLiteral("♪"));
    case Kind::Video: return Sheet(QColor(200, 70, 60), QStringLiteral("▶"));
    case Kind::Archive: return Sheet(QColor(185, 140, 40), QStringLiteral("Z"));
    case Kind::Document: return Sheet(QColor(45, 95, 175), QStringLiteral("D"));
    case Kind::Code: return Sheet(QColor(40, 130, 140), QStringLiteral("{}"));
    case Kind::Executable: return Sheet(QColor(60, 60, 70), QStringLiteral("▸"));
    case Kind::Unknown: break;
    }
    return {};
}

}  // namespace FileKindIcons
