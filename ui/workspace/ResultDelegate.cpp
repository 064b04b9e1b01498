#include "ui/workspace/ResultDelegate.h"

#include "ui/workspace/ResultModel.h"

#include <QPainter>

void ResultDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int column = index.column();
    if (ResultModel::ClickOf(column) == 0) {
        QStyledItemDelegate::paint(painter, option, index);
    } else {
        painter->fillRect(option.rect, Qt::white);
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.brush(QPalette::Active, QPalette::Highlight));
        const QVariant picture = index.data(Qt::DecorationRole);
        if (picture.canConvert<QPixmap>()) {
            const QPixmap pixmap = picture.value<QPixmap>();
            QRect target(QPoint(0, 0), pixmap.size());
            target.moveCenter(option.rect.center());
            painter->drawPixmap(target, pixmap);
        }
    }
    painter->save();
    painter->setPen(QColor(225, 225, 225));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->restore();
}
