#pragma once
#include "ui/widgets/TSkinForm.h"

class TImageEx;
class TImageExButton;

// The picture of the program's name and version; clicking the picture, OK or the close box
// closes it. Dragged by its top band.
class TAboutBox : public TSkinForm {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

private:
    TImageEx *m_picture;
    TImageExButton *m_ok;
    TImageExButton *m_close;
};
