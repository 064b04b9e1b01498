#pragma once
#include <QStyledItemDelegate>

// Paints the cells of the result tree: the column colours, the direction images centred in
// their narrow columns, and the grid lines. One delegate for the whole view.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
