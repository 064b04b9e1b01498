#include "ui/workspace/ResultView.h"

#include "ui/workspace/ResultDelegate.h"
#include "ui/workspace/ResultModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
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
    connect(model, &ResultModel::ManyRowsChanged, viewport(), qOverload<>(&QWidget::update));
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

void ResultView::selectAll()
{
    if (!m_model || !selectionModel() || selectionMode() != ExtendedSelection) {
        QTreeView::selectAll();
        return;
    }
    QItemSelection all;
    std::unordered_set<const void *> done;
    AddRowsBelow(QModelIndex(), all, {}, done);
    m_selectingBelow = true;
    // The ranges span every column: no Rows flag, whose widening costs the square of the ranges.
    selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
    m_selectingBelow = false;
}

void ResultView::AddRowsBelow(const QModelIndex &folder, QItemSelection &into,
                              const std::unordered_set<const void *> &whole, std::unordered_set<const void *> &done) const
{
    if (!done.insert(folder.internalPointer()).second)
        return;
    const int count = m_model->rowCount(folder);
    if (count == 0)
        return;
    if (!whole.count(folder.internalPointer()))
        into.append(QItemSelectionRange(m_model->index(0, 0, folder),
                                        m_model->index(count - 1, ResultModel::ColumnCount - 1, folder)));
    for (int i = 0; i < count; ++i) {
        const QModelIndex child = m_model->index(i, 0, folder);
        if (m_model->rowCount(child) > 0)
            AddRowsBelow(child, into, whole, done);
    }
}

void ResultView::SelectBelow(const QItemSelection &selected)
{
    if (m_selectingBelow || !m_model)
        return;
    // Folders whose rows this change selected already (a Shift-click over open folders).
    std::unordered_set<const void *> whole;
    for (const QItemSelectionRange &range : selected)
        if (range.top() == 0 && range.bottom() == m_model->rowCount(range.parent()) - 1)
            whole.insert(range.parent().internalPointer());
    QItemSelection below;
    std::unordered_set<const void *> done;
    // A folder's rows list its folders first: the first file row ends the search of a range,
    // which a Shift-click over 100,000 rows would otherwise spend a third of its time on.
    for (const QItemSelectionRange &range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const QModelIndex index = m_model->index(row, 0, range.parent());
            if (index.data(ResultModel::KindRole).toInt() != 1)
                break;
            if (m_model->rowCount(index) > 0)
                AddRowsBelow(index, below, whole, done);
        }
    if (below.isEmpty())
        return;
    m_selectingBelow = true;
    selectionModel()->select(below, QItemSelectionModel::Select);
    m_selectingBelow = false;
}

// The stated widths suit a smaller font than this platform's: a column is made wide enough
// for its header and for the dates and fixed texts of its cells. The header's own size hint
// keeps room for the sort arrow in every column; the narrow ones (counts, pictures) give that
// room to the names, which at the window's first size would otherwise show a few letters.
int ResultView::ReadableWidth(int column) const
{
    const int headerMargins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header()) + 2;
    int width = ResultModel::ColumnWidth(column);
    for (const QString &line : m_model->headerData(column, Qt::Horizontal).toString().split(QLatin1Char('\n')))
        width = std::max(width, header()->fontMetrics().horizontalAdvance(line) + headerMargins);
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
