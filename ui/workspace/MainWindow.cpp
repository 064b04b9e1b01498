#include "ui/workspace/MainWindow.h"

#include "app/ProductInfo.h"
#include "app/Settings.h"
#include "model/JobList.h"
#include "platform/gui/Shell.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ResourcePictures.h"
#include "ui/workspace/AboutBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int TabStep = 126;  // a tab's picture is 125 wide; one pixel between tabs
constexpr int TabHeight = 28;
constexpr int HeaderHeight = 111, TopHeight = 145, BorderRowHeight = 6;
constexpr int SideWidth = 23, BottomHeight = 27;
constexpr int AddWidth = 40, ScrollWidth = 20, EndWidth = 24;
constexpr int MenuButtonWidth = 72, MenuButtonHeight = 35, MenuButtonsFromRight = 892 - 512, MenuButtonTop = 68;
constexpr int WindowButtonWidth = 22, WindowButtonHeight = 17;
const QSize InitialSize(892, 759), RestoredSize(1004, 743);

const char TabHint[] =
    "The Job name you set up. Click on the job name,\n"
    "it will become the current job you are working on.\n"
    "Click on the left button like a \"+\", you can add\n"
    "a new job, or go to the \"Job\" menu to add one";

QString Jpg() { return QStringLiteral("JPG"); }

}  // namespace

MainWindow::MainWindow(JobList &jobs, const Settings &settings, const QString &programFolder,
                       JobPageFactory pageFactory, QWidget *parent)
    : SkinnedWindow(parent, Kind::MainWindow), m_jobs(jobs), m_settings(settings), m_programFolder(programFolder),
      m_pageFactory(std::move(pageFactory))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QLatin1String(ProductInfo::Name));
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    MakeControls();
    MakeMenus();
    CentreOnScreen(InitialSize);
}

MainWindow::~MainWindow()
{
    CancelRuns();
    SaveJobs();
}

// At every change of the jobs, not only at the end: a killed program or a power cut must
// not lose the jobs added or deleted since the start.
void MainWindow::SaveJobs()
{
    if (m_saveAtClose && !m_jobs.SaveTaskList(m_programFolder + QStringLiteral("tasklist.tkl")))
        Warn(tr("The jobs could not be saved to %1.").arg(m_programFolder + QStringLiteral("tasklist.tkl")));
}

// ---- controls --------------------------------------------------------------------------

ImageButton *MainWindow::MakeButton(const QString &name, const QString &accessibleName)
{
    auto *b = new ImageButton(this);
    b->setObjectName(name);
    b->setAccessibleName(accessibleName);
    b->setToolTip(accessibleName);
    HoverPictures(b, name);
    b->SetPicDisabled(ResourcePicture(name + QStringLiteral("Disabled")));
    return b;
}

