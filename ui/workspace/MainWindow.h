#pragma once
#include "ui/widgets/SkinnedWindow.h"
#include "ui/workspace/AbstractJobPage.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class JobList;
class ImageControl;
class ImageButton;
class Job;
struct Settings;

// The main window: a tab per job over a notebook of job pages (page 0 is "Default", page
// i + 1 belongs to job i), the menus, and the task list written when the window goes.
class MainWindow : public SkinnedWindow {
    Q_OBJECT

public:
    // The job editor, once it exists: NewJob shows it for a new job and hands the job back
    // (nullptr on Cancel); EditJob edits job index in place and tells whether it was stored.
    using NewJobEditor = std::function<std::unique_ptr<Job>(QWidget *parent)>;
    using EditJobEditor = std::function<bool(QWidget *parent, int index)>;
    using DialogCall = std::function<void(QWidget *parent)>;

    // jobs and settings outlive the window; the task list is read from and written to
    // programFolder + "tasklist.tkl", the help is programFolder + "help/index.html".
    MainWindow(JobList &jobs, const Settings &settings, const QString &programFolder,
               JobPageFactory pageFactory, QWidget *parent = nullptr);
    // Cancels and waits for every run, then writes the task list.
    ~MainWindow() override;

    // Seams for the other windows: each enables its commands (the update check's menu item
    // stays hidden).
    void SetJobEditor(NewJobEditor newJob, EditJobEditor editJob);
    void SetOptionsDialog(DialogCall options);
    void SetUpdateCheck(DialogCall checkForUpdate);
    // False keeps the task list file as it is at closing (it holds jobs this run could not read
    // and could not set aside).
    void SetSaveAtClose(bool save) { m_saveAtClose = save; }

    // The commands, as the menus and buttons run them.
    void AddJob(std::unique_ptr<Job> task);
    void EditShownJob();
    void DeleteShownJob();
    // False (after telling the user) when nothing was written.
    bool ExportTaskList(const QString &fileName);
    // False (after telling the user) when the jobs were left as they were.
    bool ImportTaskList(const QString &fileName);
    void ToggleMaximized();
    // The run of the job at index is in progress or waiting (false for no such job).
    bool JobRunInProgress(int index) const;
    // Another start of the program handed over to this one: the window comes to the front
    // and every job's start-up options run again, as at a fresh start.
    void StartedAgain();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SaveJobs();
    struct Tab {
        ImageButton *Image;
        QLabel *Label;
        QString Name;
        bool Deleted = false;
    };
    struct PageSlot {
        QString Name;
        AbstractJobPage *Page;
    };

    void MakeControls();
    void MakeMenus();
    void LayoutControls();
    void CentreOnScreen(const QSize &size);
    ImageButton *MakeButton(const QString &name, const QString &accessibleName);
    QMenu *MakeMenu(const QString &name, ImageButton *button);
    void ShowMenu(QMenu *menu, ImageButton *button);

    void BuildJobPages();
    void MakeJobPage(int index);
    void BuildTabs(const QStringList &names);
    void AddTab(const QString &name, bool selected, int left);
    void TabClick(int position);
    void SelectJobPage(int position);
    void SetTabPicture(ImageButton *tab, bool normal);
    void UpdateStripWidth();
    void RerunStartOptions();
    // Enables the commands that have a job and a page to work on, and those the shown page allows.
    void UpdateCommands();
    void ShowEmptyPage();
    // The next (step 1) or previous (-1) job that is not deleted, round the end.
    void ShowNeighbourJob(int step);
    int LiveJobCount() const;
    AbstractJobPage *ShownPage() const;
    void moveLeftButtonClick();
    void MoveRightButtonClick();
    void bt_addtaskClick();
    // The file chosen in the save or open dialog; empty on Cancel.
    QString AskTaskListFile(const QString &dialogName, const QString &title, bool save);
    void ExportTaskList1Click();
    void ImportTaskList1Click();
    void QuickStart1Click();
    void HomePage1Click();
    void About2Click();
    void FreeJobPages();
    void CancelRuns();
    bool AnyRunInProgress() const;
    int ShownJob() const;  // index of the job whose page is shown, -1 for "Default"
    void Warn(const QString &text);

    JobList &m_jobs;
    const Settings &m_settings;
    QString m_programFolder;
    JobPageFactory m_pageFactory;
    NewJobEditor m_newJob;
    EditJobEditor m_editJob;
    DialogCall m_options;
    DialogCall m_checkForUpdate;
    bool m_saveAtClose = true;
    bool m_pagesBuilt = false;

    std::vector<PageSlot> JobPages;
    std::vector<Tab> Tabs;  // entry i: the tab and label of job i
    int NextTabSelected = 0;
    int NextTabLeft = 0;
    ImageButton *CurrentTab = nullptr;
    int TabCount = 0;

    ImageControl *imgHeader, *Image8, *Image4;
    ImageButton *jobbutton, *actionbutton, *viewbutton, *toolsbutton, *HelpButton;
    ImageButton *MinBtn, *BigBtn, *CloseBtn, *moveLeftButton, *MoveRightButton, *bt_addtask;
    ImageControl *Image11, *TabStripEnd, *BorderTop, *panLeft, *panRight, *PanelBottom;
    QWidget *panel_tab, *Pl_jobs;
    QStackedWidget *Notebook1;
    QMenu *Popup_Job, *Popup_action, *Popup_View, *Popup_tools, *Popup_help;
    QAction *addnewjob1, *addnewjobFromTemplate1, *Delete1, *NextJob1, *PreviousJob1, *Option1, *checknewversion1,
        *ExportTaskList1;
    std::vector<std::pair<QAction *, AbstractJobPage::Command>> m_pageCommands;
    QPushButton *EmptyAddJob;
};
