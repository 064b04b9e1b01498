#include "app/Settings.h"
#include "model/JobList.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/TaskListFiles.h"
#include "tests/ui/DriveWidgets.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ResourcePictures.h"
#include "ui/workspace/AboutBox.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/PlaceholderPage.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>

namespace {

// A page that is busy running until it is cancelled; tells what the window asked of it.
class BusyPage : public AbstractJobPage {
public:
    BusyPage(QWidget *parent, const QString &taskListPath, QStringList *namesAtCancel, QStringList *calls)
        : AbstractJobPage(parent), m_taskListPath(taskListPath), m_namesAtCancel(namesAtCancel), m_calls(calls)
    {
    }
    void SetJob(int index) override { m_index = index; }
    bool RunInProgress() const override { return m_running; }
    void DropWaitingRun() override { *m_calls << QStringLiteral("drop %1").arg(m_index); }
    void CancelAndWait() override
    {
        *m_calls << QStringLiteral("cancel %1").arg(m_index);
        if (m_running)
            *m_namesAtCancel = TaskListFiles::Names(m_taskListPath);
        m_running = false;
    }

private:
    QString m_taskListPath;
    QStringList *m_namesAtCancel;
    QStringList *m_calls;
    int m_index = -1;
    bool m_running = true;
};

// Chooses path in a file dialog as a user does: the folder, then the name in the name field
// (selectFile leaves a name field that has the focus as it is).
void ChooseFile(QFileDialog *dialog, const QString &path)
{
    dialog->setDirectory(QFileInfo(path).path());
    control<QLineEdit>(*dialog, "fileNameEdit")->setText(QFileInfo(path).fileName());
    static_cast<QDialog *>(dialog)->accept();
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void OpenUrl(const QUrl &url) { m_opened << url; }

private:
    QTemporaryDir *m_dir = nullptr;
    JobList *m_jobs = nullptr;
    Settings m_settings;
    MainWindow *m_window = nullptr;
    QList<QUrl> m_opened;

    QString Folder() const { return m_dir->path() + QLatin1Char('/'); }
    QString TaskList() const { return Folder() + QStringLiteral("tasklist.tkl"); }

    // Loads the program folder's task list and shows the window over it.
    void Open(JobPageFactory factory = {})
    {
        m_jobs->LoadTaskList(TaskList());
        if (!factory)
            factory = [this](QWidget *parent) -> AbstractJobPage * { return new PlaceholderPage(*m_jobs, parent); };
        m_window = new MainWindow(*m_jobs, m_settings, Folder(), factory);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void CloseWindow()
    {
        m_window->close();
        delete m_window;
        m_window = nullptr;
    }
    template <class T>
    T *Find(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    QString ShownPage() const { return Find<QStackedWidget>(QStringLiteral("Notebook1"))->currentWidget()->objectName(); }
    // The tab labels the user sees, left to right, with their place in the strip.
    QList<QPair<QString, int>> VisibleTabs() const
    {
        QList<QPair<QString, int>> tabs;
        for (QLabel *l : Find<QWidget>(QStringLiteral("Pl_jobs"))->findChildren<QLabel *>())
            if (l->isVisibleTo(m_window))
                tabs.append({l->text(), l->x() / 126});
        std::sort(tabs.begin(), tabs.end(), [](auto &a, auto &b) { return a.second < b.second; });
        return tabs;
    }
    QLabel *TabLabel(const QString &text) const
    {
        for (QLabel *l : Find<QWidget>(QStringLiteral("Pl_jobs"))->findChildren<QLabel *>())
            if (l->isVisibleTo(m_window) && l->text() == text)
                return l;
        return nullptr;
    }
    void Trigger(const QString &action) { Find<QAction>(action)->trigger(); }
    void DeleteShown()
    {
        AnswerNextBox(QMessageBox::Yes);
        Trigger(QStringLiteral("Delete1"));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        m_jobs = new JobList;
        m_settings = Settings();
        m_opened.clear();
    }
    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        delete m_jobs;
        delete m_dir;
    }

    void noTaskListShowsDefaultAndAddingMakesTheTabCurrent()
    {
        Open();
        QCOMPARE(ShownPage(), QStringLiteral("Default"));
        QVERIFY(VisibleTabs().isEmpty());
        // Without a tab, delete and export do nothing (no question, no dialog).
        Trigger(QStringLiteral("Delete1"));
        Trigger(QStringLiteral("ExportTaskList1"));
        QVERIFY(!QApplication::activeModalWidget());

        m_window->AddJob(std::make_unique<Job>());
        m_jobs->JobAt(0)->SyncName = QStringLiteral("unused");  // the tab keeps the name it was made with
        auto job = std::make_unique<Job>();
        job->SyncName = QStringLiteral("Photos");
        m_window->AddJob(std::move(job));
        QCOMPARE(ShownPage(), QStringLiteral("Photos"));
        QCOMPARE(Find<QStackedWidget>(QStringLiteral("Notebook1"))->currentWidget()->findChild<QLabel *>()->text(),
                 QStringLiteral("Photos"));
        QCOMPARE(VisibleTabs(), (QList<QPair<QString, int>>{{QString(), 0}, {QStringLiteral("Photos"), 1}}));
        CloseWindow();
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{QStringLiteral("unused"), QStringLiteral("Photos")}));
    }