void MainWindow::MakeControls()
{
    auto picture = [this](const QString &objectName, const QString &pictureName, bool stretch) {
        auto *image = new ImageControl(this);
        image->setObjectName(objectName);
        LoadJpegResource(image, pictureName, Jpg());
        image->SetStretch(stretch);
        return image;
    };
    imgHeader = picture(QStringLiteral("imgHeader"), QStringLiteral("HeaderLeft"), false);
    Image8 = picture(QStringLiteral("Image8"), QStringLiteral("HeaderFill"), true);
    Image4 = picture(QStringLiteral("Image4"), QStringLiteral("HeaderRight"), false);
    for (ImageControl *header : {imgHeader, Image8, Image4})
        AddDragHandle(header);
    Image11 = picture(QStringLiteral("Image11"), QStringLiteral("TabStripFill"), true);
    TabStripEnd = picture(QStringLiteral("TabStripEnd"), QStringLiteral("TabStripEnd"), false);
    BorderTop = picture(QStringLiteral("BorderTop"), QStringLiteral("BorderTop"), true);
    panLeft = picture(QStringLiteral("panLeft"), QStringLiteral("BorderLeft"), true);
    panRight = picture(QStringLiteral("panRight"), QStringLiteral("BorderRight"), true);
    PanelBottom = picture(QStringLiteral("PanelBottom"), QStringLiteral("BorderBottom"), true);

    jobbutton = MakeButton(QStringLiteral("jobbutton"), tr("Job"));
    actionbutton = MakeButton(QStringLiteral("actionbutton"), tr("Action"));
    viewbutton = MakeButton(QStringLiteral("viewbutton"), tr("View"));
    toolsbutton = MakeButton(QStringLiteral("toolsbutton"), tr("Tools"));
    HelpButton = MakeButton(QStringLiteral("HelpButton"), tr("Help"));
    MinBtn = MakeButton(QStringLiteral("MinBtn"), tr("Minimize"));
    BigBtn = MakeButton(QStringLiteral("BigBtn"), tr("Maximize"));
    CloseBtn = MakeButton(QStringLiteral("CloseBtn"), tr("Close"));
    bt_addtask = MakeButton(QStringLiteral("bt_addtask"), tr("Add a new job"));
    moveLeftButton = MakeButton(QStringLiteral("moveLeftButton"), tr("Scroll the job tabs left"));
    MoveRightButton = MakeButton(QStringLiteral("MoveRightButton"), tr("Scroll the job tabs right"));
    moveLeftButton->hide();
    MoveRightButton->hide();
    // Disabled until the job editor is wired in.
    bt_addtask->setEnabled(false);

    connect(MinBtn, &ImageControl::clicked, this, &QWidget::showMinimized);
    connect(BigBtn, &ImageControl::clicked, this, &MainWindow::ToggleMaximized);
    connect(CloseBtn, &ImageControl::clicked, this, &QWidget::close);
    connect(bt_addtask, &ImageControl::clicked, this, &MainWindow::bt_addtaskClick);
    connect(moveLeftButton, &ImageControl::clicked, this, &MainWindow::moveLeftButtonClick);
    connect(MoveRightButton, &ImageControl::clicked, this, &MainWindow::MoveRightButtonClick);

    panel_tab = new QWidget(this);
    panel_tab->setObjectName(QStringLiteral("panel_tab"));
    Pl_jobs = new QWidget(panel_tab);
    Pl_jobs->setObjectName(QStringLiteral("Pl_jobs"));
    Pl_jobs->setGeometry(0, 0, 0, TabHeight);

    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    auto *defaultPage = new QWidget(Notebook1);
    defaultPage->setObjectName(QStringLiteral("Default"));
    Notebook1->addWidget(defaultPage);
    // Without a job the page says what the program is for and how to begin.
    auto *empty = new QVBoxLayout(defaultPage);
    auto *hint = new QLabel(tr("Corvane keeps a folder on this computer and a folder on a server (FTP, FTP over TLS or SFTP) in step. "
                               "Add a job to choose the two folders."),
                            defaultPage);
    hint->setObjectName(QStringLiteral("EmptyHint"));
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    EmptyAddJob = new QPushButton(tr("Add a job"), defaultPage);
    EmptyAddJob->setObjectName(QStringLiteral("EmptyAddJob"));
    connect(EmptyAddJob, &QPushButton::clicked, this, &MainWindow::bt_addtaskClick);
    empty->addStretch();
    empty->addWidget(hint);
    empty->addSpacing(12);
    empty->addWidget(EmptyAddJob, 0, Qt::AlignCenter);
    empty->addStretch();
    defaultPage->setFocusProxy(EmptyAddJob);

    // Tab order follows the header from left to right, then the tab row.
    for (QWidget *w : std::initializer_list<QWidget *>{jobbutton, actionbutton, viewbutton, toolsbutton,
                                                       HelpButton, MinBtn, BigBtn, CloseBtn, bt_addtask})
        w->raise();
}

QMenu *MainWindow::MakeMenu(const QString &name, ImageButton *button)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(name);
    connect(button, &ImageControl::clicked, this, [this, menu, button] { ShowMenu(menu, button); });
    return menu;
}

void MainWindow::ShowMenu(QMenu *menu, ImageButton *button)
{
    menu->exec(button->mapToGlobal(QPoint(0, button->height())));
    LoadJpegResource(button, button->objectName() + QLatin1Char('1'), Jpg());
}

