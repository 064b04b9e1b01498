#include "ui/workspace/ResultView.h"

#include "ui/workspace/ResultDelegate.h"
#include "ui/workspace/ResultModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <functional>
#include <unordered_set>

ResultView::ResultView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("VST1"));
    setItemDelegate(new ResultDelegate(this));
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows at once for the direction keys.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setIconSize(QSize(16, 16));
    setMouseTracking(true);
    setAllColumnsShowFocus(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    // The selection is not shown while the tree has no focus.
    QPalette colours = palette();
    colours.setBrush(QPalette::Inactive, QPalette::Highlight, colours.brush(QPalette::Inactive, QPalette::Base));
    colours.setBrush(QPalette::Inactive, QPalette::HighlightedText, colours.brush(QPalette::Inactive, QPalette::Text));
    setPalette(colours);
    QFont headerFont(QStringLiteral("Arial"));
    header()->setFont(headerFont);
    header()->setSectionsMovable(true);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setMinimumSectionSize(20);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(ResultModel::ColItem, Qt::AscendingOrder);
    connect(header(), &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        if (!m_model)
            return;
        // The rows are the plan of a running synchronisation: their order stays.
        if (!m_clicksAllowed) {
            const QSignalBlocker block(header());
            header()->setSortIndicator(m_model->SortColumn(), m_model->SortOrder());
            return;
        }
        m_model->SortRows(column, order);
    });
}

void ResultView::SetResultModel(ResultModel *model)
{
    m_model = model;
    setModel(model);
    for (int column = 0; column < ResultModel::ColumnCount; ++column)
        header()->resizeSection(column, ReadableWidth(column));
    // The item column takes what the window leaves, so the right side's columns stay in view.
    header()->setSectionResizeMode(ResultModel::ColItem, QHeaderView::Stretch);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) { SelectBelow(selected); });
}

QModelIndexList ResultView::SelectedRowIndexes() const
{
    QModelIndexList rows;
    if (!selectionModel())
        return rows;
    std::unordered_set<const void *> seen;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const QModelIndex index = model()->index(row, 0, range.parent());
            if (index.isValid() && seen.insert(index.internalPointer()).second)
                rows << index;
        }
    return rows;
}

void ResultView::SelectBelow(const QItemSelection &selected)
{
    if (m_selectingBelow || !m_model)
        return;
    QItemSelection below;
    std::function<void(const QModelIndex &)> add = [&](const QModelIndex &folder) {
        const int count = m_model->rowCount(folder);
        if (count == 0)
            return;
        // Ctrl+A has selected them already.
        const QModelIndex first = m_model->index(0, 0, folder), last = m_model->index(count - 1, 0, folder);
        if (!selectionModel()->isSelected(first) || !selectionModel()->isSelected(last))
            below.select(m_model->index(0, 0, folder), m_model->index(count - 1, ResultModel::ColumnCount - 1, folder));
        for (int i = 0; i < count; ++i) {
            const QModelIndex child = m_model->index(i, 0, folder);
            if (m_model->rowCount(child) > 0)
                add(child);
        }
    };
    for (const QItemSelectionRange &range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            add(m_model->index(row, 0, range.parent()));
    if (below.isEmpty())
        return;
    m_selectingBelow = true;
    selectionModel()->select(below, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_selectingBelow = false;
}

// The stated widths suit a smaller font than this platform's: a column is made wide enough
// for its header and for the dates and fixed texts of its cells.
int ResultView::ReadableWidth(int column) const
{
    int width = std::max(ResultModel::ColumnWidth(column), header()->sectionSizeHint(column));
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    for (const QString &text : ResultModel::WidthTexts(column))
        width = std::max(width, fontMetrics().horizontalAdvance(text) + margins);
    return width;
}

void ResultView::mouseMoveEvent(QMouseEvent *event)
{
    QTreeView::mouseMoveEvent(event);
    if (!m_model)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool image = index.isValid() && ResultModel::ClickOf(index.column()) != 0;
    m_model->SetHover(image ? index : QModelIndex());
    viewport()->setCursor(image ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void ResultView::mousePressEvent(QMouseEvent *event)
{
    QTreeView::mousePressEvent(event);
    if (!m_model || !m_clicksAllowed)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && ResultModel::ClickOf(index.column()) != 0)
        m_model->DirectionClick(index);
}

void ResultView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        Q_EMIT MenuRequested(event->globalPosition().toPoint());
}

void ResultView::leaveEvent(QEvent *event)
{
    QTreeView::leaveEvent(event);
    if (m_model)
        m_model->SetHover({});
    viewport()->unsetCursor();
}
