#include "ui/widgets/TImageExButton.h"

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
            static_cast<TImageExButton *>(widget())->Click();
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checked = static_cast<TImageExButton *>(widget())->PicState() == TImageExButton::isSelect;
        return s;
    }
};

QAccessibleInterface *ImageButtonFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TImageExButton") && object && object->isWidgetType())
        return new ImageButtonAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

}  // namespace

TImageExButton::TImageExButton(QWidget *parent) : TImageEx(parent)
{
    static std::once_flag factoryInstalled;
    std::call_once(factoryInstalled, [] { QAccessible::installFactory(ImageButtonFactory); });
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void TImageExButton::Changed()
{
    ApplyAutoSize();
    update();
}

QPixmap TImageExButton::ShownPicture() const
{
    if (!isEnabled() && !m_picDisabled.isNull())
        return m_picDisabled;
    const QPixmap *wanted = &m_picNormal;
    if ((m_state == isSelect || m_down) && !m_picSelect.isNull())
        wanted = &m_picSelect;
    else if (m_state == isMouseMove && !m_picMouseMove.isNull())
        wanted = &m_picMouseMove;
    return wanted->isNull() ? TImageEx::ShownPicture() : *wanted;
}

void TImageExButton::SetPicState(TPicState state)
{
    if (state == isSelect && m_groupIndex > 0 && parentWidget()) {
        const auto siblings = parentWidget()->findChildren<TImageExButton *>(Qt::FindDirectChildrenOnly);
        for (TImageExButton *other : siblings) {
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

void TImageExButton::Click()
{
    if (!isEnabled())
        return;
    if (m_clickAutoChange)
        SetPicState(isSelect);
    Q_EMIT clicked();
}

void TImageExButton::paintEvent(QPaintEvent *event)
{
    if (!isEnabled() && !m_picDisabled.isNull()) {
        QPainter(this).drawPixmap(0, 0, m_picDisabled);
        return;
    }
    TImageEx::paintEvent(event);
    if (m_focusShown && hasFocus()) {
        QPainter p(this);
        QPen pen(palette().color(QPalette::Highlight));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void TImageExButton::enterEvent(QEnterEvent *event)
{
    if (m_picAutoChange && m_state != isSelect && isEnabled())
        SetPicState(isMouseMove);
    TImageEx::enterEvent(event);
}

void TImageExButton::leaveEvent(QEvent *event)
{
    if (m_picAutoChange && m_state != isSelect)
        SetPicState(isNormal);
    TImageEx::leaveEvent(event);
}

void TImageExButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_down = true;
        update();
    }
    event->accept();
}

void TImageExButton::mouseReleaseEvent(QMouseEvent *event)
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

void TImageExButton::keyPressEvent(QKeyEvent *event)
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
        TImageEx::keyPressEvent(event);
    }
}

void TImageExButton::focusInEvent(QFocusEvent *event)
{
    const Qt::FocusReason r = event->reason();
    m_focusShown = r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason;
    update();
    TImageEx::focusInEvent(event);
}

void TImageExButton::focusOutEvent(QFocusEvent *event)
{
    m_focusShown = false;
    update();
    TImageEx::focusOutEvent(event);
}

void TImageExButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_down = false;
        if (m_picAutoChange && m_state != isSelect)
            m_state = isNormal;
        Changed();
    }
    TImageEx::changeEvent(event);
}
