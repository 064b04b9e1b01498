#pragma once
#include "ui/widgets/TSkinForm.h"
#include "ui/workspace/TJobPage.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QStackedWidget;
class SyncTaskList;
class TImageEx;
class TImageExButton;
class TSyncTask;
struct TMyRegistryInfo;

// The main window: a tab per job over a notebook of job pages (page 0 is "Default", page
// i + 1 belongs to job i), the menus, and the task list written when the window goes.
class TMirelleFom : public TSkinForm {
    Q_OBJECT

public:
    // The job editor, once it exists: NewJob shows it for a new job and hands the job back
    // (nullptr on Cancel); EditJob edits job index in place and tells whether it was stored.
    using TNewJobEditor = std::function<std::unique_ptr<TSyncTask>(QWidget *parent)>;
    using TEditJobEditor = std::function<bool(QWidget *parent, int index)>;
    using TDialogCall = std::function<void(QWidget *parent)>;

    // tasks and settings outlive the window; the task list is read from and written to
    // programFolder + "tasklist.tkl", the help is programFolder + "help/index.html".
    TMirelleFom(SyncTaskList &tasks, const TMyRegistryInfo &settings, const QString &programFolder,
                TJobPageFactory pageFactory, QWidget *parent = nullptr);
    // Cancels and waits for every run, then writes the task list.
    ~TMirelleFom() override;

    // Seams for the other windows: each enables its commands (the update check's menu item
    // stays hidden).
    void SetJobEditor(TNewJobEditor newJob, TEditJobEditor editJob);
    void SetOptionsDialog(TDialogCall options);
    void SetUpdateCheck(TDialogCall checkForUpdate);
    // False keeps the task list file as it is at closing (it holds jobs this run could not read
    // and could not set aside).
    void SetSaveAtClose(bool save) { m_saveAtClose = save; }

    // The commands, as the menus and buttons run them.
    void AddJob(std::unique_ptr<TSyncTask> task);
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
    struct Tab {
        TImageExButton *Image;
        QLabel *Label;
        QString Name;
        bool Deleted = false;
    };
    struct JobPage {
        QString Name;
        TJobPage *Page;
    };

    void MakeControls();
    void MakeMenus();
    void LayoutControls();
    void CentreOnScreen(const QSize &size);
    TImageExButton *MakeButton(const QString &name, const QString &accessibleName);
    QMenu *MakeMenu(const QString &name, TImageExButton *button);
    void ShowMenu(QMenu *menu, TImageExButton *button);

    void BuildJobPages();
    void MakeJobPage(int index);
    void BuildTabs(const QStringList &names);
    void AddTab(const QString &name, bool selected, int left);
    void TabClick(int position);
    void SelectJobPage(int position);
    void SetTabPicture(TImageExButton *tab, bool normal);
    void UpdateStripWidth();
    void RerunStartOptions();
    void moveLeftButtonClick();
    void MoveRightButtonClick();
    void bt_addtaskClick();
    // The file chosen in the save or open dialog; empty on Cancel.
    QString AskTaskListFile(const QString &dialogName, const QString &title, bool save);
    void ExportTaskList1Click();
    void ImportTaskList1Click();
    void QuickStart1Click();
    void MirelleHome1Click();
    void About2Click();
    void FreeJobPages();
    void CancelRuns();
    bool AnyRunInProgress() const;
    int ShownJob() const;  // index of the job whose page is shown, -1 for "Default"
    void Warn(const QString &text);

    SyncTaskList &m_tasks;
    const TMyRegistryInfo &m_settings;
    QString m_programFolder;
    TJobPageFactory m_pageFactory;
    TNewJobEditor m_newJob;
    TEditJobEditor m_editJob;
    TDialogCall m_options;
    TDialogCall m_checkForUpdate;
    bool m_saveAtClose = true;
    bool m_pagesBuilt = false;

    std::vector<JobPage> JobPages;
    std::vector<Tab> Tabs;  // entry i: the tab and label of job i
    int NextTabSelected = 0;
    int NextTabLeft = 0;
    TImageExButton *CurrentTab = nullptr;
    int TabCount = 0;

    TImageEx *imgHeader, *Image8, *Image4;
    TImageExButton *jobbutton, *actionbutton, *viewbutton, *toolsbutton, *HelpButton;
    TImageExButton *MinBtn, *BigBtn, *CloseBtn, *moveLeftButton, *MoveRightButton, *bt_addtask;
    TImageEx *Image11, *TabStripEnd, *BorderTop, *panLeft, *panRight, *PanelBottom;
    QWidget *panel_tab, *Pl_jobs;
    QStackedWidget *Notebook1;
    QMenu *Popup_Job, *Popup_action, *Popup_View, *Popup_tools, *Popup_help;
    QAction *addnewjob1, *addnewjobFromTemplate1, *Option1, *checknewversion1;
};
