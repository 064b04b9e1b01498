#include "ui/workspace/JobPage.h"

#include "app/ExecutableFolder.h"
#include "engine/Analysis.h"
#include "engine/CheckFolders.h"
#include "engine/EngineWorker.h"
#include "engine/JobNameCheck.h"
#include "engine/JobSidesCheck.h"
#include "engine/Row.h"
#include "engine/RowTree.h"
#include "engine/RunGate.h"
#include "engine/SidePaths.h"
#include "engine/Synchronisation.h"
#include "model/JobList.h"
#include "platform/gui/Power.h"
#include "ui/config/ConfigMessages.h"
#include "ui/config/KeyPassphraseQuestion.h"
#include "ui/config/ServerTrustQuestion.h"
#include "ui/config/SideFolderChooser.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ImageControl.h"
#include "ui/widgets/ResourcePictures.h"
#include "ui/workspace/FindBar.h"
#include "ui/workspace/GridStatus.h"
#include "ui/workspace/ItemCommands.h"
#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"
#include "ui/workspace/RowImages.h"
#include "ui/workspace/RunEndNotifier.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QSet>
#include <algorithm>
#include <functional>

namespace {

// The fill of a large result lets pending events run this often, not after every row:
// per row it would cost seconds at 100,000 rows and the window stays just as responsive.
constexpr int PumpIntervalMs = 50;
constexpr int StopPollMs = 20;
constexpr int RunClockMs = 1000;
constexpr int PeriodTickMs = 60000;
constexpr int ButtonWidth = 82;
constexpr int ButtonHeight = 26;

QLabel *Bold(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

JobPage::JobPage(JobList &jobs, Power &power, QWidget *parent)
    : AbstractJobPage(parent), m_jobs(jobs), m_power(power), m_programFolder(ExecutableFolder()),
      m_log(static_cast<RunLogSink &>(*this)), m_listener(this, static_cast<EngineListener &>(*this))
{
    setObjectName(QStringLiteral("CorvaneMain"));
    BuildForm();
}

JobPage::~JobPage()
{
    CancelAndWait();
    // The rows go before the view, which still asks for them while it is torn down.
    m_model->SetRows(nullptr);
}

// ---- form -------------------------------------------------------------------------------

ImageButton *JobPage::MakeButton(const QString &name, const QString &picture, bool hoverWhileDisabled)
{
    auto *button = new ImageButton(this);
    button->setObjectName(name);
    button->setFixedSize(ButtonWidth, ButtonHeight);
    button->SetStretch(true);
    LoadJpegResource(button, picture + u'1', QStringLiteral("JPG"));
    connect(button, &ImageControl::mouseEntered, this, [=] {
        if (hoverWhileDisabled || button->isEnabled())
            LoadJpegResource(button, picture + u'2', QStringLiteral("JPG"));
    });
    connect(button, &ImageControl::mouseLeft, this, [=] {
        if (hoverWhileDisabled || button->isEnabled())
            LoadJpegResource(button, picture + u'1', QStringLiteral("JPG"));
    });
    return button;
}

QWidget *JobPage::BuildTopBar()
{
    auto *bar = new QWidget(this);
    bar->setFixedHeight(54);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto folderField = [&](const QString &imageName, const QString &editName) {
        auto *image = new ImageControl(bar);
        image->setObjectName(imageName);
        image->setFixedSize(279, 30);
        image->setStyleSheet(QStringLiteral("border: 1px solid rgb(150,170,200); background: rgb(245,248,252);"));
        image->setAttribute(Qt::WA_StyledBackground);
        auto *edit = new QLineEdit(image);
        edit->setObjectName(editName);
        edit->setReadOnly(true);
        edit->setFrame(false);
        edit->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
        edit->setGeometry(6, 5, 279 - 12, 20);
        row->addWidget(image);
        return edit;
    };
    Edit_LFolder = folderField(QStringLiteral("Image1"), QStringLiteral("Edit_LFolder"));
    bt_LBrowse = MakeButton(QStringLiteral("bt_LBrowse"), QStringLiteral("Browse"), false);
    bt_LBrowse->setToolTip(QStringLiteral("Choose a local directory as the local sync folder."));
    row->addWidget(bt_LBrowse);
    row->addStretch();
    bt_taskconfig = new QLabel(bar);
    bt_taskconfig->setObjectName(QStringLiteral("bt_taskconfig"));
    bt_taskconfig->setFixedSize(55, 16);
    row->addWidget(bt_taskconfig);
    row->addStretch();
    Edit_RFolder = folderField(QStringLiteral("Image2"), QStringLiteral("Edit_RFolder"));
    bt_RBrowse = MakeButton(QStringLiteral("bt_RBrowse"), QStringLiteral("Browse"), false);
    bt_RBrowse->setToolTip(QStringLiteral("A remote folder is written as ftp://, ftps:// or sftp:// + server + folder path."));
    row->addWidget(bt_RBrowse);
    connect(bt_LBrowse, &ImageControl::clicked, this, &JobPage::bt_LBrowseClick);
    connect(bt_RBrowse, &ImageControl::clicked, this, &JobPage::bt_RBrowseClick);
    return bar;
}

QWidget *JobPage::BuildLegend()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel8"));
    panel->setFixedHeight(22);
    panel->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(3);
    const QList<QPixmap> &images = RowImages::Fixed();
    const QFont arial(QStringLiteral("Arial"));
    auto add = [&](std::initializer_list<int> pictures, const QString &text) {
        for (int index : pictures) {
            auto *picture = new QLabel(panel);
            picture->setPixmap(images[index]);
            row->addWidget(picture);
        }
        auto *label = new QLabel(text, panel);
        label->setFont(arial);
        row->addWidget(label);
        row->addSpacing(10);
    };
    add({RowImage::MoveLeft, RowImage::MoveRight}, QStringLiteral("Move To Left(Right) "));
    add({RowImage::CanMoveLeft, RowImage::CanMoveRight}, QStringLiteral("Can Move To Left(Right)"));
    add({RowImage::CantMove}, QStringLiteral("Can't Move To Left(Right)"));
    add({RowImage::DontMove}, QStringLiteral("Don't Move"));
    add({RowImage::CanMove}, QStringLiteral("Can Move"));
    add({RowImage::Same}, QStringLiteral("The Same Content"));
    row->addStretch();
    return panel;
}

void JobPage::BuildForm()
{
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(5, 5, 5, 5);
    page->setSpacing(4);
    page->addWidget(BuildTopBar());

    VST1 = new ResultView(this);
    m_model = new ResultModel(m_icons, this);
    VST1->SetResultModel(m_model);
    m_find = new FindBar(*m_model, *VST1, this, this);
    page->addWidget(m_find);
    page->addWidget(VST1, 1);
    m_gridStatus = new GridStatus(*m_model, *VST1, this);
    page->addWidget(m_gridStatus);

    auto *bottom = new QWidget(this);
    bottom->setFixedHeight(213);
    auto *bottomRows = new QVBoxLayout(bottom);
    bottomRows->setContentsMargins(0, 0, 0, 0);
    bottomRows->setSpacing(3);
    bottomRows->addWidget(BuildLegend());

    auto *groups = new QHBoxLayout;
    GroupBox_ResultsFilter = new QGroupBox(QStringLiteral("Results Filter"), bottom);
    GroupBox_ResultsFilter->setObjectName(QStringLiteral("GroupBox_ResultsFilter"));
    GroupBox_ResultsFilter->setFont(QFont(QStringLiteral("Arial")));
    auto *filters = new QHBoxLayout(GroupBox_ResultsFilter);
    auto radio = [&](const QString &name, const QString &caption, const QString &hint) {
        auto *button = new QRadioButton(caption, GroupBox_ResultsFilter);
        button->setObjectName(name);
        button->setToolTip(hint);
        filters->addWidget(button);
        return button;
    };
    rb_all = radio(QStringLiteral("rb_all"), QStringLiteral("All(0)"),
                   QStringLiteral("When you choose it, it will display all items in the left folders and the right \n"
                                  "folders, including changed files, conflict files, error files."));
    rb_changed = radio(QStringLiteral("rb_changed"), QStringLiteral("Changes(0)"),
                       QStringLiteral("When you choose it, it will only display the changed items"));
    rb_conflicts = radio(QStringLiteral("rb_conflicts"), QStringLiteral("conflicts(0)"),
                         QStringLiteral("When you choose it, it will only display the conflict files."));
    rb_errors = radio(QStringLiteral("rb_errors"), QStringLiteral("Errors(0)"),
                      QStringLiteral("When you choose it, it will only display the error files."));
    rb_changed->setChecked(true);
    GroupBox_ResultsFilter->setEnabled(false);
    connect(rb_all, &QRadioButton::toggled, this, [this](bool on) { if (on) rb_allClick(); });
    connect(rb_changed, &QRadioButton::toggled, this, [this](bool on) { if (on) rb_changedClick(); });
    connect(rb_conflicts, &QRadioButton::toggled, this, [this](bool on) { if (on) rb_conflictsClick(); });
    connect(rb_errors, &QRadioButton::toggled, this, [this](bool on) { if (on) rb_errorsClick(); });
    groups->addWidget(GroupBox_ResultsFilter, 1);

    GroupBox_Action = new QGroupBox(QStringLiteral("Actions"), bottom);
    GroupBox_Action->setObjectName(QStringLiteral("GroupBox_Action"));
    auto *actions = new QHBoxLayout(GroupBox_Action);
    BitBtn_cancel = MakeButton(QStringLiteral("BitBtn_cancel"), QStringLiteral("BitBtn_cancel"), false);
    BitBtn_Sync = MakeButton(QStringLiteral("BitBtn_Sync"), QStringLiteral("BitBtn_Sync"), false);
    BitBtn_Analyze = MakeButton(QStringLiteral("BitBtn_Analyze"), QStringLiteral("BitBtn_Analyze"), true);
    for (ImageButton *button : {BitBtn_cancel, BitBtn_Sync, BitBtn_Analyze})
        actions->addWidget(button);
    connect(BitBtn_cancel, &ImageControl::clicked, this, &JobPage::BitBtn_cancelClick);
    connect(BitBtn_Sync, &ImageControl::clicked, this, &JobPage::BitBtn_SyncClick);
    connect(BitBtn_Analyze, &ImageControl::clicked, this, &JobPage::BitBtn_AnalyzeClick);
    SetButtons(true, false, false);
    groups->addWidget(GroupBox_Action);
    bottomRows->addLayout(groups);

    auto *status = new QHBoxLayout;
    Label_ActionStatus = Bold(QStringLiteral("Click Analyze to start"), bottom);
    Label_ActionStatus->setObjectName(QStringLiteral("Label_ActionStatus"));
    Label_lasttime = Bold(QStringLiteral("00:00:00"), bottom);
    Label_lasttime->setObjectName(QStringLiteral("Label_lasttime"));
    Label_lasttime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pb_action = new QProgressBar(bottom);
    pb_action->setObjectName(QStringLiteral("pb_action"));
    pb_action->setTextVisible(false);
    pb_action->setFixedHeight(16);
    // A range of 0 to 0 would make the bar run as "busy" with nothing running.
    pb_action->setRange(0, 1);
    pb_action->setValue(0);
    pb_action->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid rgb(160,160,160); background: white; }"
                                            "QProgressBar::chunk { background: rgb(46,86,146); }"));
    Panel3 = new QWidget(bottom);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedSize(32, 32);
    GIFIMG = new ImageControl(Panel3);
    GIFIMG->setObjectName(QStringLiteral("GIFIMG"));
    GIFIMG->setGeometry(0, 0, 32, 32);
    Panel3->hide();
    status->addWidget(Label_ActionStatus, 2);
    status->addWidget(Label_lasttime);
    status->addWidget(pb_action, 3);
    status->addWidget(Panel3);
    bottomRows->addLayout(status);

    memo1 = new QTextEdit(bottom);
    memo1->setObjectName(QStringLiteral("memo1"));
    memo1->setReadOnly(true);
    memo1->setLineWrapMode(QTextEdit::NoWrap);
    memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo1->setFont(QFont(QStringLiteral("Arial")));
    memo1->setTextColor(Qt::black);
    bottomRows->addWidget(memo1, 1);
    page->addWidget(bottom);

    Timer1 = new QTimer(this);
    Timer1->setInterval(RunClockMs);
    connect(Timer1, &QTimer::timeout, this, &JobPage::Timer1Timer);
    PeriodTimer = new QTimer(this);
    PeriodTimer->setInterval(PeriodTickMs);
    connect(PeriodTimer, &QTimer::timeout, this, &JobPage::PeriodTimerTimer);

    m_commands = new ItemCommands(
        *m_model, *VST1, this, [this](const QString &line) { Log(line, false); ScrollLogToEnd(); },
        [this] { return m_filling || RunGate::Instance().Pending() > 0; });
    m_commands->SetProgramFolder(m_programFolder);
    m_commands->SetCanSync([this] { return BitBtn_Sync->isEnabled(); });
    connect(m_commands, &ItemCommands::SyncSelectedRequested, this, &JobPage::SyncSelected);
    connect(VST1, &ResultView::MenuRequested, m_commands, &ItemCommands::Popup);
    m_runEnd = new RunEndNotifier(this);
    connect(m_runEnd, &RunEndNotifier::Clicked, this, [this] { ShowRequested(); });
    connect(m_model, &ResultModel::RowsRepainted, VST1, [this](const QModelIndex &row) {
        if (row.isValid())
            VST1->scrollTo(row);
    });
    SetUpKeyboard();
}