void MainWindow::MakeMenus()
{
    // An item with keys is also the window's: its keys work while its menu is closed.
    auto item = [this](QMenu *menu, const QString &name, const QString &caption,
                       const QList<QKeySequence> &keys = {}) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(name);
        if (!keys.isEmpty()) {
            a->setShortcuts(keys);
            addAction(a);
        }
        return a;
    };

    Popup_Job = MakeMenu(QStringLiteral("Popup_Job"), jobbutton);
    addnewjob1 = item(Popup_Job, QStringLiteral("addnewjob1"), tr("&Add new job..."), {QKeySequence(Qt::CTRL | Qt::Key_N)});
    addnewjobFromTemplate1 = item(Popup_Job, QStringLiteral("addnewjobFromTemplate1"), tr("&Edit this job..."),
                                  {QKeySequence(Qt::CTRL | Qt::Key_E)});
    Delete1 = item(Popup_Job, QStringLiteral("Delete1"), tr("&Delete job"));
    Popup_Job->addSeparator();
    NextJob1 = item(Popup_Job, QStringLiteral("NextJob1"), tr("&Next job"), {QKeySequence(Qt::CTRL | Qt::Key_Tab)});
    PreviousJob1 = item(Popup_Job, QStringLiteral("PreviousJob1"), tr("&Previous job"),
                        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    Popup_Job->addSeparator();
    QAction *Exit1 = item(Popup_Job, QStringLiteral("Exit1"), tr("E&xit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    connect(addnewjob1, &QAction::triggered, this, &MainWindow::bt_addtaskClick);
    connect(addnewjobFromTemplate1, &QAction::triggered, this, &MainWindow::EditShownJob);
    connect(Delete1, &QAction::triggered, this, &MainWindow::DeleteShownJob);
    connect(NextJob1, &QAction::triggered, this, [this] { ShowNeighbourJob(1); });
    connect(PreviousJob1, &QAction::triggered, this, [this] { ShowNeighbourJob(-1); });
    connect(Exit1, &QAction::triggered, this, &QWidget::close);

    // The run and the rows of the job shown. The direction keys belong to the rows (Space
    // must stay a button's key elsewhere): the menu only names them.
    Popup_action = MakeMenu(QStringLiteral("Popup_action"), actionbutton);
    const struct {
        const char *name;
        QString caption;
        QList<QKeySequence> keys;
        AbstractJobPage::Command command;
    } pageCommands[] = {
        {"Analyze1", tr("&Analyze"), {QKeySequence(Qt::Key_F5)}, AbstractJobPage::Command::Analyze},
        {"Sync1", tr("&Sync"), {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter),
                                QKeySequence(Qt::Key_F6)}, AbstractJobPage::Command::Sync},
        {"Cancel1", tr("&Cancel the run"), {QKeySequence(Qt::Key_Escape)}, AbstractJobPage::Command::Cancel},
        {"Donotcopy1", tr("Do &not copy") + QStringLiteral("\tSpace"), {}, AbstractJobPage::Command::DontCopy},
        {"CopyLefttoRight1", tr("Copy Left to &Right") + QStringLiteral("\tCtrl+Right"), {},
         AbstractJobPage::Command::CopyToRight},
        {"CopyRighttoLeft1", tr("Copy Right to &Left") + QStringLiteral("\tCtrl+Left"), {},
         AbstractJobPage::Command::CopyToLeft},
    };
    for (const auto &c : pageCommands) {
        if (c.command == AbstractJobPage::Command::DontCopy)
            Popup_action->addSeparator();
        QAction *a = item(Popup_action, QLatin1String(c.name), c.caption, c.keys);
        const AbstractJobPage::Command command = c.command;
        connect(a, &QAction::triggered, this, [this, command] {
            if (AbstractJobPage *page = ShownPage())
                page->RunCommand(command);
        });
        m_pageCommands.push_back({a, command});
    }

    Popup_View = MakeMenu(QStringLiteral("Popup_View"), viewbutton);
    Option1 = item(Popup_View, QStringLiteral("Option1"), tr("&Options..."));
    Option1->setEnabled(false);
    connect(Option1, &QAction::triggered, this, [this] {
        if (m_options)
            m_options(this);
    });

    Popup_tools = MakeMenu(QStringLiteral("Popup_tools"), toolsbutton);
    ExportTaskList1 = item(Popup_tools, QStringLiteral("ExportTaskList1"), tr("&Export Task List..."));
    connect(ExportTaskList1, &QAction::triggered, this, &MainWindow::ExportTaskList1Click);
    connect(item(Popup_tools, QStringLiteral("ImportTaskList1"), tr("&Import Task List...")), &QAction::triggered, this,
            &MainWindow::ImportTaskList1Click);

    Popup_help = MakeMenu(QStringLiteral("Popup_help"), HelpButton);
    connect(item(Popup_help, QStringLiteral("QuickStart1"), tr("&Quick Start"), {QKeySequence(Qt::Key_F1)}),
            &QAction::triggered, this, &MainWindow::QuickStart1Click);
    connect(item(Popup_help, QStringLiteral("HomePage1"), tr("Corvane &Home Page")), &QAction::triggered, this,
            &MainWindow::HomePage1Click);
    checknewversion1 = item(Popup_help, QStringLiteral("checknewversion1"), tr("&Check new version"));
    checknewversion1->setVisible(false);
    connect(checknewversion1, &QAction::triggered, this, [this] {
        if (m_checkForUpdate)
            m_checkForUpdate(this);
    });
    connect(item(Popup_help, QStringLiteral("About2"), tr("A&bout")), &QAction::triggered, this,
            &MainWindow::About2Click);
    Popup_help->addSeparator();
    connect(item(Popup_help, QStringLiteral("Exit2"), tr("E&xit")), &QAction::triggered, this, &QWidget::close);

    // Alt and the menu's first letter opens it, as a menu bar would.
    const std::pair<QMenu *, ImageButton *> menus[] = {{Popup_Job, jobbutton}, {Popup_action, actionbutton},
                                                       {Popup_View, viewbutton}, {Popup_tools, toolsbutton},
                                                       {Popup_help, HelpButton}};
    for (const auto &[menu, button] : menus) {
        const QString caption = button->accessibleName();
        const QKeySequence keys(Qt::ALT | Qt::Key(caption.at(0).toUpper().unicode()));
        auto *opener = new QShortcut(keys, this);
        opener->setObjectName(button->objectName() + QStringLiteral("Shortcut"));
        connect(opener, &QShortcut::activated, this, [this, menu = menu, button = button] { ShowMenu(menu, button); });
        button->setToolTip(QStringLiteral("%1 (%2)").arg(caption, keys.toString(QKeySequence::NativeText)));
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
    }
    UpdateCommands();
}

void MainWindow::SetJobEditor(NewJobEditor newJob, EditJobEditor editJob)
{
    m_newJob = std::move(newJob);
    m_editJob = std::move(editJob);
    UpdateCommands();
}

int MainWindow::LiveJobCount() const
{
    return int(std::count_if(Tabs.begin(), Tabs.end(), [](const Tab &t) { return !t.Deleted; }));
}

AbstractJobPage *MainWindow::ShownPage() const
{
    const int shown = ShownJob();
    return shown >= 0 && size_t(shown) < JobPages.size() ? JobPages[size_t(shown)].Page : nullptr;
}

void MainWindow::UpdateCommands()
{
    AbstractJobPage *page = ShownPage();
    bt_addtask->setEnabled(bool(m_newJob));
    addnewjob1->setEnabled(bool(m_newJob));
    EmptyAddJob->setEnabled(bool(m_newJob));
    addnewjobFromTemplate1->setEnabled(page && m_editJob);
    Delete1->setEnabled(page != nullptr);
    ExportTaskList1->setEnabled(LiveJobCount() > 0);
    NextJob1->setEnabled(LiveJobCount() > 1);
    PreviousJob1->setEnabled(LiveJobCount() > 1);
    for (const auto &[action, command] : m_pageCommands)
        action->setEnabled(page && page->CanRun(command));
}

void MainWindow::ShowNeighbourJob(int step)
{
    const int count = int(Tabs.size());
    const int shown = ShownJob();
    if (shown < 0 || count == 0)
        return;
    for (int k = 1; k < count; ++k) {
        const int position = ((shown + step * k) % count + count) % count;
        if (!Tabs[size_t(position)].Deleted) {
            TabClick(position);
            return;
        }
    }
}

void MainWindow::SetOptionsDialog(DialogCall options)
{
    m_options = std::move(options);
    Option1->setEnabled(bool(m_options));
}

void MainWindow::SetUpdateCheck(DialogCall checkForUpdate)
{
    m_checkForUpdate = std::move(checkForUpdate);
}

void MainWindow::StartedAgain()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    RerunStartOptions();
}

