#include "cli/CliRun.h"

#include "app/ExecutableFolder.h"
#include "app/Settings.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleSink.h"
#include "cli/Interrupt.h"
#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/CheckFolders.h"
#include "engine/EngineWorker.h"
#include "engine/JobNameCheck.h"
#include "engine/JobSidesCheck.h"
#include "engine/RowTree.h"
#include "engine/RunLog.h"
#include "engine/Synchronisation.h"
#include "model/JobList.h"
#include "platform/FtpSessionPool.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr int32_t ListStateDeleted = 1;

void Complain(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("corvane-cli: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

QString ElapsedSince(const QElapsedTimer &clock)
{
    return RunLog::ElapsedText(clock.elapsed() / 1000);
}

void PrintRows(ConsoleSink &sink, const Row &node, const QString &prefix, bool why)
{
    for (int i = 0; i < node.ChildCount(); ++i) {
        const Row &child = *node.Child(i);
        const QString path = prefix.isEmpty() ? child.Data.Name : prefix + QLatin1Char('/') + child.Data.Name;
        if (child.Data.Kind == 1) {
            PrintRows(sink, child, path, why);
            continue;
        }
        QString line = QStringLiteral("ROW\t%1\t%2\t%3").arg(child.Data.Action).arg(child.Data.Direction).arg(path);
        if (why)
            line += QLatin1Char('\t') + ReasonText(child.Data);
        sink.Print(line);
    }
}

// Runs body on an engine worker (behind the run gate) and waits for it.
void RunOnWorker(Job &job, const std::function<void()> &body)
{
    EngineWorker worker(job);
    worker.Start(body);
    worker.Wait();
}

}  // namespace

int CliRun::Execute()
{
    const QString path = m_options.TaskList.isEmpty() ? ExecutableFolder() + QStringLiteral("tasklist.tkl")
                                                      : m_options.TaskList;
    if (!QFileInfo(path).isFile()) {
        Complain(QStringLiteral("cannot read the task list %1").arg(path));
        return ExitNotRun;
    }
    m_jobs.LoadTaskList(path);
    return m_options.Command == QLatin1String("list") ? List() : Run();
}

int CliRun::List()
{
    for (int i = 0; i < m_jobs.Count(); ++i) {
        const Job &job = *m_jobs.JobAt(i);
        if (job.ListState == ListStateDeleted)
            continue;
        m_sink.Print(job.SyncName + QLatin1Char('\t') + job.LFolder.FolerAllName + QLatin1Char('\t')
                     + job.RFolder.FolerAllName);
    }
    return ExitDone;
}

int CliRun::Run()
{
    Job *job = nullptr;
    for (int i = 0; i < m_jobs.Count() && !job; ++i) {
        Job *candidate = m_jobs.JobAt(i);
        if (candidate->ListState != ListStateDeleted && candidate->SyncName == m_options.Job)
            job = candidate;
    }
    if (!job) {
        Complain(QStringLiteral("no job named \"%1\" in the task list").arg(m_options.Job));
        return ExitNotRun;
    }

    FtpSessionPool::Global().SetConnections(ReadFtpConnections());
    RunLog log(m_sink);
    if (!IsUsableJobName(job->SyncName)) {
        m_sink.Log(JobNameRefusedText(job->SyncName), true);
        return ExitNotRun;
    }
    if (!HasSupportedSides(*job)) {
        m_sink.Log(UnsupportedSidesText(*job), true);
        return ExitNotRun;
    }
    const int32_t check = CheckFolders(job->LFolder, job->RFolder);
    log.PreCheckResult(check);
    if (check != 0)
        return ExitNotRun;

    QElapsedTimer clock;
    clock.start();
    job->CancelFlag = 0;
    const Interrupt interrupt(job->CancelFlag);
    AnalysisResult result;
    Analysis analysis(*job, log, result);
    RunOnWorker(*job, [&] { analysis.Execute(); });
    if (result.RunningElsewhere) {
        log.RunningElsewhere(job->SyncName);
        return ExitNotRun;
    }
    if (result.Cancelled) {
        log.AnalysisCancelled();
        return ExitInterrupted;
    }
    if (!result.Reached) {
        log.AnalysisConnectFailedEnded(result.FailureReason);
        return ExitNotRun;
    }
    if (result.Failed()) {
        log.AnalysisFailed(result.FailedFolder, result.FailureReason);
        return ExitNotRun;
    }

    RowTree rows(*job);
    log.ResultFillStarts(*result.ResultRoot);
    int32_t filled = 0;
    rows.SetProgressStep([&] { m_sink.ProgressPosition(++filled); });
    rows.BuildView(*result.ResultRoot, m_options.All ? RowTree::ModeAll : RowTree::ModeChanges);
    log.ResultFilled(*result.ResultRoot, ElapsedSince(clock));

    int status = ExitDone;
    if (interrupt.Interrupted())
        return ExitInterrupted;
    if (m_options.Command == QLatin1String("sync")) {
        clock.restart();
        const Row *root = rows.RootNode();
        log.SyncStarted(root ? root->Data.ToLeftCount + root->Data.ToRightCount : 0);
        Synchronisation sync(rows, result, ExecutableFolder(), log, *job);
        RunOnWorker(*job, [&] { sync.Execute(); });
        if (sync.RunningElsewhere()) {
            log.RunningElsewhere(job->SyncName);
            return ExitNotRun;
        }
        log.SyncEnded(sync, ElapsedSince(clock));
        if (sync.ErrorCount() > 0 || sync.NotDoneCount() > 0 || !sync.UnsavedStates().isEmpty())
            status = ExitCopyFailed;
        if (interrupt.Interrupted())
            status = ExitInterrupted;
    }
    if (m_options.Rows && rows.RootNode())
        PrintRows(m_sink, *rows.RootNode(), QString(), m_options.Why);
    return status;
}