void JobPage::SetUpKeyboard()
{
    // From the folders straight to the run buttons, then the rows, the filters and the log.
    const QList<QWidget *> order{Edit_LFolder, bt_LBrowse, Edit_RFolder, bt_RBrowse, BitBtn_Analyze,
                                 BitBtn_Sync,  BitBtn_cancel, m_find, VST1, rb_all, rb_changed, rb_conflicts,
                                 rb_errors, memo1};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    setFocusProxy(Edit_LFolder);
    // The window's menus follow the buttons and the rows.
    for (ImageButton *button : {BitBtn_Analyze, BitBtn_Sync, BitBtn_cancel})
        button->installEventFilter(this);
    connect(VST1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { CommandsChanged(); });
}

bool JobPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        CommandsChanged();
    return AbstractJobPage::eventFilter(watched, event);
}

bool JobPage::CanRun(Command command) const
{
    switch (command) {
    case Command::Analyze: return BitBtn_Analyze->isEnabled();
    case Command::Sync: return BitBtn_Sync->isEnabled();
    case Command::Cancel: return BitBtn_cancel->isEnabled();
    default: return m_commands->CanSetDirection();
    }
}

void JobPage::RunCommand(Command command)
{
    if (!CanRun(command))
        return;
    switch (command) {
    case Command::Analyze: BitBtn_Analyze->Click(); break;
    case Command::Sync: BitBtn_Sync->Click(); break;
    case Command::Cancel: BitBtn_cancel->Click(); break;
    case Command::CopyToLeft: m_commands->SetDirection(ItemCommands::CopyToLeft); break;
    case Command::CopyToRight: m_commands->SetDirection(ItemCommands::CopyToRight); break;
    case Command::DontCopy: m_commands->SetDirection(ItemCommands::DontCopy); break;
    }
}

