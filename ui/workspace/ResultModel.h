#pragma once
#include "engine/RowRecord.h"
#include "ui/workspace/DirectionUndo.h"
#include "ui/workspace/FindFilter.h"
#include "ui/workspace/RowTotals.h"

#include <QAbstractItemModel>
#include <QItemSelection>
#include <QStringList>
#include <functional>
#include <mutex>
#include <vector>

class RowTree;
struct Row;
class IconCache;

// The one model of a job page's result tree: adapts the rows of a RowTree to the view.
// Interface thread, except NoteRowUpdated. Row records are read and written under the row
// tree's lock, which the synchronisation also takes. The tree is only rebuilt between
// Detach and Attach, while the view sees no rows.
class ResultModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column {
        ColItem,
        ColLeftDate,
        ColLeftSize,
        ColToLeftCount,
        ColLeftImage,
        ColDirectImage,
        ColRightImage,
        ColToRightCount,
        ColRightDate,
        ColRightSize,
        ColumnCount
    };
    enum Role {
        ImageIndexRole = Qt::UserRole,  // int: index into the image list, highlight applied
        KindRole,                        // int: 1 folder or root row, 0 file
        ActionRole,                      // int: the file's action code
        DirectionRole,                   // int: 0 none, 1 to the left, 2 to the right
    };
    // Hover and click numbers of the three image columns: 1 left, 2 direct, 3 right.
    static int ClickOf(int column);
    // Not a column's click: sets "don't move" whatever the row showed (the Space key).
    static constexpr int ClickDontMove = 4;
    // Not a column's click: back to what the analysis proposed.
    static constexpr int ClickProposal = 5;
    static int ColumnWidth(int column);
    // The texts a column must be wide enough to show whole: its missing and folder texts and
    // the widest dates.
    static QStringList WidthTexts(int column);

    explicit ResultModel(const IconCache &icons, QObject *parent = nullptr);
    // The rows shown (owned by the page); nullptr shows none.
    void SetRows(RowTree *rows);
    RowTree *Rows() const { return m_rows; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The view shows no rows until Attach; the row tree may then be rebuilt. Attach orders
    // the rows as SortRows last asked.
    void Detach();
    void Attach();
    // Orders the rows of every folder: folders first, then by the column's value, ties by name
    // in natural order (case-insensitive, numbers by value). Only while no run uses the rows.
    void SortRows(int column, Qt::SortOrder order);
    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    bool Detached() const { return m_detached; }

    Row *NodeAt(const QModelIndex &index) const;
    QModelIndex IndexOf(Row *node, int column = ColItem) const;
    // A copy of the row's record.
    RowRecord Record(const QModelIndex &index) const;
    // Changes the row's record under the lock and repaints the row.
    void UpdateRecord(const QModelIndex &index, const std::function<void(RowRecord &)> &change);
    // Whether the root row has child rows (direction clicks and the menu need rows).
    bool HasRows() const;

    // A direction click on an image column; false when nothing changed.
    bool DirectionClick(const QModelIndex &index);
    // The click (1 left, 2 direct, 3 right, ClickDontMove) on the row at index: a folder row
    // passes it to every file below it. False when nothing changed.
    bool ApplyDirection(const QModelIndex &index, int click);
    // One click for the rows of a selection (a folder row: every file below it), taken back
    // as one by UndoDirections. Walks the selection's ranges, never a list of its rows, so
    // that all 100,000 rows change at once. False when nothing changed.
    bool ApplyToRows(const QItemSelection &rows, int click);
    // Takes back the last change of directions; false when there is none.
    bool UndoDirections();
    bool CanUndo() const { return m_undo.CanUndo(); }

    // What the rows amount to as of their last change; the count columns of the job's and the
    // folders' rows show the same count.
    const RowTotals &Totals() const { return m_totals; }
    // Counts the rows again after a change made to their records behind the model's back,
    // and repaints the counts that changed.
    void Recount();

    // Shows only the rows whose name contains text, with their folders; empty shows all.
    void SetFindText(const QString &text);
    const QString &FindText() const { return m_findText; }
    // Highlights the image cell at index (an image column), or none for an invalid index.
    void SetHover(const QModelIndex &index);

    // Any thread: the record of row changed (the synchronisation copied it). Repaints are
    // batched on the interface thread, at most every 50 ms.
    void NoteRowUpdated(Row *row);

    static QString DateText(int32_t packed);
    static QString SizeText(int64_t size);

Q_SIGNALS:
    // A batch of updated rows was repainted; row is the last one (the view scrolls to it).
    void RowsRepainted(const QModelIndex &row);
    // Directions or copies of rows changed, or the rows were rebuilt; Totals() and the
    // count columns follow already.
    void RecordsChanged();
    // The rows of too many folders changed for a dataChanged per folder (a quarter of a
    // second at 100,000 rows): views repaint every row they show. A range over the job's
    // row would not do: a tree view repaints only the rows a range names.
    void ManyRowsChanged();

private:
    void FlushUpdates();
    void RepaintRow(Row *node);
    void ClearPendingUpdates();
    // The click on one file row, noted for undo; false when the row is left as it was. The
    // caller holds the rows' lock.
    bool ChangeRow(Row *node, int click);
    // Changes the files below row; adds the folders whose files changed to parents.
    void ChangeBelow(Row *row, int click, std::vector<Row *> &parents);
    // Repaints the changed rows of these folders; false when there are none.
    bool RepaintParents(std::vector<Row *> &parents);
    // Repaints the visible children of parent from first to last (places in the parent).
    void RepaintChildren(Row *parent);
    // Totals() and the count columns from the rows as they are; adds the rows whose counts
    // changed to changed.
    void CountRows(std::vector<Row *> &changed);

    RowTree *m_rows = nullptr;
    const IconCache &m_icons;
    bool m_detached = false;
    int m_sortColumn = ColItem;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    Row *m_hoverNode = nullptr;
    int m_hoverClick = 0;
    DirectionUndo m_undo;
    QString m_findText;
    FindFilter m_find;
    RowTotals m_totals;

    std::mutex m_updateMutex;
    std::vector<Row *> m_updated;
    bool m_flushScheduled = false;
};
