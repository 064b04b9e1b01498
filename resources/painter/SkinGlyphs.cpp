#include "resources/painter/SkinGlyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

QPen linePen(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A filled arrow head at tip, pointing along angle (degrees, 0 = right, counter-clockwise).
void arrowHead(QPainter &p, QPointF tip, qreal angleDeg, qreal size, const QColor &colour)
{
    const qreal a = qDegreesToRadians(angleDeg);
    const QPointF back(-std::cos(a) * size, std::sin(a) * size);
    const QPointF side(std::sin(a) * size * 0.6, std::cos(a) * size * 0.6);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + back + side);
    head.lineTo(tip + back - side);
    head.closeSubpath();
    p.fillPath(head, colour);
}

void sync(QPainter &p, const QRectF &box, const QColor &colour, qreal w)
{
    const qreal r = std::min(box.width(), box.height()) / 2 - w - box.height() * 0.08;
    const QPointF c = box.center();
    const QRectF circle(c.x() - r, c.y() - r, 2 * r, 2 * r);
    p.setPen(linePen(colour, w));
    p.setBrush(Qt::NoBrush);
    // Two arcs, each ending in a head, chasing each other round the circle.
    for (int start : {30, 210}) {
        p.drawArc(circle, start * 16, 120 * 16);
        const qreal end = qDegreesToRadians(qreal(start + 120));
        const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
        arrowHead(p, tip, start + 120 + 90, w * 2.4, colour);
    }
}

}  // namespace

