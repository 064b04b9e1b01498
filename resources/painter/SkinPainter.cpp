#include "resources/painter/SkinPainter.h"

#include "resources/painter/SkinGlyphs.h"
#include "resources/painter/SkinSource.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

const QString kFamily = QStringLiteral("DejaVu Sans");

QFont font(qreal pixelSize, bool bold)
{
    QFont f(kFamily);
    f.setPixelSize(qRound(pixelSize));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Text, optionally led by a glyph, centred as one line in the box.
void captionWithGlyph(QPainter &p, const QRectF &box, const QString &text, const QString &glyph,
                      const QColor &colour, qreal pixelSize)
{
    const QFont f = font(pixelSize, true);
    const qreal textWidth = text.isEmpty() ? 0 : QFontMetricsF(f).horizontalAdvance(text);
    const qreal glyphSize = glyph.isEmpty() ? 0 : std::min(box.height() * 0.55, 16.0);
    const qreal gap = (glyphSize > 0 && textWidth > 0) ? 6 : 0;
    const qreal total = glyphSize + gap + textWidth;
    qreal x = box.center().x() - total / 2;
    if (glyphSize > 0) {
        SkinGlyphs::draw(p, glyph, QRectF(x, box.center().y() - glyphSize / 2, glyphSize, glyphSize),
                         colour, std::max(1.5, glyphSize / 9));
        x += glyphSize + gap;
    }
    if (textWidth > 0) {
        p.setFont(f);
        p.setPen(colour);
        p.drawText(QRectF(x, box.top(), textWidth + 2, box.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   text);
    }
}

QPainterPath rounded(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

}  // namespace

SkinPainter::SkinPainter(const SkinSource &source) : m_source(source) {}

QColor SkinPainter::c(const QString &name) const
{
    return m_source.colour(name);
}

QImage SkinPainter::picture(const SkinPicture &pic, State state) const
{
    QImage image(pic.size, QImage::Format_RGB32);
    image.fill(c(QStringLiteral("surface")));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QString &s = pic.style;
    if (s == QLatin1String("fill"))
        fill(p, pic);
    else if (s == QLatin1String("logo-header"))
        logoHeader(p, pic);
    else if (s == QLatin1String("menu"))
        menu(p, pic, state);
    else if (s == QLatin1String("window-button"))
        windowButton(p, pic, state);
    else if (s == QLatin1String("strip-button"))
        stripButton(p, pic, state);
    else if (s == QLatin1String("tab"))
        tab(p, pic, state);
    else if (s == QLatin1String("button"))
        button(p, pic, state);
    else if (s == QLatin1String("field"))
        field(p, pic);
    else if (s == QLatin1String("direction"))
        direction(p, pic);
    else if (s == QLatin1String("dialog"))
        dialog(p, pic);
    else if (s == QLatin1String("about"))
        about(p, pic);
    else if (s == QLatin1String("side"))
        side(p, pic);
    else if (s == QLatin1String("result-images"))
        resultImages(p, pic);
    else
        return {};
    return image;
}

void SkinPainter::fill(QPainter &p, const SkinPicture &pic) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    p.fillRect(r, c(pic.option(QStringLiteral("colour"), QStringLiteral("surface"))));
    // edge=SIDE:COLOUR draws a one-pixel line along that side.
    const QString edge = pic.option(QStringLiteral("edge"));
    if (edge.isEmpty())
        return;
    const QString sideName = edge.section(QLatin1Char(':'), 0, 0);
    const QColor lineColour = c(edge.section(QLatin1Char(':'), 1, 1));
    const int w = pic.size.width(), h = pic.size.height();
    QRect line;
    if (sideName == QLatin1String("top"))
        line = QRect(0, 0, w, 1);
    else if (sideName == QLatin1String("bottom"))
        line = QRect(0, h - 1, w, 1);
    else if (sideName == QLatin1String("left"))
        line = QRect(0, 0, 1, h);
    else
        line = QRect(w - 1, 0, 1, h);
    p.fillRect(line, lineColour);
}

// The program's mark: a soft disc holding the two chasing arrows of a synchronisation.
void SkinPainter::logoMark(QPainter &p, const QRectF &disc) const
{
    p.setPen(Qt::NoPen);
    p.setBrush(c(QStringLiteral("headerHover")));
    p.drawEllipse(disc);
    const qreal inset = disc.width() * 0.12;
    SkinGlyphs::draw(p, QStringLiteral("sync"), disc.adjusted(inset, inset, -inset, -inset),
                     c(QStringLiteral("accentSoft")), disc.width() / 16);
}

void SkinPainter::logoHeader(QPainter &p, const SkinPicture &pic) const
{
    const qreal h = pic.size.height();
    p.fillRect(QRectF(QPointF(0, 0), pic.size), c(QStringLiteral("header")));
    const QRectF mark(24, h / 2 - 26, 52, 52);
    logoMark(p, mark);
    p.setPen(c(QStringLiteral("accentText")));
    p.setFont(font(30, true));
    p.drawText(QRectF(92, h / 2 - 30, 360, 38), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Corvane"));
    p.setPen(c(QStringLiteral("headerMuted")));
    p.setFont(font(13, false));
    p.drawText(QRectF(94, h / 2 + 9, 360, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Local folders and FTP, kept in step"));
}

void SkinPainter::menu(QPainter &p, const SkinPicture &pic, State state) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    p.fillRect(r, c(QStringLiteral("header")));
    QColor text = c(QStringLiteral("headerText"));
    if (state == State::Highlighted) {
        p.fillPath(rounded(r.adjusted(3, 4, -3, -4), 6), c(QStringLiteral("headerHover")));
        p.fillRect(QRectF(r.left() + 14, r.bottom() - 6, r.width() - 28, 2), c(QStringLiteral("accentSoft")));
        text = c(QStringLiteral("accentText"));
    }
    // A small chevron after the caption says that a menu opens.
    const QFont f = font(13, true);
    const qreal tw = QFontMetricsF(f).horizontalAdvance(pic.caption);
    const qreal chevron = 7;
    const qreal x = r.center().x() - (tw + 5 + chevron) / 2;
    p.setFont(f);
    p.setPen(text);
    p.drawText(QRectF(x, 0, tw + 2, r.height()), Qt::AlignLeft | Qt::AlignVCenter, pic.caption);
    const qreal cx = x + tw + 5, cy = r.center().y() + 1;
    p.setPen(QPen(text, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QList<QPointF>{{cx, cy - 2}, {cx + chevron / 2, cy + 1.5}, {cx + chevron, cy - 2}});
}

void SkinPainter::windowButton(QPainter &p, const SkinPicture &pic, State state) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    p.fillRect(r, c(QStringLiteral("header")));
    const QString glyph = pic.option(QStringLiteral("glyph"));
    QColor ink = c(QStringLiteral("headerText"));
    if (state == State::Highlighted) {
        const bool close = glyph == QLatin1String("close");
        p.fillPath(rounded(r, 3), c(close ? QStringLiteral("danger") : QStringLiteral("headerHover")));
        ink = c(QStringLiteral("accentText"));
    }
    SkinGlyphs::draw(p, glyph, r.adjusted(0, 0, 0, 0), ink, 1.4);
}

void SkinPainter::stripButton(QPainter &p, const SkinPicture &pic, State state) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    p.fillRect(r, c(QStringLiteral("tint")));
    p.fillRect(QRectF(0, r.height() - 1, r.width(), 1), c(QStringLiteral("line")));
    QColor ink = c(QStringLiteral("accent"));
    if (state == State::Highlighted) {
        p.setPen(QPen(c(QStringLiteral("line")), 1));
        p.setBrush(c(QStringLiteral("surface")));
        p.drawRoundedRect(r.adjusted(2.5, 3.5, -2.5, -3.5), 4, 4);
        ink = c(QStringLiteral("accentHover"));
    } else if (state == State::Disabled) {
        ink = c(QStringLiteral("disabledText"));
    }
    const qreal g = std::min(r.width(), r.height()) * 0.75;
    SkinGlyphs::draw(p, pic.option(QStringLiteral("glyph")),
                     QRectF(r.center().x() - g / 2, r.center().y() - g / 2, g, g), ink, 2.2);
}

void SkinPainter::tab(QPainter &p, const SkinPicture &pic, State state) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    p.fillRect(r, c(QStringLiteral("tint")));
    const bool selected = state == State::Highlighted || pic.has(QStringLiteral("selected"));
    // Rounded at the top only: the bottom runs into the page below.
    const QRectF body = r.adjusted(0.5, 2.5, -0.5, 2);
    p.setPen(QPen(c(QStringLiteral("line")), 1));
    p.setBrush(c(selected ? QStringLiteral("surface") : QStringLiteral("tabIdle")));
    p.drawRoundedRect(body, 5, 5);
    if (selected) {
        p.setPen(Qt::NoPen);
        p.setBrush(c(QStringLiteral("accent")));
        p.drawRoundedRect(QRectF(1, 2.5, r.width() - 2, 3.5), 1.5, 1.5);
    } else {
        p.fillRect(QRectF(0, r.height() - 1, r.width(), 1), c(QStringLiteral("line")));
    }
    if (!pic.caption.isEmpty())
        captionWithGlyph(p, r.adjusted(0, 3, 0, 0), pic.caption, {}, c(QStringLiteral("accent")), 13);
}

void SkinPainter::button(QPainter &p, const SkinPicture &pic, State state) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    const bool primary = pic.has(QStringLiteral("primary"));
    QColor fillColour, lineColour, ink;
    switch (state) {
    case State::Normal:
        fillColour = c(primary ? QStringLiteral("accent") : QStringLiteral("surface"));
        lineColour = c(primary ? QStringLiteral("accent") : QStringLiteral("line"));
        ink = c(primary ? QStringLiteral("accentText") : QStringLiteral("text"));
        break;
    case State::Highlighted:
        fillColour = c(primary ? QStringLiteral("accentHover") : QStringLiteral("hoverFill"));
        lineColour = c(primary ? QStringLiteral("accentHover") : QStringLiteral("accent"));
        ink = c(primary ? QStringLiteral("accentText") : QStringLiteral("accent"));
        break;
    case State::Disabled:
        fillColour = c(QStringLiteral("disabledFill"));
        lineColour = c(QStringLiteral("disabledLine"));
        ink = c(QStringLiteral("disabledText"));
        break;
    }
    p.setPen(QPen(lineColour, 1));
    p.setBrush(fillColour);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    const qreal pixel = r.height() >= 32 ? 14 : 13;
    captionWithGlyph(p, r, pic.caption, pic.option(QStringLiteral("glyph")), ink, pixel);
}

