#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

// Small line drawings used on buttons and in the logo, drawn centred in a box.
namespace SkinGlyphs {

// Known names: minimise, maximise, close, plus, minus, left, right, folder, search, sync,
// question, warning, document, equals, bars, outline-left, outline-right.
// Returns false for an unknown name (nothing is drawn).
bool draw(QPainter &p, const QString &name, const QRectF &box, const QColor &colour, qreal penWidth);

// Arrow across a box: way is "left", "right" or "both".
void arrow(QPainter &p, const QRectF &box, const QString &way, const QColor &colour, qreal penWidth);

}  // namespace SkinGlyphs
