#pragma once
#include <QSize>
#include <QString>

class ImageControl;
class ImageButton;
class SkinnedWindow;
class QWidget;

// The skinned parts the configuration dialogs share.
namespace ConfigSkin {

// Sizes of the skin's button pictures.
inline constexpr QSize DialogButtonSize{80, 28};  // Ok, Cancel, apply
inline constexpr QSize CloseBoxSize{22, 17};      // SMCLoseBtn
inline constexpr QSize BrowseButtonSize{84, 28};  // Browse

// An image button showing pictureBase + "1", pictureBase + "2" under the mouse and
// pictureBase + "Disabled" while disabled. Sized to its pictures, so that it can be clicked
// even where a picture is missing.
ImageButton *Button(QWidget *parent, const QString &objectName, const QString &pictureBase, QSize size,
                    const QString &accessibleName);
// The close box at the top right of a dialog's band; it rejects the dialog.
ImageButton *CloseBox(SkinnedWindow *form);
// The dialog's background picture over its whole area; pressing it drags the dialog.
ImageControl *Background(SkinnedWindow *form, const QString &pictureName);

}  // namespace ConfigSkin
