#include "ui/workspace/RowImages.h"

#include "engine/RowRecord.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Side = 16;
const QColor Blue(36, 92, 196);
const QColor Green(40, 150, 60);
const QColor Grey(150, 150, 150);
const QColor Highlight(200, 222, 255);

enum class Way { Right, Left, Both };

QPixmap Blank(int width = Side, int height = Side)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A solid arrow across the box, pointing the given way.
void Arrow(QPainter &p, const QRectF &box, Way way, const QColor &colour, bool outlined = false)
{
    const qreal mid = box.center().y();
    const qreal head = box.height() * 0.45;
    const qreal shaft = box.height() * 0.18;
    QPainterPath path;
    auto addHead = [&](qreal tip, qreal dir) {  // dir +1: pointing right
        path.moveTo(tip, mid);
        path.lineTo(tip - dir * head, mid - head);
        path.lineTo(tip - dir * head, mid + head);
        path.closeSubpath();
    };
    qreal from = box.left(), to = box.right();
    if (way != Way::Left)
        addHead(box.right(), 1), to -= head;
    if (way != Way::Right)
        addHead(box.left(), -1), from += head;
    path.addRect(QRectF(from - 0.5, mid - shaft, to - from + 1, 2 * shaft));
    path.setFillRule(Qt::WindingFill);
    p.setRenderHint(QPainter::Antialiasing);
    if (outlined) {
        p.setPen(QPen(colour, 1.2));
        p.setBrush(Qt::white);
        p.drawPath(path.simplified());
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(path);
    }
}

using Painter = void (*)(QPainter &);

QPixmap Draw(Painter paint, bool highlighted)
{
    QPixmap pixmap = Blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (highlighted) {
        p.setPen(QColor(120, 160, 230));
        p.setBrush(Highlight);
        p.drawRoundedRect(QRectF(0.5, 0.5, Side - 1, Side - 1), 3, 3);
    }
    if (paint)
        paint(p);
    return pixmap;
}

void Question(QPainter &p)
{
    p.setPen(Blue);
    QFont f = p.font();
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, Side, Side), Qt::AlignCenter, QStringLiteral("?"));
}

void Warning(QPainter &p)
{
    p.setPen(QPen(QColor(120, 90, 0), 1));
    p.setBrush(QColor(250, 200, 40));
    p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(15, 14.5), QPointF(1, 14.5)}));
    p.setPen(QPen(Qt::black, 1.6));
    p.drawLine(QPointF(8, 6), QPointF(8, 10));
    p.drawPoint(QPointF(8, 12.5));
}

void OpenFolder(QPainter &p)
{
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(QRectF(1.5, 3.5, 12, 10));
    p.setBrush(QColor(252, 222, 130));
    p.drawPolygon(QPolygonF({QPointF(3.5, 6.5), QPointF(15, 6.5), QPointF(13, 13.5), QPointF(1.5, 13.5)}));
}

void Document(QPainter &p)
{
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(10, 1.5), QPointF(12.5, 4), QPointF(12.5, 14.5),
                             QPointF(3.5, 14.5)}));
    p.setPen(QColor(170, 170, 170));
    for (int y = 6; y <= 12; y += 2)
        p.drawLine(5, y, 11, y);
}

void Circling(QPainter &p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Blue, 2));
    p.drawArc(QRectF(3, 3, 10, 10), 20 * 16, 160 * 16);
    p.setPen(QPen(Green, 2));
    p.drawArc(QRectF(3, 3, 10, 10), 200 * 16, 160 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawPolygon(QPolygonF({QPointF(0.5, 7), QPointF(6, 7), QPointF(3.2, 10.5)}));
    p.setBrush(Green);
    p.drawPolygon(QPolygonF({QPointF(15.5, 9), QPointF(10, 9), QPointF(12.8, 5.5)}));
}

void BlueRight(QPainter &p) { Arrow(p, QRectF(2, 3, 12, 10), Way::Right, Blue); }
void GreyRight(QPainter &p) { Arrow(p, QRectF(2, 3, 12, 10), Way::Right, Grey); }
void BlueLeft(QPainter &p) { Arrow(p, QRectF(2, 3, 12, 10), Way::Left, Blue); }
void GreyLeft(QPainter &p) { Arrow(p, QRectF(2, 3, 12, 10), Way::Left, Grey); }
void OutlinedRight(QPainter &p) { Arrow(p, QRectF(1.5, 3, 13, 10), Way::Right, Blue, true); }
void OutlinedLeft(QPainter &p) { Arrow(p, QRectF(1.5, 3, 13, 10), Way::Left, Blue, true); }

void Equals(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Green);
    p.drawRect(QRectF(3, 4.5, 10, 2.5));
    p.drawRect(QRectF(3, 9, 10, 2.5));
}

void Bars(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 60, 40));
    p.drawRect(QRectF(4.5, 3, 2.5, 10));
    p.drawRect(QRectF(9, 3, 2.5, 10));
}

void Cross(QPainter &p)
{
    p.setPen(QPen(Grey, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

QList<QPixmap> MakeFixed()
{
    // One painter per normal image; the highlighted one before it uses the same painter.
    const Painter normal[RowImage::FixedCount] = {
        nullptr, Question, Warning, OpenFolder, Document,
        nullptr, Circling, nullptr, BlueRight, nullptr, GreyRight, nullptr, BlueLeft, nullptr, GreyLeft,
        nullptr, Equals, nullptr, Bars, nullptr, Cross, nullptr, OutlinedRight, nullptr, OutlinedLeft};
    QList<QPixmap> images;
    for (int i = 0; i < RowImage::FixedCount; ++i) {
        const bool highlighted = i >= RowImage::CanMove - 1 && i % 2 == 1;
        images << Draw(highlighted ? normal[i + 1] : normal[i], highlighted);
    }
    return images;
}

QList<QPixmap> MakeDirection()
{
    QList<QPixmap> images;
    images << Blank(55, 16);
    for (Way way : {Way::Both, Way::Right, Way::Left}) {
        QPixmap pixmap = Blank(55, 16);
        QPainter p(&pixmap);
        Arrow(p, QRectF(3, 2, 49, 12), way, Blue);
        images << pixmap;
    }
    return images;
}

}  // namespace

namespace RowImages {

const QList<QPixmap> &Fixed()
{
    static const QList<QPixmap> images = MakeFixed();
    return images;
}

const QList<QPixmap> &Direction()
{
    static const QList<QPixmap> images = MakeDirection();
    return images;
}

}  // namespace RowImages
