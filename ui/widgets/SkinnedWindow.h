#pragma once
#include <QDialog>
#include <QPoint>

class ImageButton;
class QLabel;

// Base of every skinned window and dialog: frameless, white, dragged by pressing the left
// mouse button on its background or on a picture registered with AddDragHandle. A dialog
// closes with Escape (rejected); ShowModal runs it modally and tells whether it was accepted
// (the caller makes it, gives it its inputs, reads its outputs and frees it).
class SkinnedWindow : public QDialog {
    Q_OBJECT

public:
    enum class Kind { Dialog, MainWindow };

    explicit SkinnedWindow(QWidget *parent = nullptr, Kind kind = Kind::Dialog);

    // Pressing this widget (a header or background picture) drags the window.
    void AddDragHandle(QWidget *handle);
    // True when the dialog was closed with accept() (an OK button).
    bool ShowModal();
    // Writes the window title in the skin's 34-pixel header band, beside its mark.
    void ShowTitleInBand();
    // The button that Enter (or Return) clicks when the focused control does not take the key
    // itself; Escape always rejects a dialog. nullptr: none.
    void SetDefaultButton(ImageButton *button) { m_defaultButton = button; }
    ImageButton *DefaultButton() const { return m_defaultButton; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The window system moves the window; where it cannot, the window follows the mouse.
    void StartDrag(const QPointF &globalPos);
    void FollowMouse(const QPointF &globalPos);

    Kind m_kind;
    QLabel *m_bandTitle = nullptr;
    ImageButton *m_defaultButton = nullptr;  // a child of the window
    bool m_manualDrag = false;
    QPoint m_dragOffset;  // mouse position minus the window's top-left, during a manual drag
};
