#pragma once
#include <QItemSelection>
#include <QTreeView>

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

    ResultModel *m_model = nullptr;
    bool m_clicksAllowed = true;
    bool m_selectingBelow = false;
};
