#include "ui/widgets/SkinnedWindow.h"

#include "ui/widgets/ImageButton.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

SkinnedWindow::SkinnedWindow(QWidget *parent, Kind kind) : QDialog(parent), m_kind(kind)
{
    setWindowFlags((kind == Kind::Dialog ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
}

void SkinnedWindow::ShowTitleInBand()
{
    if (!m_bandTitle) {
        m_bandTitle = new QLabel(this);
        m_bandTitle->setObjectName(QStringLiteral("BandTitle"));
        m_bandTitle->setStyleSheet(QStringLiteral("color: white; background: transparent; font-weight: bold;"));
        // A press on the title drags the window as the band around it does.
        m_bandTitle->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_bandTitle->setGeometry(36, 0, qMax(0, width() - 80), 34);
    m_bandTitle->setText(windowTitle());
    m_bandTitle->raise();
    m_bandTitle->show();
}

void SkinnedWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange && m_bandTitle)
        m_bandTitle->setText(windowTitle());
}

void SkinnedWindow::AddDragHandle(QWidget *handle)
{
    handle->installEventFilter(this);
}

bool SkinnedWindow::ShowModal()
{
    return exec() == QDialog::Accepted;
}

void SkinnedWindow::StartDrag(const QPointF &globalPos)
{
    QWindow *w = window()->windowHandle();
    m_manualDrag = !(w && w->startSystemMove());
    m_dragOffset = globalPos.toPoint() - frameGeometry().topLeft();
}

void SkinnedWindow::FollowMouse(const QPointF &globalPos)
{
    if (m_manualDrag)
        move(globalPos.toPoint() - m_dragOffset);
}

bool SkinnedWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton) {
            StartDrag(me->globalPosition());
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_manualDrag) {
            FollowMouse(static_cast<QMouseEvent *>(event)->globalPosition());
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_manualDrag) {
            m_manualDrag = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void SkinnedWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        StartDrag(event->globalPosition());
    QDialog::mousePressEvent(event);
}

void SkinnedWindow::mouseMoveEvent(QMouseEvent *event)
{
    FollowMouse(event->globalPosition());
    QDialog::mouseMoveEvent(event);
}

void SkinnedWindow::mouseReleaseEvent(QMouseEvent *event)
{
    m_manualDrag = false;
    QDialog::mouseReleaseEvent(event);
}

void SkinnedWindow::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && m_defaultButton && m_defaultButton->isVisible()
        && m_defaultButton->isEnabled()) {
        m_defaultButton->Click();
        return;
    }
    // The main window is no dialog: Escape and Enter must not close it.
    if (m_kind == Kind::MainWindow)
        QWidget::keyPressEvent(event);
    else
        QDialog::keyPressEvent(event);  // Escape rejects
}
