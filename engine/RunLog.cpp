#include "engine/RunLog.h"

#include "engine/JobLock.h"
#include "engine/SyncAction.h"
#include "engine/Synchronisation.h"
#include "engine/ResultEntry.h"

void RunLog::SetRange(int32_t maximum)
{
    m_progressMaximum = maximum;
    m_sink.ProgressRange(maximum);
}

void RunLog::SyncProgress(int32_t wParam, int32_t lParam)
{
    // A start event of 0 files cannot be told from progress 0, and is shown as such.
    if (wParam == 0) {
        m_sink.ProgressPosition(lParam);
        return;
    }
    SetRange(wParam);
    m_sink.ProgressPosition(0);
    m_sink.Status(QStringLiteral("Start to analyze files ") + QChar(0xFF1A));
    m_sink.Log(QStringLiteral("Start to analyze files , files total : ") + QString::number(wParam), false);
}

void RunLog::SyncConnectFailed(int32_t side)
{
    m_sink.Log(side == 1 ? QStringLiteral("Can't connect the left folder!")
                         : QStringLiteral("Can't connect the right folder!"),
               false);
}

void RunLog::SyncItem(int32_t kind, int32_t action, const EngineTexts &texts)
{
    switch (kind) {
    case ItemReadFailed:
        m_sink.Log(texts.CurrentItem + QStringLiteral("  File reading error!"), false);
        if (!texts.FailureReason.isEmpty())
            m_sink.Log(texts.FailureReason, true);
        break;
    case ItemWriteFailed:
        m_sink.Log(texts.CurrentItem + QStringLiteral("  Transfer failed!"), false);
        if (!texts.FailureReason.isEmpty())
            m_sink.Log(texts.FailureReason, true);
        break;
    case ItemUploadStarts:
        m_sink.Status(QStringLiteral("Reading the file: ") + texts.CurrentItem + QStringLiteral("......"));
        break;
    case ItemDownloadStarts:
        m_sink.Status(QStringLiteral("Writing the file: ") + texts.CurrentItem + QStringLiteral("......"));
        break;
    case ItemSucceeded:
        m_sink.Log(SuccessLine(action, texts, m_date.isValid() ? m_date : QDate::currentDate()), false);
        break;
    default:
        break;
    }
}

void RunLog::CopyRecovered(const QString &line)
{
    m_sink.Log(line, false);
}

void RunLog::Notice(const QString &line)
{
    m_sink.Log(line, false);
}

void RunLog::RunningElsewhere(const QString &jobName)
{
    m_sink.Log(JobLock::RefusedText(jobName), true);
}

void RunLog::PreCheckResult(int32_t code)
{
    if (code == 0) {
        m_sink.Log(QStringLiteral("Loading Files......"), false);
        m_sink.Status(QStringLiteral("Extracting file information:"));
        return;
    }
    m_sink.Log(PreCheckText(code), true);
}

void RunLog::SyncStarted(int32_t fileCount)
{
    // The gauge counts the files of this run from none: left where the analysis ended, it
    // showed a run half done that had copied nothing yet.
    SetRange(fileCount);
    m_sink.ProgressPosition(0);
    m_sink.Status(QStringLiteral("Starting the sync\u2026"));
}

void RunLog::AnalysisEnded(const ResultEntry &resultRoot, const QString &elapsed)
{
    ResultFillStarts(resultRoot);
    ResultFilled(resultRoot, elapsed);
}

void RunLog::ResultFillStarts(const ResultEntry &resultRoot)
{
    m_sink.Status(QStringLiteral("Loading Files......"));
    SetRange(resultRoot.ToLeftCount() + resultRoot.ToRightCount());
    m_sink.ProgressPosition(0);
}

void RunLog::ResultFilled(const ResultEntry &resultRoot, const QString &elapsed)
{
    m_sink.Status(QStringLiteral("Files loading done"));
    m_sink.Log(QStringLiteral("Files loading done , used time : ") + elapsed, false);
    m_sink.Log(QStringLiteral("Changed files in the left folders : ") + QString::number(resultRoot.ToLeftCount()),
               false);
    m_sink.Log(QStringLiteral("Changed files in the right folders : ") + QString::number(resultRoot.ToRightCount()),
               false);
    m_sink.Status(QStringLiteral(" Analyzing Done!"));
}