void MainWindow::RerunStartOptions()
{
    // An open dialog may be editing a job: the runs wait until it is closed.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(1000, this, &MainWindow::RerunStartOptions);
        return;
    }
    for (size_t i = 0; i < JobPages.size() && i < Tabs.size(); ++i)
        if (!Tabs[i].Deleted)
            JobPages[i].Page->SetJob(int(i));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    SkinnedWindow::resizeEvent(event);
    LayoutControls();
}

void MainWindow::LayoutControls()
{
    const int w = width(), h = height();
    const int leftWidth = qMin(imgHeader->Picture().isNull() ? 480 : imgHeader->Picture().width(), w);
    const int rightWidth = Image4->Picture().isNull() ? 40 : Image4->Picture().width();
    imgHeader->setGeometry(0, 0, leftWidth, HeaderHeight);
    Image8->setGeometry(leftWidth, 0, qMax(0, w - leftWidth - rightWidth), HeaderHeight);
    Image4->setGeometry(w - rightWidth, 0, rightWidth, HeaderHeight);

    // Menu and window buttons keep their distance from the right edge.
    int x = w - MenuButtonsFromRight;
    for (ImageButton *b : {jobbutton, actionbutton, viewbutton, toolsbutton, HelpButton}) {
        b->setGeometry(x, MenuButtonTop, MenuButtonWidth, MenuButtonHeight);
        x += MenuButtonWidth;
    }
    x = w - 6 - 3 * WindowButtonWidth;
    for (ImageButton *b : {MinBtn, BigBtn, CloseBtn}) {
        b->setGeometry(x, 6, WindowButtonWidth, WindowButtonHeight);
        x += WindowButtonWidth;
    }

    const int tabTop = HeaderHeight;
    bt_addtask->setGeometry(0, tabTop, AddWidth, TabHeight);
    Image11->setGeometry(AddWidth, tabTop, qMax(0, w - AddWidth - EndWidth), TabHeight);
    TabStripEnd->setGeometry(w - EndWidth, tabTop, EndWidth, TabHeight);
    const int scrollLeft = w - EndWidth - 2 * ScrollWidth;
    moveLeftButton->setGeometry(scrollLeft, tabTop, ScrollWidth, TabHeight);
    MoveRightButton->setGeometry(scrollLeft + ScrollWidth, tabTop, ScrollWidth, TabHeight);
    panel_tab->setGeometry(AddWidth, tabTop, qMax(0, scrollLeft - AddWidth), TabHeight);
    BorderTop->setGeometry(0, tabTop + TabHeight, w, BorderRowHeight);

    const int middle = h - TopHeight - BottomHeight;
    panLeft->setGeometry(0, TopHeight, SideWidth, middle);
    panRight->setGeometry(w - SideWidth, TopHeight, SideWidth, middle);
    PanelBottom->setGeometry(0, h - BottomHeight, w, BottomHeight);
    Notebook1->setGeometry(SideWidth, TopHeight, qMax(0, w - 2 * SideWidth), qMax(0, middle));
    if (NextTabLeft > panel_tab->width()) {
        moveLeftButton->show();
        MoveRightButton->show();
    }
}

