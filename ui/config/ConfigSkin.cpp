#include "ui/config/ConfigSkin.h"

#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ResourcePictures.h"
#include "ui/widgets/SkinnedWindow.h"

namespace ConfigSkin {

ImageButton *Button(QWidget *parent, const QString &objectName, const QString &pictureBase, QSize size,
                    const QString &accessibleName)
{
    auto *button = new ImageButton(parent);
    button->setObjectName(objectName);
    button->setAccessibleName(accessibleName);
    button->setCursor(Qt::PointingHandCursor);
    HoverPictures(button, pictureBase);
    button->SetPicDisabled(ResourcePicture(pictureBase + QStringLiteral("Disabled")));
    button->setFixedSize(size);
    return button;
}

ImageButton *CloseBox(SkinnedWindow *form)
{
    ImageButton *close = Button(form, QStringLiteral("SMCLoseBtn"), QStringLiteral("SMCLoseBtn"), CloseBoxSize,
                                QStringLiteral("Close"));
    // The skin's band leaves the close box this place.
    close->move(form->width() - 30, 8);
    QObject::connect(close, &ImageControl::clicked, form, &QDialog::reject);
    return close;
}

ImageControl *Background(SkinnedWindow *form, const QString &pictureName)
{
    auto *back = new ImageControl(form);
    back->setObjectName(QStringLiteral("BackImage"));
    LoadJpegResource(back, pictureName, QStringLiteral("JPG"));
    back->setGeometry(0, 0, form->width(), form->height());
    back->lower();
    form->AddDragHandle(back);
    return back;
}

}  // namespace ConfigSkin