void RunLog::AnalysisConnectFailedEnded(const QString &reason)
{
    if (!reason.isEmpty())
        m_sink.Log(reason, true);
    m_sink.Status(QStringLiteral("Analysis failed"));
}

void RunLog::AnalysisFailed(const QString &folder, const QString &reason)
{
    m_sink.Log(QStringLiteral("Reading the folder %1 failed: %2").arg(folder, reason), true);
    m_sink.Status(QStringLiteral("Analysis failed"));
}

void RunLog::AnalysisCancelled()
{
    // The gauge stays where the run was.
    m_sink.Log(QStringLiteral("Analysis cancelled"), false);
    m_sink.Status(QStringLiteral("Analysis cancelled"));
}

void RunLog::SyncEnded(int32_t errorCount, int32_t syncedCount, const QString &elapsed)
{
    m_sink.ProgressPosition(m_progressMaximum);
    m_sink.Log(QStringLiteral("Sync Done , used time : ") + elapsed, false);
    m_sink.Log(QStringLiteral("Total numbers of error files : ") + QString::number(errorCount)
                   + QStringLiteral("; Total numbers of synced files : ") + QString::number(syncedCount),
               false);
    m_sink.Status(QStringLiteral("Sync Done!"));
}

void RunLog::SyncEnded(const Synchronisation &sync, const QString &elapsed)
{
    using Outcome = Synchronisation::Outcome;
    const Outcome outcome = sync.Ended();
    if (outcome == Outcome::Done) {
        SyncEnded(sync.ErrorCount(), sync.SyncedCount(), elapsed);
    } else {
        if (outcome == Outcome::Stopped)
            m_sink.Log(QStringLiteral("Sync stopped: connection lost: ") + sync.StopReason(), true);
        m_sink.Log((outcome == Outcome::Stopped ? QStringLiteral("Sync stopped , used time : ")
                                                : QStringLiteral("Sync cancelled , used time : "))
                       + elapsed,
                   false);
        m_sink.Log(QStringLiteral("Total numbers of error files : ") + QString::number(sync.ErrorCount())
                       + QStringLiteral("; Total numbers of synced files : ") + QString::number(sync.SyncedCount()),
                   false);
        m_sink.Log(QStringLiteral("Files copied : %1; files not copied : %2").arg(sync.SyncedCount()).arg(sync.ErrorCount() + sync.NotDoneCount()),
                   false);
    }
    QString status = outcome == Outcome::Stopped     ? QStringLiteral("Sync stopped: connection lost")
                     : outcome == Outcome::Cancelled ? QStringLiteral("Sync cancelled")
                                                     : QString();
    for (const auto &[left, reason] : sync.UnsavedStates()) {
        const QString line = StateNotSavedText(left, reason);
        m_sink.Log(line, true);
        if (status.isEmpty())
            status = line;
    }
    if (!status.isEmpty())
        m_sink.Status(status);
}

QString RunLog::CopyFailureText(bool leftSide, const QString &reason)
{
    return (leftSide ? QStringLiteral("In the left folder: ") : QStringLiteral("In the right folder: ")) + reason;
}

QString RunLog::StateNotSavedText(bool leftSide, const QString &reason)
{
    return QStringLiteral("The state of the %1 folder could not be saved: %2")
        .arg(leftSide ? QStringLiteral("left") : QStringLiteral("right"), reason);
}

QString RunLog::PreCheckText(int32_t code)
{
    switch (code) {
    case 1: return QStringLiteral("Left and right folders are the same");
    case 2: return QStringLiteral("Cannot Analyze nested folders.");
    case 3: return QStringLiteral("A folder of the job is not set.");
    default: return {};
    }
}

QString RunLog::ElapsedText(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    const auto two = [](int64_t v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(seconds / 3600) + u':' + two(seconds % 3600 / 60) + u':' + two(seconds % 60);
}

QString RunLog::SuccessLine(int32_t action, const EngineTexts &texts, const QDate &date)
{
    const bool toRight = TravelsToRight(action);
    const QString &source = toRight ? texts.CurrentLeftPath : texts.CurrentRightPath;
    const QString &destination = toRight ? texts.CurrentRightPath : texts.CurrentLeftPath;
    return QStringLiteral("Move the file ") + texts.CurrentItem + QStringLiteral(" : ") + source
        + QStringLiteral(" -> ") + destination + QStringLiteral(" Succeeded,time: ")
        + date.toString(QStringLiteral("yyyyMMdd"));
}