void SkinPainter::field(QPainter &p, const SkinPicture &pic) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    p.setPen(QPen(c(QStringLiteral("line")), 1));
    p.setBrush(c(QStringLiteral("fieldFill")));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

void SkinPainter::direction(QPainter &p, const SkinPicture &pic) const
{
    const QString way = pic.option(QStringLiteral("way"));
    if (way == QLatin1String("none"))
        return;
    const QRectF r(QPointF(0, 0), pic.size);
    SkinGlyphs::arrow(p, r.adjusted(6, 2, -6, -2), way, c(QStringLiteral("accent")), 2.4);
}

void SkinPainter::dialog(QPainter &p, const SkinPicture &pic) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    const qreal band = 34;
    p.fillRect(r, c(QStringLiteral("surface")));
    p.fillRect(QRectF(0, 0, r.width(), band), c(QStringLiteral("header")));
    // A small mark at the band's left; the dialog puts its own title beside it.
    SkinGlyphs::draw(p, QStringLiteral("sync"), QRectF(10, 7, 20, 20), c(QStringLiteral("accentSoft")), 2);
    if (pic.option(QStringLiteral("tabs")) == QLatin1String("1")) {
        p.fillRect(QRectF(0, band, r.width(), 28), c(QStringLiteral("tint")));
        p.fillRect(QRectF(0, band + 27, r.width(), 1), c(QStringLiteral("line")));
    }
    edges(p, r);
}