void JobPage::SetProgramFolder(const QString &folder)
{
    m_programFolder = folder.endsWith(u'/') ? folder : folder + u'/';
    m_commands->SetProgramFolder(m_programFolder);
    m_commands->SetCanSync([this] { return BitBtn_Sync->isEnabled(); });
    connect(m_commands, &ItemCommands::SyncSelectedRequested, this, &JobPage::SyncSelected);
}

// ---- the sink of RunLog ----------------------------------------------------------------

void JobPage::Status(const QString &text)
{
    Label_ActionStatus->setText(text);
}

void JobPage::Log(const QString &line, bool error)
{
    if (!error) {
        memo1->append(line);
        return;
    }
    const QColor previous = memo1->textColor();
    memo1->setTextColor(QColor(255, 0, 0));
    memo1->append(line);
    memo1->setTextColor(previous);
}

void JobPage::ProgressRange(int32_t maximum)
{
    // Nothing to count is an empty bar, not Qt's "busy" bar of a 0 to 0 range.
    pb_action->setRange(0, std::max(maximum, 1));
}

void JobPage::ProgressPosition(int32_t position)
{
    pb_action->setValue(position);
}

void JobPage::ScrollLogToEnd()
{
    memo1->verticalScrollBar()->setValue(memo1->verticalScrollBar()->maximum());
}

