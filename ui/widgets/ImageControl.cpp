#include "ui/widgets/ImageControl.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>

// No WA_NoSystemBackground: it makes Qt treat the control as opaque and skip its parent
// beneath it, so wherever a picture is missing, smaller than the control or transparent, an X
// server without a compositor showed whatever lay behind the window. Left out, the parent's
// background is painted first and shows through.
ImageControl::ImageControl(QWidget *parent) : QWidget(parent) {}

ImageControl::~ImageControl() = default;

void ImageControl::SetPicture(const QPixmap &picture)
{
    SetMovie(nullptr);
    m_picture = picture;
    ApplyAutoSize();
    update();
}

void ImageControl::SetMovie(QMovie *movie)
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

void ImageControl::SetStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void ImageControl::SetAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    ApplyAutoSize();
}

void ImageControl::ApplyAutoSize()
{
    if (!m_autoSize)
        return;
    const QPixmap shown = ShownPicture();
    if (!shown.isNull())
        resize(shown.deviceIndependentSize().toSize());
}

QSize ImageControl::sizeHint() const
{
    const QPixmap shown = ShownPicture();
    return shown.isNull() ? QWidget::sizeHint() : shown.deviceIndependentSize().toSize();
}

QPixmap ImageControl::ShownPicture() const
{
    if (m_movie && m_movie->isValid())
        return m_movie->currentPixmap();
    return m_picture;
}

void ImageControl::paintEvent(QPaintEvent *)
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

void ImageControl::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    Q_EMIT mouseEntered();
}

void ImageControl::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    Q_EMIT mouseLeft();
}

void ImageControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_leftPressed;
    m_leftPressed = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    event->accept();
}
