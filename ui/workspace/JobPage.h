#pragma once
#include "engine/AnalysisResult.h"
#include "engine/EngineListener.h"
#include "engine/RunLog.h"
#include "model/JobSide.h"
#include "platform/gui/LauncherProgress.h"
#include "ui/workspace/AbstractJobPage.h"
#include "ui/workspace/IconCache.h"
#include "ui/workspace/PageListener.h"

#include <QElapsedTimer>
#include <memory>
#include <vector>

class QGroupBox;
class QLineEdit;
class QLabel;
class QProgressBar;
class QRadioButton;
class QTextEdit;
class QTimer;
class QWidget;
class Power;
class JobList;
class EngineWorker;
class Synchronisation;
class Analysis;
class ImageControl;
class ImageButton;
class ItemCommands;
class ResultModel;
class ResultView;
class FindBar;
class GridStatus;
class RunEndNotifier;
struct Row;
class RowTree;
class Job;

// The working surface of one job: its two folders, the run buttons, the result tree, the
// item commands and the log. Runs go to an engine worker; its reports come back through
// PageListener and are shown through RunLog. Interface thread only.
class JobPage : public AbstractJobPage, private RunLogSink, private EngineListener {
    Q_OBJECT

public:
    // jobs and power belong to the caller and outlive the page.
    JobPage(JobList &jobs, Power &power, QWidget *parent = nullptr);
    ~JobPage() override;

    void SetJob(int index) override;
    bool RunInProgress() const override;
    void CancelAndWait() override;
    void PageShown() override;
    bool CanRun(Command command) const override;
    void RunCommand(Command command) override;

    // Where saved copies and viewed server files go; the executable's folder unless set.
    void SetProgramFolder(const QString &folder);
    ItemCommands &Commands() const { return *m_commands; }
    ResultModel &Model() const { return *m_model; }

public Q_SLOTS:
    void BitBtn_AnalyzeClick();
    void BitBtn_SyncClick();
    void BitBtn_cancelClick();
    // Choose another folder for a side; refused while the page's run is in progress.
    void bt_LBrowseClick();
    void bt_RBrowseClick();
    void Timer1Timer();
    void PeriodTimerTimer();
    void rb_allClick();
    void rb_changedClick();
    // The files whose copy failed in the last synchronisation.
    void rb_conflictsClick();
    void rb_errorsClick();

private:
    enum class Run { None, Analyze, Sync };
    enum class View { None, RootOnly, All, Changes, Conflicts, Errors };

    // RunLogSink
    void Status(const QString &text) override;
    void Log(const QString &line, bool error) override;
    void ProgressRange(int32_t maximum) override;
    void ProgressPosition(int32_t position) override;
    // EngineListener: the engine's reports, on the interface thread.
    void SyncProgress(int32_t wParam, int32_t lParam) override;
    void SyncConnectFailed(int32_t side) override;
    void SyncItem(int32_t kind, int32_t action, const EngineTexts &texts) override;
    void CopyRecovered(const QString &line) override;
    void Notice(const QString &line) override;
    bool AcceptServer(const ServerTrust &trust) override;
    std::optional<QString> AskPassphrase(const QString &keyFile) override;

    void BuildForm();
    // Tab order, focus and the window's menus kept up to date with the run buttons.
    void SetUpKeyboard();
    bool eventFilter(QObject *watched, QEvent *event) override;
    QWidget *BuildTopBar();
    QWidget *BuildLegend();
    ImageButton *MakeButton(const QString &name, const QString &picture, bool hoverWhileDisabled);

    // Starts a run now, or keeps it as the page's one waiting run while the page is busy.
    void RequestRun(Run run);
    bool Busy() const;
    void StartAnalysis();
    void StartSync();
    // Sync of the selected rows only: the others are held back for the run and keep their
    // directions afterwards, so the next analysis proposes them again.
    void SyncSelected();
    void ReleaseHeldBack();
    void StartWorker(Run run, std::function<void()> body);
    void RunEnded(Run run, int generation);
    void AnalysisFinished();
    void SyncFinished();
    void AfterBusy();
    void BrowseSide(JobSide &side);
    // The shown result was made from other folders than the job's now: it is dropped, so
    // that no synchronisation works from it.
    void DropStaleResult();

    void MakeRootNode();
    void FillView(int32_t mode);
    void RebuildView(View view);
    void ShowView(View view);
    void ShowBusy(bool busy);
    void SetButtons(bool analyze, bool sync, bool cancel);
    void ShowDirection();
    void ScrollLogToEnd();
    void ShutDownComputer();
    // A run the page started by itself ended: word to a user who is not looking.
    void NoticeRunEnd(const QString &text, bool failed);
    QString SyncFailure() const;

    JobList &m_jobs;
    Power &m_power;
    QString m_programFolder;

    // Page state.
    int32_t ElapsedSeconds = 0;
    int m_jobIndex = -1;
    Job *m_job = nullptr;
    bool PendingStartSync = false;
    int32_t PeriodMinutes = 0;
    int32_t m_periodTicks = 0;  // the period timer's minute counter
    bool PendingPeriodSync = false;
    bool AnalysisOk = false;
    // The run under way (with the sync that follows it) was started by the page itself.
    bool m_unattended = false;

    Run m_running = Run::None;
    Run m_waiting = Run::None;
    View m_deferredView = View::None;
    bool m_filling = false;
    int m_deferredJob = -1;
    bool m_stopping = false;
    int m_generation = 0;
    QElapsedTimer m_pumpClock;

    AnalysisResult m_result;
    JobSide m_resultLeft;  // the sides m_result was made from
    JobSide m_resultRight;
    IconCache m_icons;
    std::unique_ptr<RowTree> m_rows;
    std::unique_ptr<EngineWorker> m_worker;
    std::unique_ptr<Synchronisation> m_sync;
    std::shared_ptr<Analysis> m_analysis;  // the running one, shared with its worker
    RunLog m_log;
    PageListener m_listener;
    LauncherProgress m_launcher;
    int32_t m_progressTotal = 0;  // of the run's counted step, from its start event

    // Controls.
    QLineEdit *Edit_LFolder = nullptr;
    QLineEdit *Edit_RFolder = nullptr;
    ImageButton *bt_LBrowse = nullptr;
    ImageButton *bt_RBrowse = nullptr;
    QLabel *bt_taskconfig = nullptr;
    ResultView *VST1 = nullptr;
    ResultModel *m_model = nullptr;
    ItemCommands *m_commands = nullptr;
    FindBar *m_find = nullptr;
    GridStatus *m_gridStatus = nullptr;
    RunEndNotifier *m_runEnd = nullptr;
    std::vector<std::pair<Row *, int32_t>> m_heldBack;  // rows and their directions
    QGroupBox *GroupBox_ResultsFilter = nullptr;
    QRadioButton *rb_all = nullptr;
    QRadioButton *rb_changed = nullptr;
    QRadioButton *rb_conflicts = nullptr;
    QRadioButton *rb_errors = nullptr;
    QGroupBox *GroupBox_Action = nullptr;
    ImageButton *BitBtn_cancel = nullptr;
    ImageButton *BitBtn_Sync = nullptr;
    ImageButton *BitBtn_Analyze = nullptr;
    QLabel *Label_ActionStatus = nullptr;
    QLabel *Label_lasttime = nullptr;
    QProgressBar *pb_action = nullptr;
    QWidget *Panel3 = nullptr;
    ImageControl *GIFIMG = nullptr;
    QTextEdit *memo1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *PeriodTimer = nullptr;
};