// ---- the engine's messages (interface thread, the worker waits) --------------------------

void JobPage::SyncProgress(int32_t wParam, int32_t lParam)
{
    m_log.SyncProgress(wParam, lParam);
    // The taskbar shows only what is counted against a known total.
    if (wParam != 0)
        m_progressTotal = wParam;
    else if (m_progressTotal > 0)
        m_launcher.Show(double(lParam) / m_progressTotal);
    if (wParam != 0)
        ScrollLogToEnd();
    // Pending events need no extra run here: this handler is itself called from the
    // page's event loop.
}

void JobPage::SyncConnectFailed(int32_t side)
{
    AnalysisOk = false;
    m_log.SyncConnectFailed(side);
    ScrollLogToEnd();
}

void JobPage::SyncItem(int32_t kind, int32_t action, const EngineTexts &texts)
{
    m_log.SyncItem(kind, action, texts);
    ScrollLogToEnd();
}

void JobPage::CopyRecovered(const QString &line)
{
    m_log.CopyRecovered(line);
    ScrollLogToEnd();
}

void JobPage::Notice(const QString &line)
{
    m_log.Notice(line);
    ScrollLogToEnd();
}

// The worker waits for the answer; the run goes on with the server trusted or ends refused.
bool JobPage::AcceptServer(const ServerTrust &trust) { return AskServerTrust(this, trust); }

std::optional<QString> JobPage::AskPassphrase(const QString &keyFile) { return AskKeyPassphrase(this, keyFile); }

// ---- job ----------------------------------------------------------------------------------