    void firstJobIsCurrentAndTabsSelectTheirPages()
    {
        TaskListFiles::Write(TaskList(), {"One", "Two", "Three"});
        Open();
        QCOMPARE(ShownPage(), QStringLiteral("One"));
        QTest::mouseClick(TabLabel(QStringLiteral("Three")), Qt::LeftButton);
        QCOMPARE(ShownPage(), QStringLiteral("Three"));
        auto tabs = Find<QWidget>(QStringLiteral("Pl_jobs"))->findChildren<ImageButton *>();
        QTest::mouseClick(tabs.at(1), Qt::LeftButton, {}, QPoint(5, 5));  // the tab picture, beside its label
        QCOMPARE(ShownPage(), QStringLiteral("Two"));
        QCOMPARE(tabs.at(1)->Tag(), 2);
        QCOMPARE(tabs.at(2)->Tag(), 0);
        // From the keyboard too.
        QTest::keyClick(tabs.at(0), Qt::Key_Space);
        QCOMPARE(ShownPage(), QStringLiteral("One"));
    }

    void tenJobsScrollAndStopAtBothEnds()
    {
        QStringList names;
        for (int i = 1; i <= 10; ++i)
            names << QStringLiteral("Job %1").arg(i);
        TaskListFiles::Write(TaskList(), names);
        Open();
        auto *left = Find<ImageButton>(QStringLiteral("moveLeftButton"));
        auto *right = Find<ImageButton>(QStringLiteral("MoveRightButton"));
        QWidget *strip = Find<QWidget>(QStringLiteral("Pl_jobs"));
        QVERIFY(left->isVisible());
        QVERIFY(right->isVisible());
        QCOMPARE(strip->width(), 10 * 126);
        for (int i = 0; i < 12; ++i)
            QTest::mouseClick(right, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(strip->x(), -9 * 126);  // the last tab at the left edge, no further
        QTest::mouseClick(left, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(strip->x(), -8 * 126);
        for (int i = 0; i < 12; ++i)
            QTest::mouseClick(left, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(strip->x(), 0);
    }

    void fewJobsShowNoScrollButtons()
    {
        TaskListFiles::Write(TaskList(), {"One", "Two"});
        Open();
        QVERIFY(!Find<ImageButton>(QStringLiteral("moveLeftButton"))->isVisible());
    }

    void deletingTheMiddleJobClosesTheGap()
    {
        TaskListFiles::Write(TaskList(), {"One", "Two", "Three"});
        Open();
        QTest::mouseClick(TabLabel(QStringLiteral("Two")), Qt::LeftButton);
        BoxSeen asked;
        AnswerNextBox(QMessageBox::No, &asked);
        Trigger(QStringLiteral("Delete1"));
        QCOMPARE(asked.text, QStringLiteral("Delete the job \"Two\"? Its files are not touched."));
        QCOMPARE(VisibleTabs().size(), 3);

        DeleteShown();
        QCOMPARE(VisibleTabs(), (QList<QPair<QString, int>>{{"One", 0}, {"Three", 1}}));
        QCOMPARE(ShownPage(), QStringLiteral("One"));
        QCOMPARE(Find<QWidget>(QStringLiteral("Pl_jobs"))->width(), 2 * 126);
        // The tab after the gap still shows its own job.
        QTest::mouseClick(TabLabel(QStringLiteral("Three")), Qt::LeftButton);
        QCOMPARE(ShownPage(), QStringLiteral("Three"));
        CloseWindow();
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"One", "Three"}));
    }

