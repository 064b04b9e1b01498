#pragma once
#include "engine/EngineListener.h"

#include <QDate>
#include <QString>
#include <cstdint>

class ResultEntry;
class Synchronisation;

// Where a run's texts go: the job page's status label, log pane and progress bar, or the
// terminal of corvane-cli.
class RunLogSink {
public:
    virtual ~RunLogSink() = default;
    virtual void Status(const QString &text) = 0;
    // error: the line is shown in red (pre-check failures).
    virtual void Log(const QString &line, bool error) = 0;
    virtual void ProgressRange(int32_t maximum) = 0;
    virtual void ProgressPosition(int32_t position) = 0;
};

// The one place that turns engine events into the exact texts a user sees, so that the
// job page and corvane-cli show the same lines. Called on whichever thread the sink expects.
class RunLog : public EngineListener {
public:
    explicit RunLog(RunLogSink &sink) : m_sink(sink) {}

    // The date of success lines; today when not set (tests fix it).
    void SetDate(const QDate &date) { m_date = date; }

    void SyncProgress(int32_t wParam, int32_t lParam) override;
    void SyncConnectFailed(int32_t side) override;
    void SyncItem(int32_t kind, int32_t action, const EngineTexts &texts) override;
    void CopyRecovered(const QString &line) override;
    void Notice(const QString &line) override;

    // Folder pre-check: code 1, 2, 3 give a red log line; 0 starts the analysis
    // ("Loading Files......" and the status "Extracting file information:").
    void PreCheckResult(int32_t code);
    void SyncStarted(int32_t fileCount);
    // End of an analysis that ran: view captions are the caller's; these are the lines.
    // Same as ResultFillStarts followed by ResultFilled, for a caller that fills no view.
    void AnalysisEnded(const ResultEntry &resultRoot, const QString &elapsed);
    // The two halves, for a page that builds its rows in between.
    void ResultFillStarts(const ResultEntry &resultRoot);
    void ResultFilled(const ResultEntry &resultRoot, const QString &elapsed);
    // A side could not be reached: the reason follows the engine's connect failure line.
    void AnalysisConnectFailedEnded(const QString &reason = {});
    // A folder could not be read (the analysis offers nothing), or a Cancel ended the analysis.
    void AnalysisFailed(const QString &folder, const QString &reason);
    void AnalysisCancelled();
    // A run refused because another program runs the job: a red log line.
    void RunningElsewhere(const QString &jobName);
    void SyncEnded(int32_t errorCount, int32_t syncedCount, const QString &elapsed);
    // The end of a synchronisation as it went: done, cancelled or stopped, with the files
    // not copied and the state files that could not be written.
    void SyncEnded(const Synchronisation &sync, const QString &elapsed);

    static QString PreCheckText(int32_t code);
    // "hh:mm:ss", hours without upper limit.
    static QString ElapsedText(int64_t seconds);
    static QString SuccessLine(int32_t action, const EngineTexts &texts, const QDate &date);
    // Where and why a copy failed, the line after the failure line.
    static QString CopyFailureText(bool leftSide, const QString &reason);
    static QString StateNotSavedText(bool leftSide, const QString &reason);

private:
    void SetRange(int32_t maximum);

    RunLogSink &m_sink;
    QDate m_date;
    int32_t m_progressMaximum = 0;
};