void MainWindow::ToggleMaximized()
{
    QScreen *s = screen();
    if (!s)
        return;
    // The available area leaves out the panels, on whatever side they are.
    const QRect area = s->availableGeometry();
    if (BigBtn->Tag() == 0) {
        setGeometry(area);
        BigBtn->SetTag(1);
    } else {
        CentreOnScreen(RestoredSize);
        BigBtn->SetTag(0);
    }
}

void MainWindow::CentreOnScreen(const QSize &size)
{
    QRect r(QPoint(), size);
    if (QScreen *s = screen())
        r.moveCenter(s->availableGeometry().center());
    setGeometry(r);
}

// ---- pages and tabs --------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent *event)
{
    SkinnedWindow::showEvent(event);
    if (m_pagesBuilt)
        return;  // shown again after being minimised
    m_pagesBuilt = true;
    NextTabSelected = 2;
    NextTabLeft = 0;
    BuildJobPages();
}

void MainWindow::MakeJobPage(int index)
{
    const QString name = m_jobs.JobAt(index)->SyncName;
    auto *notebookPage = new QWidget(Notebook1);
    notebookPage->setObjectName(name);
    auto *layout = new QVBoxLayout(notebookPage);
    layout->setContentsMargins(0, 0, 0, 0);
    Notebook1->addWidget(notebookPage);
    AbstractJobPage *page = m_pageFactory(notebookPage);
    layout->addWidget(page);
    page->SetCommandsChanged([this] { UpdateCommands(); });
    page->SetJobChanged([this] { SaveJobs(); });
    page->SetShowRequested([this, page] {
        if (isMinimized() || !isVisible())
            showNormal();
        raise();
        activateWindow();
        for (size_t i = 0; i < JobPages.size() && i < Tabs.size(); ++i)
            if (JobPages[i].Page == page && !Tabs[i].Deleted)
                TabClick(int(i));
    });
    JobPages.push_back({name, page});
    page->SetJob(index);
    page->show();
}

