#pragma once
#include <QItemSelection>
#include <QTreeView>
#include <unordered_set>

class ResultModel;

// The result tree of a job page (VST1): hover highlighting of the image cells, direction
// clicks with any button, and the item menu on the right button's release.
class ResultView : public QTreeView {
    Q_OBJECT

public:
    explicit ResultView(QWidget *parent = nullptr);
    void SetResultModel(ResultModel *model);
    // Direction clicks change row records: the page turns them off while a run or a fill
    // uses the rows.
    void SetClicksAllowed(bool allowed) { m_clicksAllowed = allowed; }
    bool ClicksAllowed() const { return m_clicksAllowed; }
    // The selected rows, each once, in no set order. QItemSelectionModel::selectedRows costs
    // the product of rows and ranges: a minute at 100,000 rows.
    QModelIndexList SelectedRowIndexes() const;
    // Ctrl+A: one range per folder, built from the rows rather than from every line in view
    // (a persistent index per line: a quarter of a second at 100,000 rows).
    void selectAll() override;

Q_SIGNALS:
    // The right button was released over the tree, at this screen position.
    void MenuRequested(const QPoint &globalPos);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int ReadableWidth(int column) const;
    // A selected folder row selects every row below it.
    void SelectBelow(const QItemSelection &selected);
    // Adds the rows below folder, one range per folder, except the folders in whole (their
    // rows are selected already) and those in done, which it then holds.
    void AddRowsBelow(const QModelIndex &folder, QItemSelection &into, const std::unordered_set<const void *> &whole,
                      std::unordered_set<const void *> &done) const;

    ResultModel *m_model = nullptr;
    bool m_clicksAllowed = true;
    bool m_selectingBelow = false;
};
