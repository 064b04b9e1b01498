#include "app/Settings.h"
#include "model/JobList.h"
#include "tests/support/ModalAnswer.h"
#include "tests/ui/DriveWidgets.h"
#include "ui/config/JobEditor.h"
#include "ui/widgets/ImageButton.h"
#include "ui/workspace/JobEditorCommands.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QStackedWidget>
#include <QtTest>

namespace {

// A job page that remembers what it read from its job each time the window attached it.
class ReadingPage : public AbstractJobPage {
public:
    ReadingPage(const JobList &jobs, QWidget *parent) : AbstractJobPage(parent), m_jobs(jobs) {}
    void SetJob(int index) override
    {
        const Job *job = m_jobs.JobAt(index);
        Reads << QStringLiteral("%1 save=%2").arg(job->SyncName).arg(job->SaveOldFile);
    }
    bool RunInProgress() const override { return Running; }
    void CancelAndWait() override { Running = false; }

    QStringList Reads;
    bool Running = false;

private:
    const JobList &m_jobs;
};

}  // namespace

class TestJobEditorCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Settings m_settings;
    JobList m_jobs;
    std::vector<ReadingPage *> m_pages;
    std::unique_ptr<MainWindow> m_window;

private Q_SLOTS:
    void init()
    {
        m_jobs.Clear();
        m_pages.clear();
        m_window = std::make_unique<MainWindow>(m_jobs, m_settings, m_dir.path() + QLatin1Char('/'),
                                                [this](QWidget *parent) -> AbstractJobPage * {
                                                     m_pages.push_back(new ReadingPage(m_jobs, parent));
                                                     return m_pages.back();
                                                 });
        UseJobEditor(*m_window, m_jobs);
        m_window->show();
    }

    void cleanup()
    {
        m_window->SetSaveAtClose(false);
        m_window.reset();
    }

    // A job made in the editor gets its tab and page; editing it changes the live job and
    // the page reads it again.
    void addThenEdit()
    {
        auto *add = control<ImageButton>(*m_window, "bt_addtask");
        QVERIFY(add->isEnabled());
        WhenShown<JobEditor>([](JobEditor *editor) {
            type(control<QLineEdit>(*editor, "edit_taskname"), QStringLiteral("Made here"));
            click(control<ImageButton>(*editor, "OkButton"));
        });
        click(add);
        QCOMPARE(m_jobs.Count(), 1);
        QCOMPARE(m_jobs.JobAt(0)->SyncName, QStringLiteral("Made here"));
        QCOMPARE(m_jobs.JobAt(0)->ListState, 2);
        QCOMPARE(m_pages.size(), size_t(1));
        QCOMPARE(m_pages[0]->Reads, QStringList({QStringLiteral("Made here save=0")}));
        // The first job of an empty window is the one shown.
        QCOMPARE(control<QStackedWidget>(*m_window, "Notebook1")->currentIndex(), 1);

        WhenShown<JobEditor>([](JobEditor *editor) {
            QVERIFY(!control<QLineEdit>(*editor, "edit_taskname")->isEnabled());
            click(control<QCheckBox>(*editor, "cb_savepv"));
            click(control<ImageButton>(*editor, "ApplyButton"));
        });
        m_window->findChild<QAction *>(QStringLiteral("addnewjobFromTemplate1"))->trigger();
        QCOMPARE(m_jobs.JobAt(0)->SaveOldFile, 1);
        QCOMPARE(m_pages[0]->Reads.last(), QStringLiteral("Made here save=1"));
    }

    void cancelledNewJobAddsNothing()
    {
        WhenShown<JobEditor>([](JobEditor *editor) {
            type(control<QLineEdit>(*editor, "edit_taskname"), QStringLiteral("Dropped"));
            click(control<ImageButton>(*editor, "CancelButton"));
        });
        click(control<ImageButton>(*m_window, "bt_addtask"));
        QCOMPARE(m_jobs.Count(), 0);
        QVERIFY(m_pages.empty());
    }

    // A run that starts while the editor is open (a period tick) makes Apply refuse.
    void runStartedWhileEditing()
    {
        auto job = std::make_unique<Job>();
        job->SyncName = QStringLiteral("Busy");
        m_window->AddJob(std::move(job));
        BoxSeen refused;
        WhenShown<JobEditor>([this, &refused](JobEditor *editor) {
            click(control<QCheckBox>(*editor, "cb_savepv"));
            m_pages[0]->Running = true;
            AnswerNextBox(refused);
            click(control<ImageButton>(*editor, "ApplyButton"));
            QVERIFY(editor->isVisible());
            click(control<ImageButton>(*editor, "CancelButton"));
        });
        m_window->EditShownJob();
        QVERIFY(refused.shown);
        QCOMPARE(m_jobs.JobAt(0)->SaveOldFile, 0);
        QCOMPARE(m_pages[0]->Reads.size(), 1);
    }
};

WIDGET_TEST_MAIN(TestJobEditorCommands)
#include "tst_jobeditorcommands.moc"
