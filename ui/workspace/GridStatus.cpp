#include "ui/workspace/GridStatus.h"

#include "engine/RowReason.h"
#include "folders/ListingProgress.h"
#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"

#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <QVBoxLayout>

GridStatus::GridStatus(ResultModel &model, ResultView &view, QWidget *parent)
    : QWidget(parent), m_model(model), m_view(view), m_reason(new QLabel(this)), m_totals(new QLabel(this)),
      m_progress(new QLabel(this)), m_recount(new QTimer(this)), m_progressClock(new QTimer(this))
{
    auto *lines = new QVBoxLayout(this);
    lines->setContentsMargins(2, 0, 2, 0);
    lines->setSpacing(1);
    m_reason->setObjectName(QStringLiteral("Label_RowReason"));
    m_totals->setObjectName(QStringLiteral("Label_Totals"));
    m_progress->setObjectName(QStringLiteral("Label_Progress"));
    m_progress->hide();
    for (QLabel *label : {m_reason, m_totals, m_progress}) {
        label->setTextFormat(Qt::PlainText);
        // A long line must not widen the window.
        label->setMinimumWidth(1);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        lines->addWidget(label);
    }
    // A reason ends with what happens to the file, and the totals of a run under way name
    // what was copied and what is still to copy: at the window's first size either may be
    // wider than the grid, and their ends count most. The reason keeps two lines, so that the
    // grid does not jump as the current row changes.
    for (QLabel *label : {m_reason, m_totals})
        label->setWordWrap(true);
    m_reason->setMinimumHeight(2 * m_reason->fontMetrics().lineSpacing());
    m_recount->setSingleShot(true);
    m_recount->setInterval(0);
    connect(m_recount, &QTimer::timeout, this, [this] {
        ShowTotals();
        ShowReason();
    });
    // Four times a second follows a fast local listing closely enough and costs nothing.
    m_progressClock->setInterval(250);
    connect(m_progressClock, &QTimer::timeout, this, [this] {
        if (m_syncing) {
            if (m_moved)
                m_timeLeft.Moved(m_moved->load(std::memory_order_relaxed), m_clock.elapsed());
            m_progress->setText(m_timeLeft.Text(m_clock.elapsed()));
        }
        if (!m_listing)
            return;
        const QLocale locale;
        m_progress->setText(QStringLiteral("Listing: %1 folders read, %2 files seen so far (the total is not known until both sides are listed)")
                                .arg(locale.toString(m_listing->Folders.load()), locale.toString(qlonglong(m_listing->Files.load()))));
    });
    connect(&m_model, &ResultModel::RecordsChanged, m_recount, qOverload<>(&QTimer::start));
    connect(&m_model, &QAbstractItemModel::modelReset, this, &GridStatus::ShowReason);
    connect(m_view.selectionModel(), &QItemSelectionModel::currentChanged, this, &GridStatus::ShowReason);
}

QString GridStatus::ReasonLine() const
{
    return m_reason->text();
}

QString GridStatus::TotalsLine() const
{
    return m_totals->text();
}

void GridStatus::SyncStarted(const std::atomic<int64_t> *moved)
{
    m_moved = moved;
    if (!m_model.HasRows())
        return;
    const RowTotals &totals = m_model.Totals();
    m_timeLeft.Start(totals.ToLeft.Count + totals.ToRight.Count, totals.ToLeft.Bytes + totals.ToRight.Bytes);
    m_clock.start();
    m_syncing = true;
    m_progress->setText(m_timeLeft.Text());
    m_progress->show();
    m_progressClock->start();
}

void GridStatus::ListingStarted(const ListingProgress &listing)
{
    m_listing = &listing;
    m_progress->setText(QStringLiteral("Listing: starting (the total is not known until both sides are listed)"));
    m_progress->show();
    m_progressClock->start();
}

void GridStatus::ListingEnded()
{
    m_progressClock->stop();
    m_listing = nullptr;
    m_progress->hide();
}

QString GridStatus::ProgressLine() const
{
    return m_progress->isHidden() ? QString() : m_progress->text();
}

void GridStatus::SyncEnded()
{
    m_syncing = false;
    m_progressClock->stop();
    m_progress->hide();
}

void GridStatus::ShowReason()
{
    const QModelIndex current = m_view.currentIndex();
    const RowRecord row = m_model.Record(current);
    const QString why = current.isValid() ? ReasonText(row) : QString();
    // A band left blank under the grid would say nothing of what it is for.
    const bool hint = why.isEmpty() && m_model.HasRows();
    m_reason->setText(hint ? QStringLiteral("Make a file's row the current one to see here why it goes where it goes.") : why);
    m_reason->setEnabled(!hint);
    m_reason->setToolTip(why);
}

void GridStatus::ShowTotals()
{
    if (!m_model.HasRows()) {
        m_totals->clear();
        return;
    }
    const RowTotals &totals = m_model.Totals();
    m_totals->setText(totals.Text());
    if (m_syncing) {
        // A failed copy took its time too; its bytes did not arrive.
        m_timeLeft.Update(totals.CopiedToLeft.Count + totals.CopiedToRight.Count + totals.Failed,
                          totals.CopiedToLeft.Bytes + totals.CopiedToRight.Bytes, m_clock.elapsed());
        m_progress->setText(m_timeLeft.Text(m_clock.elapsed()));
    }
}