void JobPage::SetJob(int index)
{
    Job *job = m_jobs.JobAt(index);
    if (!job)
        return;
    if (m_filling) {
        // A fill is using the rows of the job shown now.
        m_deferredJob = index;
        return;
    }
    if (job != m_job) {
        // The rows, the worker and the result belong to one job.
        CancelAndWait();
        m_job = job;
        m_jobIndex = index;
        m_worker = std::make_unique<EngineWorker>(*m_job);
        auto rows = std::make_unique<RowTree>(*m_job);
        rows->SetIconLookup([this](const QString &name) { return m_icons.IconIndexFor(name); });
        m_model->SetRows(rows.get());
        m_rows = std::move(rows);
        m_result.Reset();
        m_resultLeft = m_job->LFolder;
        m_resultRight = m_job->RFolder;
        m_commands->SetJob(m_job);
    } else {
        DropStaleResult();
    }
    PendingStartSync = false;
    Edit_LFolder->setText(m_job->LFolder.FolerAllName);
    Edit_RFolder->setText(m_job->RFolder.FolerAllName);
    // A long address shows its start: the scheme says which kind of server it is.
    Edit_LFolder->setCursorPosition(0);
    Edit_RFolder->setCursorPosition(0);
    ShowDirection();
    if (m_job->StartAnalyze == 1) {
        m_unattended = true;
        RequestRun(Run::Analyze);
    }
    if (m_job->StartSync == 1)
        PendingStartSync = true;
    PendingPeriodSync = false;
    if (m_job->PeriodAnalyze == 1) {
        PeriodMinutes = m_job->Hours * 60 + m_job->minutes;
        m_periodTicks = 0;
        PeriodTimer->start();
    } else {
        PeriodTimer->stop();
    }
}

void JobPage::ShowDirection()
{
    if (!m_job)
        return;
    // The arrow points the way the files travel: 1 copies left to right, 2 right to left.
    static const int pictureOf[] = {1, 2, 3};
    if (m_job->SyncDirection >= 0 && m_job->SyncDirection <= 2)
        bt_taskconfig->setPixmap(RowImages::Direction()[pictureOf[m_job->SyncDirection]]);
}

void JobPage::PageShown()
{
    if (Busy()) {
        m_deferredView = View::RootOnly;
        return;
    }
    MakeRootNode();
    ShowDirection();
}

void JobPage::bt_LBrowseClick()
{
    // The left side is always a local folder.
    if (m_job && m_job->LFolder.DeviceType == SidePaths::DeviceLocal)
        BrowseSide(m_job->LFolder);
}

void JobPage::bt_RBrowseClick()
{
    if (m_job)
        BrowseSide(m_job->RFolder);
}

void JobPage::BrowseSide(JobSide &side)
{
    // Nothing the engine reads may change under a running worker, nor the job under a fill
    // of its rows.
    const auto running = [this] { return RunInProgress() || Busy(); };
    if (running()) {
        ConfigMessages::Inform(this, ConfigMessages::JobRunning());
        return;
    }
    if (ChooseSideFolder(this, side, side.DeviceType, running)) {
        SetJob(m_jobIndex);
        JobChanged();
    }
}

void JobPage::DropStaleResult()
{
    if (Busy() || (m_job->LFolder == m_resultLeft && m_job->RFolder == m_resultRight))
        return;
    m_result.Reset();
    m_resultLeft = m_job->LFolder;
    m_resultRight = m_job->RFolder;
    MakeRootNode();
    SetButtons(true, false, false);
}

// ---- runs ---------------------------------------------------------------------------------

bool JobPage::Busy() const
{
    return m_running != Run::None || m_filling;
}

bool JobPage::RunInProgress() const
{
    return m_running != Run::None || m_waiting != Run::None;
}

void JobPage::RequestRun(Run run)
{
    if (!m_job || m_stopping)
        return;
    if (Busy()) {
        // The page's thread has not ended (or a fill uses the rows): this run follows it.
        // One waiting run at most; the latest request wins.
        m_waiting = run;
        SetButtons(false, false, true);
        return;
    }
    if (run == Run::Analyze)
        StartAnalysis();
    else
        StartSync();
}

void JobPage::SetButtons(bool analyze, bool sync, bool cancel)
{
    BitBtn_Analyze->setEnabled(analyze);
    BitBtn_Sync->setEnabled(sync);
    BitBtn_cancel->setEnabled(cancel);
}

void JobPage::ShowBusy(bool busy)
{
    if (busy) {
        ElapsedSeconds = 0;
        Timer1->start();
        Panel3->show();
        LoadGifResource(QStringLiteral("Loding"), GIFIMG);
    } else {
        GIFIMG->SetMovie(nullptr);
        GIFIMG->SetPicture(QPixmap());
        Panel3->hide();
        Timer1->stop();
    }
}

void JobPage::BitBtn_AnalyzeClick()
{
    m_unattended = false;
    RequestRun(Run::Analyze);
}

void JobPage::BitBtn_SyncClick()
{
    m_unattended = false;
    RequestRun(Run::Sync);
}

