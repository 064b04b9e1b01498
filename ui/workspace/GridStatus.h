#pragma once
#include <QWidget>

class QLabel;
class QTimer;
class ResultModel;
class ResultView;

// The two lines under a job page's grid: why the current row goes where it goes, and what
// the rows amount to (files and bytes each way, conflicts, exclusions; after a run, what was
// done). Both follow every change of the rows. Interface thread only.
class GridStatus : public QWidget {
    Q_OBJECT

public:
    GridStatus(ResultModel &model, ResultView &view, QWidget *parent = nullptr);

    QString ReasonLine() const;
    QString TotalsLine() const;

private:
    void ShowReason();
    void ShowTotals();

    ResultModel &m_model;
    ResultView &m_view;
    QLabel *m_reason;
    QLabel *m_totals;
    // Many changes in one pass of the event loop (a bulk change, a batch of copies) are counted once.
    QTimer *m_recount;
};
