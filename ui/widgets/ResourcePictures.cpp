#include "ui/widgets/ResourcePictures.h"

#include "ui/widgets/ImageControl.h"

#include <QMovie>

QPixmap ResourcePicture(const QString &name, const QString &type)
{
    // QPixmap's own cache keeps the decoded picture, so hover swaps do not decode again.
    return QPixmap(QStringLiteral(":/") + type + QLatin1Char('/') + name);
}

void LoadJpegResource(ImageControl *control, const QString &name, const QString &type)
{
    if (!control || control->Tag() == 1)
        return;
    control->SetPicture(ResourcePicture(name, type));
}

void LoadGifResource(const QString &name, ImageControl *control)
{
    if (!control)
        return;
    control->SetPicture(QPixmap());
    auto *movie = new QMovie(QStringLiteral(":/GIF/") + name);
    control->SetMovie(movie);
    movie->start();
}

void HoverPictures(ImageControl *control, const QString &baseName)
{
    const QString normal = baseName + QLatin1Char('1');
    const QString hover = baseName + QLatin1Char('2');
    LoadJpegResource(control, normal, QStringLiteral("JPG"));
    QObject::connect(control, &ImageControl::mouseEntered, control,
                     [control, hover] { LoadJpegResource(control, hover, QStringLiteral("JPG")); });
    QObject::connect(control, &ImageControl::mouseLeft, control,
                     [control, normal] { LoadJpegResource(control, normal, QStringLiteral("JPG")); });
}