namespace SkinGlyphs {

bool draw(QPainter &p, const QString &name, const QRectF &box, const QColor &colour, qreal w)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(linePen(colour, w));
    p.setBrush(Qt::NoBrush);
    const qreal s = std::min(box.width(), box.height());
    const QRectF sq(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
    const QRectF in = sq.adjusted(s * 0.2, s * 0.2, -s * 0.2, -s * 0.2);
    bool known = true;
    if (name == QLatin1String("minimise")) {
        p.drawLine(QPointF(in.left(), in.bottom()), QPointF(in.right(), in.bottom()));
    } else if (name == QLatin1String("maximise")) {
        p.drawRect(in);
    } else if (name == QLatin1String("close")) {
        p.drawLine(in.topLeft(), in.bottomRight());
        p.drawLine(in.topRight(), in.bottomLeft());
    } else if (name == QLatin1String("plus") || name == QLatin1String("minus")) {
        p.drawLine(QPointF(in.left(), sq.center().y()), QPointF(in.right(), sq.center().y()));
        if (name == QLatin1String("plus"))
            p.drawLine(QPointF(sq.center().x(), in.top()), QPointF(sq.center().x(), in.bottom()));
    } else if (name == QLatin1String("left") || name == QLatin1String("right")) {
        const qreal dx = in.width() * 0.3 * (name == QLatin1String("left") ? 1 : -1);
        const QPointF tip(sq.center().x() - dx, sq.center().y());
        p.drawPolyline(QList<QPointF>{QPointF(tip.x() + dx * 2, in.top()), tip,
                                      QPointF(tip.x() + dx * 2, in.bottom())});
    } else if (name == QLatin1String("folder")) {
        const QRectF body(in.left() - s * 0.05, in.top() + in.height() * 0.2, in.width() + s * 0.1,
                          in.height() * 0.8);
        QPainterPath path;
        path.moveTo(body.bottomLeft());
        path.lineTo(body.left(), body.top() - in.height() * 0.15);
        path.lineTo(body.left() + body.width() * 0.4, body.top() - in.height() * 0.15);
        path.lineTo(body.left() + body.width() * 0.5, body.top());
        path.lineTo(body.topRight());
        path.lineTo(body.bottomRight());
        path.closeSubpath();
        p.drawPath(path);
    } else if (name == QLatin1String("search")) {
        const qreal r = in.width() * 0.36;
        const QPointF c(in.left() + r + w / 2, in.top() + r + w / 2);
        p.drawEllipse(c, r, r);
        p.drawLine(c + QPointF(r * 0.72, r * 0.72), in.bottomRight());
    } else if (name == QLatin1String("sync")) {
        sync(p, sq, colour, w);
    } else if (name == QLatin1String("question") || name == QLatin1String("warning")) {
        const bool warning = name == QLatin1String("warning");
        const QRectF outer = sq.adjusted(w, w, -w, -w);
        if (warning) {
            p.drawPolygon(QPolygonF{QPointF(outer.center().x(), outer.top()), outer.bottomRight(),
                                    outer.bottomLeft()});
        } else {
            p.drawEllipse(outer);
        }
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setBold(true);
        f.setPixelSize(qRound(s * (warning ? 0.5 : 0.62)));
        p.setFont(f);
        p.drawText(outer.adjusted(0, warning ? s * 0.18 : 0, 0, 0), Qt::AlignCenter,
                   warning ? QStringLiteral("!") : QStringLiteral("?"));
    } else if (name == QLatin1String("document")) {
        const QRectF page(sq.left() + s * 0.2, sq.top() + s * 0.08, s * 0.6, s * 0.84);
        const qreal fold = s * 0.22;
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF{page.topLeft(), QPointF(page.right() - fold, page.top()),
                                QPointF(page.right(), page.top() + fold), page.bottomRight(),
                                page.bottomLeft()});
        p.drawPolyline(QList<QPointF>{QPointF(page.right() - fold, page.top()),
                                      QPointF(page.right() - fold, page.top() + fold),
                                      QPointF(page.right(), page.top() + fold)});
    } else if (name == QLatin1String("equals")) {
        p.drawLine(QPointF(in.left(), sq.center().y() - s * 0.14), QPointF(in.right(), sq.center().y() - s * 0.14));
        p.drawLine(QPointF(in.left(), sq.center().y() + s * 0.14), QPointF(in.right(), sq.center().y() + s * 0.14));
    } else if (name == QLatin1String("bars")) {
        p.drawLine(QPointF(sq.center().x() - s * 0.14, in.top()), QPointF(sq.center().x() - s * 0.14, in.bottom()));
        p.drawLine(QPointF(sq.center().x() + s * 0.14, in.top()), QPointF(sq.center().x() + s * 0.14, in.bottom()));
    } else if (name == QLatin1String("outline-left") || name == QLatin1String("outline-right")) {
        // Shaft and head as one hollow outline, pointing right; mirrored for left.
        const qreal l = sq.left() + s * 0.08, r = sq.right() - s * 0.08, cy = sq.center().y();
        const qreal neck = l + (r - l) * 0.5, shaft = s * 0.14, head = s * 0.36;
        QPolygonF arrow{QPointF(l, cy - shaft), QPointF(neck, cy - shaft), QPointF(neck, cy - head),
                        QPointF(r, cy), QPointF(neck, cy + head), QPointF(neck, cy + shaft),
                        QPointF(l, cy + shaft)};
        if (name == QLatin1String("outline-left")) {
            for (auto &pt : arrow)
                pt.setX(sq.left() + sq.right() - pt.x());
        }
        p.setBrush(Qt::white);
        p.drawPolygon(arrow);
    } else {
        known = false;
    }
    p.restore();
    return known;
}

void arrow(QPainter &p, const QRectF &box, const QString &way, const QColor &colour, qreal w)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal y = box.center().y();
    const qreal head = box.height() * 0.42;
    const bool toLeft = way == QLatin1String("left") || way == QLatin1String("both");
    const bool toRight = way == QLatin1String("right") || way == QLatin1String("both");
    const qreal x0 = box.left() + (toLeft ? head * 0.8 : 0);
    const qreal x1 = box.right() - (toRight ? head * 0.8 : 0);
    p.setPen(QPen(colour, w, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x0, y), QPointF(x1, y));
    if (toLeft)
        arrowHead(p, QPointF(box.left(), y), 180, head, colour);
    if (toRight)
        arrowHead(p, QPointF(box.right(), y), 0, head, colour);
    p.restore();
}

}  // namespace SkinGlyphs
