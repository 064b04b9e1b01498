#include "ui/widgets/TImageEx.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>

TImageEx::TImageEx(QWidget *parent) : QWidget(parent)
{
    // Pictures may have transparent parts; what lies behind shows through.
    setAttribute(Qt::WA_NoSystemBackground);
}

TImageEx::~TImageEx() = default;

void TImageEx::SetPicture(const QPixmap &picture)
{
    SetMovie(nullptr);
    m_picture = picture;
    ApplyAutoSize();
    update();
}

void TImageEx::SetMovie(QMovie *movie)
{
    if (m_movie == movie)
        return;
    if (m_movie) {
        m_movie->stop();
        m_movie->deleteLater();
    }
    m_movie = movie;
    if (movie) {
        movie->setParent(this);
        connect(movie, &QMovie::frameChanged, this, [this] { update(); });
    }
    update();
}

void TImageEx::SetStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void TImageEx::SetAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    ApplyAutoSize();
}

void TImageEx::ApplyAutoSize()
{
    if (!m_autoSize)
        return;
    const QPixmap shown = ShownPicture();
    if (!shown.isNull())
        resize(shown.deviceIndependentSize().toSize());
}

QSize TImageEx::sizeHint() const
{
    const QPixmap shown = ShownPicture();
    return shown.isNull() ? QWidget::sizeHint() : shown.deviceIndependentSize().toSize();
}

QPixmap TImageEx::ShownPicture() const
{
    if (m_movie && m_movie->isValid())
        return m_movie->currentPixmap();
    return m_picture;
}

void TImageEx::paintEvent(QPaintEvent *)
{
    const QPixmap shown = ShownPicture();
    if (shown.isNull())
        return;
    QPainter p(this);
    if (!isEnabled())
        p.setOpacity(0.4);  // overridden by a button's disabled picture
    if (m_stretch)
        p.drawPixmap(rect(), shown);
    else
        p.drawPixmap(0, 0, shown);
}

void TImageEx::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    Q_EMIT mouseEntered();
}

void TImageEx::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    Q_EMIT mouseLeft();
}

void TImageEx::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    event->accept();
}

void TImageEx::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_leftPressed;
    m_leftPressed = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    event->accept();
}