    void deletingTheLastJobShowsDefault()
    {
        TaskListFiles::Write(TaskList(), {"Only"});
        Open();
        int edits = 0;
        m_window->SetJobEditor([](QWidget *) { return std::unique_ptr<Job>(); },
                               [&edits](QWidget *, int) { return ++edits, true; });
        DeleteShown();
        QCOMPARE(ShownPage(), QStringLiteral("Default"));
        QVERIFY(VisibleTabs().isEmpty());
        Trigger(QStringLiteral("Delete1"));
        Trigger(QStringLiteral("addnewjobFromTemplate1"));
        QCOMPARE(edits, 0);
        QVERIFY(!QApplication::activeModalWidget());

        // A job added now is current at once, in the first place of the strip.
        auto job = std::make_unique<Job>();
        job->SyncName = QStringLiteral("Next");
        m_window->AddJob(std::move(job));
        QCOMPARE(ShownPage(), QStringLiteral("Next"));
        QCOMPARE(VisibleTabs(), (QList<QPair<QString, int>>{{"Next", 0}}));
        CloseWindow();
        QCOMPARE(TaskListFiles::Names(TaskList()), QStringList{"Next"});
    }

    void addAndEditWaitForTheEditor()
    {
        TaskListFiles::Write(TaskList(), {"One"});
        Open();
        auto *add = Find<ImageButton>(QStringLiteral("bt_addtask"));
        QVERIFY(!add->isEnabled());
        QVERIFY(!Find<QAction>(QStringLiteral("addnewjob1"))->isEnabled());
        QVERIFY(!Find<QAction>(QStringLiteral("addnewjobFromTemplate1"))->isEnabled());
        QVERIFY(!Find<QAction>(QStringLiteral("Option1"))->isEnabled());
        QVERIFY(!Find<QAction>(QStringLiteral("checknewversion1"))->isVisible());

        QList<int> edited;
        m_window->SetJobEditor(
            [](QWidget *) {
                auto job = std::make_unique<Job>();
                job->SyncName = QStringLiteral("Added");
                return job;
            },
            [&edited](QWidget *, int index) { return edited << index, true; });
        QVERIFY(add->isEnabled());
        QTest::mouseClick(add, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(ShownPage(), QStringLiteral("Added"));
        QTest::mouseClick(TabLabel(QStringLiteral("One")), Qt::LeftButton);
        Trigger(QStringLiteral("addnewjobFromTemplate1"));
        QCOMPARE(edited, QList<int>{0});
    }

    // Each change of the jobs reaches the task list file at once, while the window is still
    // open: a killed program keeps what was added, edited, deleted or imported.
    void jobsAreSavedAtEveryChange()
    {
        TaskListFiles::Write(TaskList(), {"One"});
        Open();
        m_window->SetJobEditor(
            [](QWidget *) {
                auto job = std::make_unique<Job>();
                job->SyncName = QStringLiteral("Added");
                return job;
            },
            [this](QWidget *, int index) { return m_jobs->JobAt(index)->SyncName = QStringLiteral("Edited"), true; });
        QTest::mouseClick(Find<ImageButton>(QStringLiteral("bt_addtask")), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"One", "Added"}));
        QTest::mouseClick(TabLabel(QStringLiteral("One")), Qt::LeftButton);
        Trigger(QStringLiteral("addnewjobFromTemplate1"));
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"Edited", "Added"}));
        DeleteShown();
        QCOMPARE(TaskListFiles::Names(TaskList()), QStringList{"Added"});
        const QString other = Folder() + QStringLiteral("other.tkl");
        TaskListFiles::Write(other, {"Imported"});
        QVERIFY(m_window->ImportTaskList(other));
        QCOMPARE(TaskListFiles::Names(TaskList()), QStringList{"Imported"});
    }

    void exportAppendsTheExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "backup" << "backup.tkl";
        QTest::newRow("upper case") << "backup.TKL" << "backup.TKL";
        QTest::newRow("other extension") << "backup.txt" << "backup.txt.tkl";
    }
    void exportAppendsTheExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        // First run: there is no task list file yet; the jobs as they are now are exported.
        Open();
        auto job = std::make_unique<Job>();
        job->SyncName = QStringLiteral("Fresh");
        m_window->AddJob(std::move(job));
        WhenShown<QFileDialog>([this, typed](QFileDialog *dialog) {
            ChooseFile(dialog, Folder() + typed);
        });
        Trigger(QStringLiteral("ExportTaskList1"));
        QCOMPARE(TaskListFiles::Names(Folder() + written), QStringList{"Fresh"});
        // The added job reached the program's own task list when it was added.
        QCOMPARE(TaskListFiles::Names(TaskList()), QStringList{"Fresh"});
    }

    void exportFailureIsSaid()
    {
        TaskListFiles::Write(TaskList(), {"One"});
        Open();
        BoxSeen said;
        AnswerNextBox(said);
        QVERIFY(!m_window->ExportTaskList(Folder() + QStringLiteral("no such folder/out")));
        QVERIFY(said.text.contains(QStringLiteral("could not be exported")));
    }

    void importReplacesTheJobs()
    {
        TaskListFiles::Write(TaskList(), {"One", "Two"});
        const QString other = Folder() + QStringLiteral("other.tkl");
        TaskListFiles::Write(other, {"Same", "Same"});
        Open();
        WhenShown<QFileDialog>([other](QFileDialog *dialog) {
            ChooseFile(dialog, other);
        });
        Trigger(QStringLiteral("ImportTaskList1"));
        QCOMPARE(VisibleTabs(), (QList<QPair<QString, int>>{{"Same", 0}, {"Same", 1}}));
        // Two jobs of one name: each tab shows its own job's page.
        auto *notebook = Find<QStackedWidget>(QStringLiteral("Notebook1"));
        QCOMPARE(notebook->currentIndex(), 1);
        QTest::mouseClick(Find<QWidget>(QStringLiteral("Pl_jobs"))->findChildren<ImageButton *>().at(1),
                          Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(notebook->currentIndex(), 2);
        CloseWindow();
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"Same", "Same"}));
    }

    void importOfAnUnreadableFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("not a task list") << QByteArray("just some words") << true;
    }
    void importOfAnUnreadableFileChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        TaskListFiles::Write(TaskList(), {"One", "Two"});
        const QString other = Folder() + QStringLiteral("other.tkl");
        if (exists) {
            QFile f(other);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        Open();
        BoxSeen said;
        AnswerNextBox(said);
        QVERIFY(!m_window->ImportTaskList(other));
        QVERIFY(said.text.contains(QStringLiteral("could not be read")));
        QCOMPARE(VisibleTabs(), (QList<QPair<QString, int>>{{"One", 0}, {"Two", 1}}));
        CloseWindow();
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"One", "Two"}));
    }

    void runsAreStoppedBeforeTheJobsAreSavedAndImportWaits()
    {
        TaskListFiles::Write(TaskList(), {"One"});
        const QString other = Folder() + QStringLiteral("other.tkl");
        TaskListFiles::Write(other, {"Imported"});
        QStringList namesAtCancel{QStringLiteral("not cancelled")}, calls;
        Open([this, &namesAtCancel, &calls](QWidget *parent) -> AbstractJobPage * {
            return new BusyPage(parent, TaskList(), &namesAtCancel, &calls);
        });
        BoxSeen said;
        AnswerNextBox(said);
        QVERIFY(!m_window->ImportTaskList(other));
        QVERIFY(said.text.contains(QStringLiteral("running")));
        QCOMPARE(VisibleTabs(), (QList<QPair<QString, int>>{{"One", 0}}));

        auto job = std::make_unique<Job>();
        job->SyncName = QStringLiteral("Two");
        m_window->AddJob(std::move(job));
        // A change the window has not saved yet (the add was saved at once).
        m_jobs->JobAt(0)->SyncName = QStringLiteral("Renamed");
        CloseWindow();
        // The run was cancelled while the file still held the jobs as last saved; then saved.
        QCOMPARE(namesAtCancel, (QStringList{"One", "Two"}));
        // Every waiting run is dropped before any run is cancelled.
        QCOMPARE(calls.mid(0, 4), (QStringList{"drop 0", "drop 1", "cancel 0", "cancel 1"}));
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"Renamed", "Two"}));
    }

    void maximiseUsesTheAvailableAreaAndRestores()
    {
        Open();
        auto *big = Find<ImageButton>(QStringLiteral("BigBtn"));
        const QRect area = m_window->screen()->availableGeometry();
        QTest::mouseClick(big, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_window->geometry(), area);
        QTest::mouseClick(big, Qt::LeftButton, {}, QPoint(5, 5));
        QRect restored(QPoint(), QSize(1004, 743));
        restored.moveCenter(area.center());
        QCOMPARE(m_window->geometry(), restored);
    }

    void helpAndHomePageAreOpened()
    {
        m_settings.HomePage = QStringLiteral("http://home.example/corvane/");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "OpenUrl");
        Open();
        Trigger(QStringLiteral("QuickStart1"));
        Trigger(QStringLiteral("HomePage1"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(m_opened, (QList<QUrl>{QUrl::fromLocalFile(Folder() + QStringLiteral("help/index.html")),
                                        QUrl(QStringLiteral("http://home.example/corvane/"))}));
    }

    void aboutBoxCloses_data()
    {
        QTest::addColumn<QPoint>("where");
        QTest::newRow("picture") << QPoint(100, 150);
        QTest::newRow("OK") << QPoint(304 + 40, 220 + 14);
        QTest::newRow("close box") << QPoint(370 + 11, 8 + 8);
    }
    void aboutBoxCloses()
    {
        QFETCH(QPoint, where);
        Open();
        bool closed = false;
        WhenShown<AboutBox>([where, &closed](AboutBox *box) {
            QTest::mouseClick(box->childAt(where), Qt::LeftButton, {}, box->childAt(where)->mapFrom(box, where));
            closed = !box->isVisible();
            if (!closed)
                box->reject();
        });
        Trigger(QStringLiteral("About2"));
        QVERIFY(closed);
    }

    void buttonsShowTheirHoverPictures_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"jobbutton", "actionbutton", "viewbutton", "toolsbutton", "HelpButton", "CloseBtn",
                                 "BigBtn", "MinBtn"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void buttonsShowTheirHoverPictures()
    {
        QFETCH(QString, name);
        Open();
        auto *button = Find<ImageButton>(name);
        const QImage normal = ResourcePicture(name + QLatin1Char('1')).toImage();
        const QImage hover = ResourcePicture(name + QLatin1Char('2')).toImage();
        QVERIFY(!normal.isNull() && !hover.isNull() && normal != hover);
        QCOMPARE(button->Picture().toImage(), normal);
        QTest::mouseMove(button, QPoint(5, 5));
        QTRY_COMPARE(button->Picture().toImage(), hover);
        QTest::mouseMove(m_window, QPoint(300, 400));
        QTRY_COMPARE(button->Picture().toImage(), normal);
    }

    void menusOpenUnderTheirButtons()
    {
        Open();
        auto *button = Find<ImageButton>(QStringLiteral("toolsbutton"));
        QStringList items;
        QPoint at;
        WhenShown<QMenu>(
            [&](QMenu *menu) {
                at = menu->pos();
                for (QAction *a : menu->actions())
                    items << a->text();
                menu->close();
            },
            true);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(items, (QStringList{"&Export Task List...", "&Import Task List..."}));
        // Under the button (the menu moves left only where the screen ends).
        const QPoint under = button->mapToGlobal(QPoint(0, button->height()));
        QCOMPARE(at.y(), under.y());
        QVERIFY(at.x() <= under.x());
    }
};

WIDGET_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
