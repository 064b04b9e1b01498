#pragma once
#include "engine/TimeLeft.h"

#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>

class QLabel;
class QTimer;
class ResultModel;
class ResultView;
struct ListingProgress;

// The lines under a job page's grid: why the current row goes where it goes, what the rows
// amount to (files and bytes each way, conflicts, exclusions; after a run, what was done),
// and while a synchronisation runs, its progress and time left. They follow every change of
// the rows. Interface thread only.
class GridStatus : public QWidget {
    Q_OBJECT

public:
    GridStatus(ResultModel &model, ResultView &view, QWidget *parent = nullptr);

    QString ReasonLine() const;
    QString TotalsLine() const;
    // A synchronisation of the rows as they stand starts, or has ended. moved: the bytes the
    // run has moved so far (see Synchronisation::BytesMoved), which outlives SyncEnded.
    void SyncStarted(const std::atomic<int64_t> *moved = nullptr);
    void SyncEnded();
    // An analysis lists its sides: folders read and files seen so far, a few times a second.
    // listing belongs to the analysis and outlives ListingEnded.
    void ListingStarted(const ListingProgress &listing);
    void ListingEnded();
    QString ProgressLine() const;

private:
    void ShowReason();
    void ShowTotals();

    ResultModel &m_model;
    ResultView &m_view;
    QLabel *m_reason;
    QLabel *m_totals;
    QLabel *m_progress;
    bool m_syncing = false;
    QElapsedTimer m_clock;
    TimeLeft m_timeLeft;
    // Many changes in one pass of the event loop (a bulk change, a batch of copies) are counted once.
    QTimer *m_recount;
    const ListingProgress *m_listing = nullptr;
    const std::atomic<int64_t> *m_moved = nullptr;
    // Refreshes the listing's counts, or the time left between finished files.
    QTimer *m_progressClock;
};
