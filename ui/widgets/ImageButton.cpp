#include "ui/widgets/ImageButton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <mutex>

namespace {

// Screen readers see a push button that can be pressed, not a plain picture.
class ImageButtonAccessible : public QAccessibleWidget {
public:
    explicit ImageButtonAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            static_cast<ImageButton *>(widget())->Click();
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checked = static_cast<ImageButton *>(widget())->PicState() == ImageButton::isSelect;
        return s;
    }
};

QAccessibleInterface *ImageButtonFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("ImageButton") && object && object->isWidgetType())
        return new ImageButtonAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

}  // namespace

ImageButton::ImageButton(QWidget *parent) : ImageControl(parent)
{
    static std::once_flag factoryInstalled;
    std::call_once(factoryInstalled, [] { QAccessible::installFactory(ImageButtonFactory); });
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ImageButton::Changed()
{
    ApplyAutoSize();
    update();
}

QPixmap ImageButton::ShownPicture() const
{
    if (!isEnabled() && !m_picDisabled.isNull())
        return m_picDisabled;
    const QPixmap *wanted = &m_picNormal;
    if ((m_state == isSelect || m_down) && !m_picSelect.isNull())
        wanted = &m_picSelect;
    else if (m_state == isMouseMove && !m_picMouseMove.isNull())
        wanted = &m_picMouseMove;
    return wanted->isNull() ? ImageControl::ShownPicture() : *wanted;
}

void ImageButton::SetPicState(PictureState state)
{
    if (state == isSelect && m_groupIndex > 0 && parentWidget()) {
        const auto siblings = parentWidget()->findChildren<ImageButton *>(Qt::FindDirectChildrenOnly);
        for (ImageButton *other : siblings) {
            if (other != this && other->m_groupIndex == m_groupIndex && other->m_state == isSelect
                && !other->m_allowAllSelected)
                other->SetPicState(isNormal);
        }
    }
    if (m_state == state)
        return;
    m_state = state;
    Changed();
}

void ImageButton::Click()
{
    if (!isEnabled())
        return;
    if (m_clickAutoChange)
        SetPicState(isSelect);
    Q_EMIT clicked();
}

void ImageButton::paintEvent(QPaintEvent *event)
{
    if (!isEnabled() && !m_picDisabled.isNull()) {
        QPainter(this).drawPixmap(0, 0, m_picDisabled);
        return;
    }
    ImageControl::paintEvent(event);
    if (m_focusShown && hasFocus()) {
        // As plain as the style's own focus frame would be on these blue pictures: a solid
        // ring in the highlight colour with a white inner line, seen on light and dark skin.
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5));
    }
}

void ImageButton::enterEvent(QEnterEvent *event)
{
    if (m_picAutoChange && m_state != isSelect && isEnabled())
        SetPicState(isMouseMove);
    ImageControl::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent *event)
{
    if (m_picAutoChange && m_state != isSelect)
        SetPicState(isNormal);
    ImageControl::leaveEvent(event);
}

void ImageButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_down = true;
        update();
    }
    event->accept();
}

void ImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_down) {
        event->accept();
        return;
    }
    m_down = false;
    update();
    event->accept();
    if (rect().contains(event->position().toPoint()))
        Click();
}

void ImageButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            Click();
        event->accept();
        return;
    default:
        ImageControl::keyPressEvent(event);
    }
}

void ImageButton::focusInEvent(QFocusEvent *event)
{
    const Qt::FocusReason r = event->reason();
    m_focusShown = r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason;
    update();
    ImageControl::focusInEvent(event);
}

void ImageButton::focusOutEvent(QFocusEvent *event)
{
    m_focusShown = false;
    update();
    ImageControl::focusOutEvent(event);
}

void ImageButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_down = false;
        if (m_picAutoChange && m_state != isSelect)
            m_state = isNormal;
        Changed();
    }
    ImageControl::changeEvent(event);
}