void SkinPainter::edges(QPainter &p, const QRectF &r) const
{
    // Two edges, so that a dialog stands out over the main window's dark header as well as
    // over its white pages (without a compositor there is no shadow to do it).
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c(QStringLiteral("text")), 1));
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(c(QStringLiteral("headerMuted")), 1));
    p.drawRect(r.adjusted(1.5, 1.5, -1.5, -1.5));
}

void SkinPainter::about(QPainter &p, const SkinPicture &pic) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    const qreal band = 150;
    p.fillRect(r, c(QStringLiteral("surface")));
    p.fillRect(QRectF(0, 0, r.width(), band), c(QStringLiteral("header")));
    const QRectF mark(r.center().x() - 30, 22, 60, 60);
    logoMark(p, mark);
    p.setPen(c(QStringLiteral("accentText")));
    p.setFont(font(28, true));
    p.drawText(QRectF(0, 88, r.width(), 36), Qt::AlignCenter, pic.caption);
    p.setPen(c(QStringLiteral("headerMuted")));
    p.setFont(font(13, false));
    p.drawText(QRectF(0, 122, r.width(), 20), Qt::AlignCenter,
               QStringLiteral("Version %1").arg(pic.option(QStringLiteral("version"))));
    p.setPen(c(QStringLiteral("text")));
    p.setFont(font(13, false));
    p.drawText(QRectF(24, band + 14, r.width() - 48, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Keeps a local folder and an FTP folder in step."));
    edges(p, r);
}

void SkinPainter::side(QPainter &p, const SkinPicture &pic) const
{
    const QRectF r(QPointF(0, 0), pic.size);
    QLinearGradient g(0, 0, 0, r.height());
    g.setColorAt(0, c(QStringLiteral("header")));
    g.setColorAt(1, c(QStringLiteral("accent")));
    p.fillRect(r, g);
    const QRectF mark(r.center().x() - 26, 28, 52, 52);
    logoMark(p, mark);
    p.setPen(c(QStringLiteral("accentText")));
    p.setFont(font(20, true));
    p.drawText(QRectF(0, 92, r.width(), 28), Qt::AlignCenter, pic.caption);
    p.setPen(c(QStringLiteral("headerText")));
    p.setFont(font(13, false));
    p.drawText(QRectF(0, 120, r.width(), 20), Qt::AlignCenter, QStringLiteral("Update"));
    p.setPen(c(QStringLiteral("headerMuted")));
    p.setFont(font(11, false));
    p.drawText(QRectF(0, r.height() - 30, r.width(), 18), Qt::AlignCenter,
               QStringLiteral("Version %1").arg(pic.option(QStringLiteral("version"))));
}

void SkinPainter::resultImages(QPainter &p, const SkinPicture &pic) const
{
    // The result tree's image list in index order, one 16-pixel cell each. From index 5 on the
    // odd cell is the highlighted twin of the even one after it.
    struct Cell {
        const char *glyph;
        const char *colour;
    };
    static const Cell cells[] = {
        {"", ""},           {"question", "accent"}, {"warning", "warn"},       {"folder", "folder"},
        {"document", "muted"},
        {"sync", "accent"},  {"sync", "accent"},
        {"to-right", "accent"}, {"to-right", "accent"}, {"to-right", "muted"}, {"to-right", "muted"},
        {"to-left", "accent"},  {"to-left", "accent"},  {"to-left", "muted"},  {"to-left", "muted"},
        {"equals", "go"},       {"equals", "go"},       {"bars", "muted"},     {"bars", "muted"},
        {"close", "muted"},     {"close", "muted"},
        {"outline-right", "accent"}, {"outline-right", "accent"},
        {"outline-left", "accent"},  {"outline-left", "accent"},
    };
    const int cell = pic.size.height();
    for (int i = 0; i < int(std::size(cells)) && (i + 1) * cell <= pic.size.width(); ++i) {
        const QRectF box(i * cell, 0, cell, cell);
        const QString glyph = QString::fromLatin1(cells[i].glyph);
        if (glyph.isEmpty())
            continue;
        const QColor ink = c(QString::fromLatin1(cells[i].colour));
        if (i >= 5 && i % 2 == 1) {
            p.setPen(QPen(c(QStringLiteral("accentSoft")), 1));
            p.setBrush(c(QStringLiteral("hoverFill")));
            p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        if (glyph == QLatin1String("to-right") || glyph == QLatin1String("to-left")) {
            SkinGlyphs::arrow(p, box.adjusted(1, 2, -1, -2),
                              glyph == QLatin1String("to-right") ? QStringLiteral("right") : QStringLiteral("left"),
                              ink, 2);
        } else if (glyph == QLatin1String("sync")) {
            // Blue above, green below.
            SkinGlyphs::draw(p, glyph, box, ink, 1.6);
            p.save();
            p.setClipRect(box.adjusted(0, cell / 2.0, 0, 0));
            SkinGlyphs::draw(p, glyph, box, c(QStringLiteral("go")), 1.6);
            p.restore();
        } else {
            SkinGlyphs::draw(p, glyph, box, ink, glyph == QLatin1String("folder") ? 1.8 : 1.5);
        }
    }
}

QImage SkinPainter::frame(const SkinPicture &anim, int index) const
{
    QImage image(anim.size, QImage::Format_RGB32);
    image.fill(c(QStringLiteral("surface")));
    if (anim.style != QLatin1String("spinner"))
        return {};
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int dots = anim.option(QStringLiteral("frames"), QStringLiteral("12")).toInt();
    const QPointF centre(anim.size.width() / 2.0, anim.size.height() / 2.0);
    const qreal radius = std::min(anim.size.width(), anim.size.height()) * 0.36;
    const qreal dot = radius * 0.22;
    const QColor ink = c(QStringLiteral("accent"));
    const QColor paper = c(QStringLiteral("surface"));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < dots; ++i) {
        // The head dot is full colour; the tail fades towards the page.
        const int age = (index - i + dots) % dots;
        const qreal strength = std::max(0.12, 1.0 - age / qreal(dots) * 1.1);
        QColor col;
        col.setRgbF(paper.redF() + (ink.redF() - paper.redF()) * strength,
                    paper.greenF() + (ink.greenF() - paper.greenF()) * strength,
                    paper.blueF() + (ink.blueF() - paper.blueF()) * strength);
        const qreal a = 2 * M_PI * i / dots - M_PI / 2;
        const qreal size = dot * (age == 0 ? 1.15 : 1.0);
        p.setBrush(col);
        p.drawEllipse(centre + QPointF(std::cos(a) * radius, std::sin(a) * radius), size, size);
    }
    return image;
}