void JobPage::StartAnalysis()
{
    ShowBusy(true);
    SetButtons(false, false, true);
    // Jobs the engine cannot run are refused with a red line, as the pre-check's failures.
    QString refused;
    if (!IsUsableJobName(m_job->SyncName))
        refused = JobNameRefusedText(m_job->SyncName);
    else if (!HasSupportedSides(*m_job))
        refused = UnsupportedSidesText(*m_job);
    const int32_t check = refused.isEmpty() ? CheckFolders(m_job->LFolder, m_job->RFolder) : 0;
    if (!refused.isEmpty())
        Log(refused, true);
    else
        m_log.PreCheckResult(check);
    if (!refused.isEmpty() || check != 0) {
        ShowBusy(false);
        SetButtons(true, false, false);
        return;
    }
    AnalysisOk = true;
    m_job->CancelFlag = 0;
    m_resultLeft = m_job->LFolder;
    m_resultRight = m_job->RFolder;
    auto analysis = std::make_shared<Analysis>(*m_job, m_listener, m_result);
    m_analysis = analysis;
    m_gridStatus->ListingStarted(analysis->Listing());
    StartWorker(Run::Analyze, [analysis] { analysis->Execute(); });
}

void JobPage::StartSync()
{
    // Also a start the page makes by itself (start-up option, period timer) needs the
    // analysis of the job as it is now; without one a run would only pretend to be done.
    if (!m_result.Completed) {
        const QString refused = QStringLiteral("Nothing to synchronize: analyze the job first.");
        Log(refused, true);
        Status(refused);
        SetButtons(true, false, false);
        return;
    }
    ShowBusy(true);
    SetButtons(false, false, true);
    // The gauge counts every file row the run walks, also those it leaves as they are.
    m_progressTotal = m_model->Totals().FileRows;
    m_log.SyncStarted(m_progressTotal);
    m_job->CancelFlag = 0;
    VST1->SetClicksAllowed(false);
    // Without a completed analysis the engine copies nothing and writes no state file.
    m_sync = std::make_unique<Synchronisation>(*m_rows, m_result, m_programFolder, m_listener, *m_job);
    m_sync->SetRowUpdated([model = m_model](Row *row) { model->NoteRowUpdated(row); });
    m_gridStatus->SyncStarted(&m_sync->BytesMoved());
    Synchronisation *sync = m_sync.get();
    StartWorker(Run::Sync, [sync] { sync->Execute(); });
}

void JobPage::SyncSelected()
{
    if (!BitBtn_Sync->isEnabled() || Busy())
        return;
    m_unattended = false;
    // A selected folder row has selected the rows below it that are in view.
    QSet<const Row *> chosen;
    for (const QModelIndex &index : VST1->SelectedRowIndexes())
        chosen.insert(m_model->NodeAt(index));
    {
        std::lock_guard lock(m_rows->Mutex());
        std::function<void(Row *)> holdBack = [&](Row *row) {
            for (const auto &child : row->Children) {
                Row *node = child.get();
                if (node->Data.Kind == 1)
                    holdBack(node);
                else if (node->Data.Direction != 0 && !chosen.contains(node))
                    m_heldBack.emplace_back(node, std::exchange(node->Data.Direction, 0));
            }
        };
        holdBack(m_rows->RootNode());
    }
    m_model->Recount();
    RequestRun(Run::Sync);
    if (m_running != Run::Sync)
        ReleaseHeldBack();
}

void JobPage::ReleaseHeldBack()
{
    {
        std::lock_guard lock(m_rows->Mutex());
        for (const auto &[row, direction] : m_heldBack)
            row->Data.Direction = direction;
    }
    for (const auto &held : m_heldBack)
        m_model->NoteRowUpdated(held.first);
    m_heldBack.clear();
}

void JobPage::StartWorker(Run run, std::function<void()> body)
{
    m_running = run;
    const int generation = m_generation;
    m_listener.SetDetached(false);
    m_worker->Start(
        std::move(body),
        [this, run, generation](bool) {
            QMetaObject::invokeMethod(this, [this, run, generation] { RunEnded(run, generation); },
                                      Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { Status(QStringLiteral("Waiting for another job to finish......")); },
                Qt::QueuedConnection);
        });
}

void JobPage::RunEnded(Run run, int generation)
{
    if (generation != m_generation || m_running != run)
        return;
    m_running = Run::None;
    m_progressTotal = 0;
    m_launcher.Hide();
    if (run == Run::Analyze)
        AnalysisFinished();
    else
        SyncFinished();
    AfterBusy();
}

