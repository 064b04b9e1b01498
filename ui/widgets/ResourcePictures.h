#pragma once
#include <QPixmap>
#include <QString>

class ImageControl;

// Skin pictures compiled into the program: ":/JPG/<name>" and ":/GIF/<name>".

// Shows the picture of that name and type ("JPG") in the control, unless the control's Tag
// is 1. A missing picture leaves the control empty.
void LoadJpegResource(ImageControl *control, const QString &name, const QString &type);
// Clears the control's picture, then plays the animated GIF of that name in it.
void LoadGifResource(const QString &name, ImageControl *control);
// The picture itself, for controls that keep several (a button's four pictures).
QPixmap ResourcePicture(const QString &name, const QString &type = QStringLiteral("JPG"));
// Shows baseName + "1" now and baseName + "2" while the mouse is over the control, the
// pair every skinned button of the program has (e.g. "Ok1"/"Ok2").
void HoverPictures(ImageControl *control, const QString &baseName);
