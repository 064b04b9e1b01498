#pragma once
#include "engine/TAnalysisResult.h"
#include "engine/TEngineListener.h"
#include "engine/TRunLog.h"
#include "model/TFolderSource.h"
#include "ui/workspace/TIconCache.h"
#include "ui/workspace/TJobPage.h"
#include "ui/workspace/TPageListener.h"

#include <QElapsedTimer>
#include <memory>

class QGroupBox;
class QLineEdit;
class QLabel;
class QProgressBar;
class QRadioButton;
class QTextEdit;
class QTimer;
class QWidget;
class Power;
class SyncTaskList;
class TEngineWorker;
class TFileSync;
class TImageEx;
class TImageExButton;
class TItemCommands;
class TResultModel;
class TResultTree;
class TRowTree;
class TSyncTask;

// The working surface of one job: its two folders, the run buttons, the result tree, the
// item commands and the log. Runs go to an engine worker; its reports come back through
// TPageListener and are shown through TRunLog. Interface thread only.
class TCorvaneMain : public TJobPage, private TRunLogSink, private TEngineListener {
    Q_OBJECT

public:
    // tasks and power belong to the caller and outlive the page.
    TCorvaneMain(SyncTaskList &tasks, Power &power, QWidget *parent = nullptr);
    ~TCorvaneMain() override;

    void SetJob(int index) override;
    bool RunInProgress() const override;
    void CancelAndWait() override;
    void PageShown() override;

    // Where saved copies and viewed server files go; the executable's folder unless set.
    void SetProgramFolder(const QString &folder);
    TItemCommands &ItemCommands() const { return *m_commands; }
    TResultModel &Model() const { return *m_model; }

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

private:
    enum class Run { None, Analyze, Sync };
    enum class View { None, RootOnly, All, Changes };

    // TRunLogSink
    void Status(const QString &text) override;
    void Log(const QString &line, bool error) override;
    void ProgressRange(int32_t maximum) override;
    void ProgressPosition(int32_t position) override;
    // TEngineListener: the three engine messages, on the interface thread.
    void SyncProgress(int32_t wParam, int32_t lParam) override;
    void SyncConnectFailed(int32_t side) override;
    void SyncItem(int32_t kind, int32_t action, const TEngineTexts &texts) override;

    void BuildForm();
    QWidget *BuildTopBar();
    QWidget *BuildLegend();
    TImageExButton *MakeButton(const QString &name, const QString &picture, bool hoverWhileDisabled);

    // Starts a run now, or keeps it as the page's one waiting run while the page is busy.
    void RequestRun(Run run);
    bool Busy() const;
    void StartAnalysis();
    void StartSync();
    void StartWorker(Run run, std::function<void()> body);
    void RunEnded(Run run, int generation);
    void AnalysisFinished();
    void SyncFinished();
    void AfterBusy();
    void BrowseSide(TFolderSource &side);
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

    SyncTaskList &m_tasks;
    Power &m_power;
    QString m_programFolder;

    // Page state.
    int32_t ElapsedSeconds = 0;
    int m_jobIndex = -1;
    TSyncTask *Job = nullptr;
    bool PendingStartSync = false;
    int32_t PeriodMinutes = 0;
    int32_t m_periodTicks = 0;  // the period timer's minute counter
    bool PendingPeriodSync = false;
    bool AnalysisOk = false;

    Run m_running = Run::None;
    Run m_waiting = Run::None;
    View m_deferredView = View::None;
    bool m_filling = false;
    int m_deferredJob = -1;
    bool m_stopping = false;
    int m_generation = 0;
    QElapsedTimer m_pumpClock;

    TAnalysisResult m_result;
    TFolderSource m_resultLeft;  // the sides m_result was made from
    TFolderSource m_resultRight;
    TIconCache m_icons;
    std::unique_ptr<TRowTree> m_rows;
    std::unique_ptr<TEngineWorker> m_worker;
    std::unique_ptr<TFileSync> m_sync;
    TRunLog m_log;
    TPageListener m_listener;

    // Controls.
    QLineEdit *Edit_LFolder = nullptr;
    QLineEdit *Edit_RFolder = nullptr;
    TImageExButton *bt_LBrowse = nullptr;
    TImageExButton *bt_RBrowse = nullptr;
    QLabel *bt_taskconfig = nullptr;
    TResultTree *VST1 = nullptr;
    TResultModel *m_model = nullptr;
    TItemCommands *m_commands = nullptr;
    QGroupBox *GroupBox_ResultsFilter = nullptr;
    QRadioButton *rb_all = nullptr;
    QRadioButton *rb_changed = nullptr;
    QRadioButton *rb_conflicts = nullptr;
    QRadioButton *rb_errors = nullptr;
    QGroupBox *GroupBox_Action = nullptr;
    TImageExButton *BitBtn_cancel = nullptr;
    TImageExButton *BitBtn_Sync = nullptr;
    TImageExButton *BitBtn_Analyze = nullptr;
    QLabel *Label_ActionStatus = nullptr;
    QLabel *Label_lasttime = nullptr;
    QProgressBar *pb_action = nullptr;
    QWidget *Panel3 = nullptr;
    TImageEx *GIFIMG = nullptr;
    QTextEdit *memo1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *PeriodTimer = nullptr;
};
