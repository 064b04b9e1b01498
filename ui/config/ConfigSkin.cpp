#include "ui/config/ConfigSkin.h"

#include "ui/widgets/ResourcePictures.h"
#include "ui/widgets/TImageExButton.h"
#include "ui/widgets/TSkinForm.h"

namespace ConfigSkin {

TImageExButton *Button(QWidget *parent, const QString &objectName, const QString &pictureBase, QSize size,
                       const QString &accessibleName)
{
    auto *button = new TImageExButton(parent);
    button->setObjectName(objectName);
    button->setAccessibleName(accessibleName);
    button->setCursor(Qt::PointingHandCursor);
    HoverPictures(button, pictureBase);
    button->SetPicDisabled(ResourcePicture(pictureBase + QStringLiteral("Disabled")));
    button->setFixedSize(size);
    return button;
}

TImageExButton *CloseBox(TSkinForm *form)
{
    TImageExButton *close = Button(form, QStringLiteral("SMCLoseBtn"), QStringLiteral("SMCLoseBtn"), CloseBoxSize,
                                   QStringLiteral("Close"));
    // The skin's band leaves the close box this place.
    close->move(form->width() - 30, 8);
    QObject::connect(close, &TImageEx::clicked, form, &QDialog::reject);
    return close;
}

TImageEx *Background(TSkinForm *form, const QString &pictureName)
{
    auto *back = new TImageEx(form);
    back->setObjectName(QStringLiteral("BackImage"));
    LoadJpegResource(back, pictureName, QStringLiteral("JPG"));
    back->setGeometry(0, 0, form->width(), form->height());
    back->lower();
    form->AddDragHandle(back);
    return back;
}

}  // namespace ConfigSkin