// Runs what waited for the page to be free: a deferred view first, then the waiting run.
void JobPage::AfterBusy()
{
    if (Busy() || m_stopping)
        return;
    if (m_deferredJob >= 0)
        SetJob(std::exchange(m_deferredJob, -1));
    if (Busy())
        return;
    if (m_deferredView != View::None) {
        const View view = std::exchange(m_deferredView, View::None);
        if (view == View::RootOnly) {
            MakeRootNode();
            ShowDirection();
        } else {
            RebuildView(view);
        }
    }
    if (!Busy() && m_waiting != Run::None)
        RequestRun(std::exchange(m_waiting, Run::None));
}

void JobPage::BitBtn_cancelClick()
{
    SetButtons(true, false, false);
    m_waiting = Run::None;
    if (m_job)
        m_job->CancelFlag = 1;
}

void JobPage::CancelAndWait()
{
    if (!m_worker)
        return;
    m_waiting = Run::None;
    if (!m_worker->Running() && m_running == Run::None)
        return;
    m_stopping = true;
    // The worker must not wait for this thread while this thread waits for it.
    m_listener.SetDetached(true);
    m_worker->Cancel();
    // The window keeps painting while the run ends (within about a second: a Cancel also
    // ends a listing or a transfer under way); the user's input waits.
    Status(QStringLiteral("Stopping\u2026"));
    while (m_worker->Running())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, StopPollMs);
    m_worker->Wait();
    // Reports and the end notification that were still queued are handled now, so the
    // page is at rest when this returns.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (m_running != Run::None)
        RunEnded(m_running, m_generation);
    ++m_generation;
    m_stopping = false;
}

void JobPage::AnalysisFinished()
{
    m_gridStatus->ListingEnded();
    m_analysis.reset();
    MakeRootNode();
    // A fresh result supersedes an activation or filter choice made during the run.
    m_deferredView = View::None;
    if (m_result.Cancelled || m_result.Failed() || !m_result.Reached || !AnalysisOk) {
        // Nothing is offered from a run that did not read everything.
        QString failure;
        if (m_result.Cancelled) {
            m_log.AnalysisCancelled();
        } else if (m_result.RunningElsewhere) {
            m_log.RunningElsewhere(m_job->SyncName);
            failure = QStringLiteral("the job is running in another program");
        } else if (m_result.Failed()) {
            m_log.AnalysisFailed(m_result.FailedFolder, m_result.FailureReason);
            failure = QStringLiteral("reading the folder %1 failed: %2").arg(m_result.FailedFolder, m_result.FailureReason);
        } else {
            m_log.AnalysisConnectFailedEnded(m_result.FailureReason);
            failure = m_result.FailureReason.isEmpty() ? QStringLiteral("a folder could not be reached") : m_result.FailureReason;
        }
        PendingStartSync = PendingPeriodSync = false;
        if (!failure.isEmpty())
            NoticeRunEnd(RunEndNotifier::FailedText(m_job->SyncName, failure), true);
        m_unattended = false;
        ScrollLogToEnd();
        SetButtons(true, false, false);
        ShowBusy(false);
        return;
    }
    const ResultEntry &root = *m_result.ResultRoot;
    {
        const QSignalBlocker block(rb_changed);
        rb_changed->setChecked(true);
    }
    m_log.ResultFillStarts(root);
    FillView(RowTree::ModeChanges);
    GroupBox_ResultsFilter->setEnabled(true);
    rb_all->setText(QStringLiteral("All(%1)").arg(root.FileCount()));
    rb_changed->setText(QStringLiteral("Changes(%1)").arg(root.ToLeftCount() + root.ToRightCount()));
    rb_conflicts->setText(QStringLiteral("conflicts(%1)").arg(RowTree::ConflictCount(root)));
    m_log.ResultFilled(root, Label_lasttime->text());
    ScrollLogToEnd();
    SetButtons(true, m_result.Completed, false);
    rb_errors->setText(QStringLiteral("Errors(0)"));
    m_rows->SetFailedPaths({});
    pb_action->setValue(pb_action->maximum());
    ShowBusy(false);
    if (m_job->LogoffAnalyze == 1)
        ShutDownComputer();
    if (PendingStartSync || PendingPeriodSync) {
        PendingStartSync = PendingPeriodSync = false;
        RequestRun(Run::Sync);
        return;
    }
    NoticeRunEnd(RunEndNotifier::AnalysedText(m_job->SyncName, root.ToLeftCount() + root.ToRightCount()), false);
}

