#include "app/Settings.h"
#include "model/Job.h"
#include "model/JobList.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/TaskListFiles.h"
#include "ui/workspace/MainWindow.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records which jobs the window (re)attached, in order.
class RecordingPage : public AbstractJobPage {
public:
    RecordingPage(QWidget *parent, QList<int> *attached) : AbstractJobPage(parent), m_attached(attached) {}
    void SetJob(int index) override { *m_attached << index; }
    bool RunInProgress() const override { return false; }
    void CancelAndWait() override {}

private:
    QList<int> *m_attached;
};

}  // namespace

class TestStartedAgain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A start handed over from another process runs the start-up options of every job
    // that is not deleted, as the window's own start did; not while a dialog is open.
    void startOptionsRunAgain()
    {
        QTemporaryDir dir;
        QVERIFY(TaskListFiles::Write(dir.filePath(QStringLiteral("tasklist.tkl")), {"One", "Two", "Three"}));
        JobList jobs;
        jobs.LoadTaskList(dir.filePath(QStringLiteral("tasklist.tkl")));
        Settings settings;
        QList<int> attached;
        auto *window = new MainWindow(jobs, settings, dir.path() + QLatin1Char('/'),
                                      [&](QWidget *parent) { return new RecordingPage(parent, &attached); });
        window->SetSaveAtClose(false);
        window->show();
        QTRY_COMPARE(attached, (QList<int>{0, 1, 2}));

        // Deleting the shown job (the first) leaves it out from now on.
        AnswerNextBox(QMessageBox::Yes);
        window->DeleteShownJob();
        QCOMPARE(jobs.JobAt(0)->ListState, 1);
        window->showMinimized();
        attached.clear();

        bool ranWhileOpen = true;
        {
            QDialog dialog(window);
            WhenShown<QDialog>([&](QDialog *d) {
                window->StartedAgain();
                ranWhileOpen = !attached.isEmpty();
                d->accept();
            });
            dialog.exec();
        }
        QVERIFY(!ranWhileOpen);
        QTRY_VERIFY_WITH_TIMEOUT(!attached.isEmpty(), 10000);
        QVERIFY(window->isVisible() && !window->isMinimized());
        QCOMPARE(attached, (QList<int>{1, 2}));
        delete window;
    }
};

WIDGET_TEST_MAIN(TestStartedAgain)
#include "tst_startedagain.moc"
