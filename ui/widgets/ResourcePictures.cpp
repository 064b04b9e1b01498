#include "ui/widgets/ResourcePictures.h"

#include "ui/widgets/TImageEx.h"

#include <QMovie>

QPixmap ResourcePicture(const QString &name, const QString &type)
{
    // QPixmap's own cache keeps the decoded picture, so hover swaps do not decode again.
    return QPixmap(QStringLiteral(":/") + type + QLatin1Char('/') + name);
}

void LoadJpegResource(TImageEx *control, const QString &name, const QString &type)
{
    if (!control || control->Tag() == 1)
        return;
    control->SetPicture(ResourcePicture(name, type));
}

void LoadGifResource(const QString &name, TImageEx *control)
{
    if (!control)
        return;
    control->SetPicture(QPixmap());
    auto *movie = new QMovie(QStringLiteral(":/GIF/") + name);
    control->SetMovie(movie);
    movie->start();
}

void HoverPictures(TImageEx *control, const QString &baseName)
{
    const QString normal = baseName + QLatin1Char('1');
    const QString hover = baseName + QLatin1Char('2');
    LoadJpegResource(control, normal, QStringLiteral("JPG"));
    QObject::connect(control, &TImageEx::mouseEntered, control,
                     [control, hover] { LoadJpegResource(control, hover, QStringLiteral("JPG")); });
    QObject::connect(control, &TImageEx::mouseLeft, control,
                     [control, normal] { LoadJpegResource(control, normal, QStringLiteral("JPG")); });
}
