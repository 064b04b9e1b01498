#pragma once

#include <QImage>
#include <QRectF>

class SkinSource;
struct SkinPicture;

// Draws the pictures of a skin source, one style per kind of control.
class SkinPainter {
public:
    enum class State { Normal, Highlighted, Disabled };

    explicit SkinPainter(const SkinSource &source);

    // An empty image when the style is not known.
    QImage picture(const SkinPicture &picture, State state) const;
    QImage frame(const SkinPicture &animation, int index) const;

private:
    QColor c(const QString &name) const;

    void logoMark(QPainter &p, const QRectF &disc) const;
    void fill(QPainter &p, const SkinPicture &pic) const;
    void logoHeader(QPainter &p, const SkinPicture &pic) const;
    void menu(QPainter &p, const SkinPicture &pic, State state) const;
    void windowButton(QPainter &p, const SkinPicture &pic, State state) const;
    void stripButton(QPainter &p, const SkinPicture &pic, State state) const;
    void tab(QPainter &p, const SkinPicture &pic, State state) const;
    void button(QPainter &p, const SkinPicture &pic, State state) const;
    void field(QPainter &p, const SkinPicture &pic) const;
    void direction(QPainter &p, const SkinPicture &pic) const;
    void dialog(QPainter &p, const SkinPicture &pic) const;
    void about(QPainter &p, const SkinPicture &pic) const;
    void edges(QPainter &p, const QRectF &r) const;
    void side(QPainter &p, const SkinPicture &pic) const;
    void resultImages(QPainter &p, const SkinPicture &pic) const;

    const SkinSource &m_source;
};
