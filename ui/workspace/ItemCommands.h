#pragma once
#include <QModelIndex>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;
class ResultModel;
class ResultView;
class Job;
struct RowRecord;

// The commands on one file row of a job page's result tree, in the menu pop_direction:
// open either copy or its folder, delete either copy, restore either copy from its saved
// previous version, open a saved version. The right side may be an FTP folder or a local
// one. Interface thread only.
class ItemCommands : public QObject {
    Q_OBJECT

public:
    // Menu indices, separators included.
    enum Item {
        OpenLeftFile, OpenRightFile, OpenLeftFolder, OpenRightFolder, Separator1,
        DeleteLeftFile, DeleteRightFile, Separator2,
        RestoreLeftFile, RestoreRightFile, OpenPreviousLeft, OpenPreviousRight, Separator3,
        CopyToLeft, CopyToRight, DontCopy, Separator4,
        BackToProposal, UndoDirections, SyncSelected, ItemCount
    };
    using Opener = std::function<bool(const QString &path)>;
    using LogLine = std::function<void(const QString &line)>;
    // True while any analysis or synchronisation runs: the commands then wait.
    using RunsInProgress = std::function<bool()>;

    ItemCommands(ResultModel &model, ResultView &tree, QWidget *dialogParent, LogLine log,
                 RunsInProgress runsInProgress);

    void SetJob(Job *job) { m_job = job; }
    void SetProgramFolder(const QString &folder) { m_programFolder = folder; }
    // Opens files and folders; the desktop shell unless replaced.
    void SetOpener(Opener opener) { m_open = std::move(opener); }
    // Whether the page could synchronise now (Sync Selected needs it too).
    void SetCanSync(std::function<bool()> canSync) { m_canSync = std::move(canSync); }

    QMenu *Menu() const { return m_menu; }
    // The direction commands apply to every selected row (a folder row: every file below it);
    // their keys work while the tree has the focus. Refused while a run or a fill uses the rows.
    bool CanSetDirection() const;
    void SetDirection(Item item);
    QAction *Action(Item item) const;
    // Enables the items for the selected row; false when the menu is not to open.
    bool PrepareMenu();
    // PrepareMenu, then the menu opens at the screen position.
    void Popup(const QPoint &globalPos);

    // The saved previous versions of a row's copies.
    QString LeftSavedPathFor(const RowRecord &row) const;
    QString RightSavedPathFor(const RowRecord &row) const;

public Q_SLOTS:
    void CopyTimeLtoR1Click();    // Open Left File
    void LeftToRight1Click();     // Open Right File
    void DonotCopy1Click();       // Open Left Folder
    void N1Click();               // Open Right Folder
    void OpenLeftFolder1Click();  // Delete Left File
    void OpenRightFile1Click();   // Delete Right File
    void N3Click();               // Restore the left file
    void N4Click();               // Restore the right file
    void N5Click();               // Open the previous file of left
    void N6Click();               // Open the previous file of right
    void CopyToLeftClick();
    void CopyToRightClick();
    void DontCopyClick();
    void BackToProposalClick();
    void UndoDirectionsClick();
    void SyncSelectedClick();

Q_SIGNALS:
    // Sync Selected was chosen: the page copies only the selected rows.
    void SyncSelectedRequested();

private:
    QModelIndex Selected() const;
    bool RightIsLocal() const;
    // False (and says why) when a run has started since the menu opened.
    bool Allowed();
    bool Confirm(const QString &text);
    void DeleteFailed(const QString &path);
    // Deletes the row's left or right copy, after asking.
    void DeleteCopy(bool left);

    ResultModel &m_model;
    ResultView &m_tree;
    QWidget *m_dialogParent;
    LogLine m_log;
    RunsInProgress m_runsInProgress;
    Opener m_open;
    std::function<bool()> m_canSync;
    Job *m_job = nullptr;
    QString m_programFolder;
    QMenu *m_menu;
    QString LeftSavedPath;
    QString RightSavedPath;
};