void JobPage::SyncFinished()
{
    ReleaseHeldBack();
    m_gridStatus->SyncEnded();
    SetButtons(true, false, false);
    m_log.SyncEnded(*m_sync, Label_lasttime->text());
    rb_errors->setText(QStringLiteral("Errors(%1)").arg(m_sync->ErrorCount()));
    m_rows->SetFailedPaths(m_rows->FailedPaths());
    ScrollLogToEnd();
    ShowBusy(false);
    VST1->SetClicksAllowed(true);
    if (m_sync->Ended() != Synchronisation::Outcome::Cancelled) {
        const QString failure = SyncFailure();
        NoticeRunEnd(failure.isEmpty() ? RunEndNotifier::SynchronisedText(m_job->SyncName, m_sync->SyncedCount())
                                       : RunEndNotifier::FailedText(m_job->SyncName, failure),
                     !failure.isEmpty());
    }
    m_unattended = false;
    if (m_job->LogoffSync == 1)
        ShutDownComputer();
}

QString JobPage::SyncFailure() const
{
    if (m_sync->RunningElsewhere())
        return QStringLiteral("the job is running in another program");
    if (m_sync->Ended() == Synchronisation::Outcome::Stopped)
        return QStringLiteral("connection lost: ") + m_sync->StopReason();
    if (m_sync->ErrorCount() > 0)
        return m_sync->ErrorCount() == 1 ? QStringLiteral("1 file could not be copied")
                                         : QStringLiteral("%1 files could not be copied").arg(m_sync->ErrorCount());
    const auto unsaved = m_sync->UnsavedStates();
    if (!unsaved.isEmpty())
        return RunLog::StateNotSavedText(unsaved.first().first, unsaved.first().second);
    return {};
}

void JobPage::NoticeRunEnd(const QString &text, bool failed)
{
    if (!std::exchange(m_unattended, false))
        return;
    // Someone looking at the window sees the end in the log.
    const QWidget *shown = window();
    if (shown->isVisible() && !shown->isMinimized())
        return;
    m_runEnd->RunEnded(text, failed);
}

void JobPage::ShutDownComputer()
{
    m_power.shutDown();
}

// ---- the rows -----------------------------------------------------------------------------

void JobPage::MakeRootNode()
{
    if (!m_rows)
        return;
    m_model->Detach();
    m_rows->MakeRootNode();
    m_model->Attach();
}

void JobPage::FillView(int32_t mode)
{
    m_filling = true;
    VST1->SetClicksAllowed(false);
    m_model->Detach();
    int32_t filled = 0;
    m_pumpClock.start();
    m_rows->SetProgressStep([this, &filled] {
        ++filled;
        if (m_pumpClock.elapsed() < PumpIntervalMs)
            return;
        pb_action->setValue(filled);
        QCoreApplication::processEvents();
        m_pumpClock.restart();
    });
    m_rows->BuildView(*m_result.ResultRoot, mode);
    m_rows->SetProgressStep({});
    pb_action->setValue(filled);
    m_model->Attach();
    VST1->expandAll();
    m_filling = false;
    VST1->SetClicksAllowed(m_running != Run::Sync);
}

void JobPage::RebuildView(View view)
{
    const ResultEntry &root = *m_result.ResultRoot;
    // A cancel of an earlier run must not leave a later view empty.
    m_job->CancelFlag = 0;
    Status(QStringLiteral("The file is loading:"));
    ProgressRange(root.ToLeftCount() + root.ToRightCount());
    pb_action->setValue(0);
    FillView(view == View::All         ? RowTree::ModeAll
             : view == View::Errors    ? RowTree::ModeErrors
             : view == View::Conflicts ? RowTree::ModeConflicts
                                       : RowTree::ModeChanges);
    // A view of fewer rows than travel (conflicts, errors) is still loaded whole.
    pb_action->setValue(pb_action->maximum());
    Status(QStringLiteral("File loading done:"));
}

void JobPage::ShowView(View view)
{
    if (!m_rows)
        return;
    if (Busy()) {
        m_deferredView = view;
        return;
    }
    RebuildView(view);
    AfterBusy();
}

void JobPage::rb_allClick()
{
    ShowView(View::All);
}

void JobPage::rb_changedClick()
{
    ShowView(View::Changes);
}

void JobPage::rb_conflictsClick()
{
    ShowView(View::Conflicts);
}

void JobPage::rb_errorsClick()
{
    ShowView(View::Errors);
}

// ---- timers -------------------------------------------------------------------------------

void JobPage::Timer1Timer()
{
    ++ElapsedSeconds;
    Label_lasttime->setText(RunLog::ElapsedText(ElapsedSeconds));
}

void JobPage::PeriodTimerTimer()
{
    if (m_periodTicks == PeriodMinutes) {
        m_periodTicks = 0;
        m_unattended = true;
        RequestRun(Run::Analyze);
        if (m_job && m_job->PeriodSync == 1)
            PendingPeriodSync = true;
    } else {
        ++m_periodTicks;
    }
}