void MainWindow::BuildJobPages()
{
    QStringList names;
    for (int i = 0; i < m_jobs.Count(); ++i) {
        names << m_jobs.JobAt(i)->SyncName;
        MakeJobPage(i);
    }
    BuildTabs(names);
    if (!names.isEmpty())
        SelectJobPage(0);
    else
        ShowEmptyPage();
    UpdateStripWidth();
}

void MainWindow::BuildTabs(const QStringList &names)
{
    if (names.isEmpty())
        return;
    for (const QString &name : names) {
        AddTab(name, NextTabSelected == 2, NextTabLeft);
        NextTabLeft += TabStep;
        NextTabSelected = 0;
    }
    if (!CurrentTab) {
        for (const Tab &t : Tabs)
            if (!t.Deleted && t.Image->Tag() == 2)
                CurrentTab = t.Image;
    }
    UpdateStripWidth();
}

void MainWindow::AddTab(const QString &name, bool selected, int left)
{
    auto *image = new ImageButton(Pl_jobs);
    image->setGeometry(left, 0, TabStep - 1, TabHeight);
    image->SetTag(selected ? 2 : 0);
    SetTabPicture(image, !selected);
    image->setToolTip(QLatin1String(TabHint));
    image->setAccessibleName(name);
    const int position = int(Tabs.size());
    connect(image, &ImageControl::clicked, this, [this, position] { TabClick(position); });
    image->show();
    ++TabCount;

    // Every tab has its label, also a job without a name, so positions always match.
    auto *label = new QLabel(Pl_jobs);
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideRight, TabStep - 12));
    label->setToolTip(QLatin1String(TabHint));
    label->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    label->adjustSize();
    label->move(left + TabStep - (label->width() + image->width()) / 2, (TabHeight - label->height()) / 2);
    label->setProperty("TabPosition", position);
    label->installEventFilter(this);
    label->show();
    Tabs.push_back({image, label, name, false});
}

void MainWindow::SetTabPicture(ImageButton *tab, bool normal)
{
    LoadJpegResource(tab, normal ? QStringLiteral("ieb1") : QStringLiteral("ieb2"), Jpg());
}

