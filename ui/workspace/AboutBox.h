#pragma once
#include "ui/widgets/SkinnedWindow.h"

class ImageControl;
class ImageButton;

// The picture of the program's name and version; clicking the picture, OK or the close box
// closes it. Dragged by its top band.
class AboutBox : public SkinnedWindow {
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent = nullptr);

private:
    ImageControl *m_picture;
    ImageButton *m_ok;
    ImageButton *m_close;
};
