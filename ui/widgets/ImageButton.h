#pragma once
#include "ui/widgets/ImageControl.h"

// A button drawn with pictures. With PicAutoChange it shows PicMouseMove while the mouse is
// over it; with ClickAutoChange a click selects it (PicSelect). Selecting a button of a
// GroupIndex above 0 returns the other selected buttons of that group under the same parent
// to normal, except those with AllowAllSelected. Disabled, it shows PicDisabled (or its
// picture dimmed). A state without its own picture shows PicNormal, and without that the
// picture set with SetPicture / LoadJpegResource. Takes keyboard focus; Space and Enter
// click it.
class ImageButton : public ImageControl {
    Q_OBJECT

public:
    enum PictureState { isNormal, isMouseMove, isSelect };
    Q_ENUM(PictureState)

    explicit ImageButton(QWidget *parent = nullptr);

    void SetPicNormal(const QPixmap &p) { m_picNormal = p; Changed(); }
    void SetPicMouseMove(const QPixmap &p) { m_picMouseMove = p; Changed(); }
    void SetPicSelect(const QPixmap &p) { m_picSelect = p; Changed(); }
    void SetPicDisabled(const QPixmap &p) { m_picDisabled = p; Changed(); }
    const QPixmap &PicNormal() const { return m_picNormal; }
    const QPixmap &PicMouseMove() const { return m_picMouseMove; }
    const QPixmap &PicSelect() const { return m_picSelect; }
    const QPixmap &PicDisabled() const { return m_picDisabled; }

    PictureState PicState() const { return m_state; }
    // Selecting applies the group rule above.
    void SetPicState(PictureState state);

    bool PicAutoChange() const { return m_picAutoChange; }
    void SetPicAutoChange(bool on) { m_picAutoChange = on; }
    bool ClickAutoChange() const { return m_clickAutoChange; }
    void SetClickAutoChange(bool on) { m_clickAutoChange = on; }
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int index) { m_groupIndex = index; }
    bool AllowAllSelected() const { return m_allowAllSelected; }
    void SetAllowAllSelected(bool on) { m_allowAllSelected = on; }

    // What a mouse click does: selects with ClickAutoChange, then emits clicked().
    void Click();

protected:
    QPixmap ShownPicture() const override;
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Changed();

    QPixmap m_picNormal;
    QPixmap m_picMouseMove;
    QPixmap m_picSelect;
    QPixmap m_picDisabled;
    PictureState m_state = isNormal;
    bool m_picAutoChange = false;
    bool m_clickAutoChange = false;
    int m_groupIndex = 0;
    bool m_allowAllSelected = false;
    bool m_down = false;          // left button held over it
    bool m_focusShown = false;    // focus came from the keyboard
};