void MainWindow::UpdateStripWidth()
{
    Pl_jobs->resize(NextTabLeft, TabHeight);
    if (NextTabLeft > panel_tab->width()) {
        moveLeftButton->show();
        MoveRightButton->show();
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched->property("TabPosition").isValid()) {
        auto *me = static_cast<QMouseEvent *>(event);
        auto *label = static_cast<QWidget *>(watched);
        if (me->button() == Qt::LeftButton && label->rect().contains(me->position().toPoint())) {
            TabClick(watched->property("TabPosition").toInt());  // TabLabelClick
            return true;
        }
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void MainWindow::TabClick(int position)
{
    ImageButton *tab = Tabs.at(size_t(position)).Image;
    if (tab == CurrentTab) {
        // The first tab of an empty strip is made current before its page is shown.
        SelectJobPage(position);
        return;
    }
    SetTabPicture(tab, false);
    if (CurrentTab) {
        SetTabPicture(CurrentTab, true);
        CurrentTab->SetTag(0);
    }
    CurrentTab = tab;
    // Two jobs may share a name: the tab shows its own job's page, found by position.
    SelectJobPage(position);
    tab->SetTag(2);
}

void MainWindow::SelectJobPage(int position)
{
    if (position < 0 || position + 1 >= Notebook1->count())
        return;
    Notebook1->setCurrentIndex(position + 1);
    AbstractJobPage *page = JobPages.at(size_t(position)).Page;
    page->PageShown();
    // The keyboard starts at the job's folders, a few Tabs from Analyze.
    page->setFocus(Qt::OtherFocusReason);
    UpdateCommands();
}

void MainWindow::moveLeftButtonClick()
{
    if (Pl_jobs->x() < 0)
        Pl_jobs->move(Pl_jobs->x() + TabStep, 0);
}

void MainWindow::MoveRightButtonClick()
{
    if (-Pl_jobs->x() < (TabCount - 1) * TabStep)
        Pl_jobs->move(Pl_jobs->x() - TabStep, 0);
}

int MainWindow::ShownJob() const
{
    return Notebook1->currentIndex() - 1;
}

// ---- job commands ----------------------------------------------------------------------

void MainWindow::bt_addtaskClick()
{
    if (!m_newJob)
        return;
    if (std::unique_ptr<Job> task = m_newJob(this))
        AddJob(std::move(task));
}

void MainWindow::AddJob(std::unique_ptr<Job> task)
{
    if (!task)
        return;
    const QString name = task->SyncName;
    m_jobs.AddJob(std::move(task));
    const int index = m_jobs.Count() - 1;  // = the number of tabs made before this one
    MakeJobPage(index);
    BuildTabs({name});
    TabClick(int(Tabs.size()) - 1);
    UpdateStripWidth();
    // Show the new tab at the right end of the strip.
    if (NextTabLeft > panel_tab->width())
        Pl_jobs->move(panel_tab->width() - NextTabLeft, 0);
    SaveJobs();
}

void MainWindow::EditShownJob()
{
    const int index = ShownJob();
    if (index < 0 || !m_editJob)
        return;
    AbstractJobPage *page = JobPages.at(size_t(index)).Page;
    if (page->RunInProgress()) {
        Warn(tr("The job \"%1\" is running. Cancel it or wait for its end, then edit it.")
                 .arg(m_jobs.JobAt(index)->SyncName));
        return;
    }
    if (m_editJob(this, index)) {
        SaveJobs();
        page->SetJob(index);
    }
}

void MainWindow::DeleteShownJob()
{
    if (!CurrentTab)
        return;
    const int i = ShownJob();
    if (i < 0)
        return;
    Tab &tab = Tabs.at(size_t(i));
    if (QMessageBox::question(this, QLatin1String(ProductInfo::Name),
                              tr("Delete the job \"%1\"? Its files are not touched.").arg(tab.Name),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    --TabCount;
    m_jobs.MarkJobDeleted(i);
    SaveJobs();
    tab.Image->hide();
    tab.Label->hide();
    tab.Label->clear();
    tab.Deleted = true;
    for (size_t k = size_t(i) + 1; k < Tabs.size(); ++k) {
        if (Tabs[k].Deleted)
            continue;
        Tabs[k].Image->move(Tabs[k].Image->x() - TabStep, 0);
        Tabs[k].Label->move(Tabs[k].Label->x() - TabStep, Tabs[k].Label->y());
    }
    NextTabLeft -= TabStep;
    UpdateStripWidth();
    Pl_jobs->move(0, 0);
    for (size_t k = 0; k < Tabs.size(); ++k) {
        if (!Tabs[k].Deleted) {
            TabClick(int(k));
            return;
        }
    }
    CurrentTab = nullptr;
    ShowEmptyPage();
}

void MainWindow::ShowEmptyPage()
{
    Notebook1->setCurrentIndex(0);
    Notebook1->widget(0)->setFocus(Qt::OtherFocusReason);
    UpdateCommands();
}

// ---- task list -------------------------------------------------------------------------

QString MainWindow::AskTaskListFile(const QString &dialogName, const QString &title, bool save)
{
    QFileDialog dialog(this, title);
    dialog.setObjectName(dialogName);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save)
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("tkl (*.tkl)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void MainWindow::ExportTaskList1Click()
{
    if (!CurrentTab)
        return;
    const QString name = AskTaskListFile(QStringLiteral("saved1"), tr("Export Task List"), true);
    if (!name.isEmpty())
        ExportTaskList(name);
}

bool MainWindow::ExportTaskList(const QString &fileName)
{
    QString name = fileName;
    if (!name.endsWith(QLatin1String(".tkl"), Qt::CaseInsensitive))
        name += QStringLiteral(".tkl");
    // The jobs as they are now, not the file of the last closing: it may not exist yet.
    if (m_jobs.SaveTaskList(name))
        return true;
    Warn(tr("The jobs could not be exported to %1.").arg(name));
    return false;
}

void MainWindow::ImportTaskList1Click()
{
    const QString name = AskTaskListFile(QStringLiteral("OpenDi1"), tr("Import Task List"), false);
    if (!name.isEmpty())
        ImportTaskList(name);
}

bool MainWindow::ImportTaskList(const QString &fileName)
{
    if (AnyRunInProgress()) {
        Warn(tr("A job is running or waiting to run. Import the task list when no job runs."));
        return false;
    }
    // Read the file on the side first: a file that cannot be read must not empty the window.
    JobList probe;
    const JobList::LoadResult probed = probe.LoadTaskList(fileName);
    if (probed == JobList::LoadResult::NoFile || probed == JobList::LoadResult::Unreadable) {
        Warn(tr("%1 could not be read as a task list. The jobs were not changed.").arg(fileName));
        return false;
    }

    FreeJobPages();
    m_jobs.LoadTaskList(fileName);
    NextTabSelected = 2;
    NextTabLeft = 0;
    CurrentTab = nullptr;
    TabCount = 0;
    BuildJobPages();
    SaveJobs();
    if (probed == JobList::LoadResult::PartlyRead)
        Warn(tr("Only the first %n job(s) of %1 could be read; the jobs after them were left out.", nullptr,
                m_jobs.Count())
                 .arg(fileName));
    return true;
}

void MainWindow::FreeJobPages()
{
    CancelRuns();
    while (Notebook1->count() > 1) {
        QWidget *w = Notebook1->widget(1);
        Notebook1->removeWidget(w);
        delete w;
    }
    JobPages.clear();
    Notebook1->setCurrentIndex(0);
    for (Tab &t : Tabs) {
        delete t.Image;
        delete t.Label;
    }
    Tabs.clear();
    Pl_jobs->setGeometry(0, 0, 0, TabHeight);
}

void MainWindow::CancelRuns()
{
    // Waiting runs go first: otherwise the end of a cancelled run would start the next.
    for (const PageSlot &p : JobPages)
        p.Page->DropWaitingRun();
    for (const PageSlot &p : JobPages)
        p.Page->CancelAndWait();
}

bool MainWindow::JobRunInProgress(int index) const
{
    return index >= 0 && size_t(index) < JobPages.size() && JobPages.at(size_t(index)).Page->RunInProgress();
}

bool MainWindow::AnyRunInProgress() const
{
    for (const PageSlot &p : JobPages)
        if (p.Page->RunInProgress())
            return true;
    return false;
}

// ---- help and closing ------------------------------------------------------------------

void MainWindow::QuickStart1Click()
{
    const QString help = m_programFolder + QStringLiteral("help/index.html");
    if (!Shell::open(help))
        Warn(tr("The help %1 could not be opened.").arg(help));
}

void MainWindow::HomePage1Click()
{
    const QString home = m_settings.HomePage.isEmpty() ? QLatin1String(ProductInfo::DefaultHomePage)
                                                       : m_settings.HomePage;
    if (!Shell::open(home))
        Warn(tr("The home page %1 could not be opened.").arg(home));
}

void MainWindow::About2Click()
{
    AboutBox box(this);
    box.ShowModal();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // No page may be freed under a running worker: stop every run before the window goes.
    CancelRuns();
    SkinnedWindow::closeEvent(event);
}

void MainWindow::Warn(const QString &text)
{
    QMessageBox::warning(this, QLatin1String(ProductInfo::Name), text);
}
