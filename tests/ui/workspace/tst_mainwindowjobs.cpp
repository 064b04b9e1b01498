#include "platform/FtpSessionPool.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/TaskListFiles.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/DriveWidgets.h"
#include "tests/ui/MainWindowUnderTest.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/widgets/ImageButton.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

constexpr int Wait = 30000;
constexpr int64_t Old = 1500000000;

}  // namespace

// The main window over real job pages: what a page changes in its job reaches the task list
// at once, and Close ends the window promptly also while a run waits on a server that
// stopped answering.
class TestMainWindowJobs : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowUnderTest> m_ui;
    std::unique_ptr<FtpServerFixture> m_server;

    QString Path(const QString &rel) const { return m_ui->Path(rel); }
    QString Left(const QString &rel = {}) const { return Path("left") + (rel.isEmpty() ? "" : "/" + rel); }
    QString Remote(const QString &rel) const { return m_server->root() + "/pub/" + rel; }
    QString TaskList() const { return Path("program/tasklist.tkl"); }

    void AddFtpJob(const QString &name)
    {
        QVERIFY(QDir().mkpath(Left()));
        QVERIFY(QDir().mkpath(m_server->root() + "/pub"));
        auto job = std::make_unique<Job>();
        job->SyncName = name;
        job->LFolder.DeviceType = 1;
        job->LFolder.FolerAllName = Left();
        job->RFolder = m_server->source();
        m_ui->Jobs.AddJob(std::move(job));
    }
    void Open()
    {
        m_ui->Make();
        QVERIFY(m_ui->Show());
    }
    JobPage *Shown() const { return m_ui->Shown(); }
    template <class T> T *OnPage(const char *name) const { return Shown()->findChild<T *>(QString::fromLatin1(name)); }
    QString Status() const { return m_ui->Status(); }
    QStringList LogLines() const { return OnPage<QTextEdit>("memo1")->toPlainText().split('\n'); }
    void Click(const char *button) { QTest::mouseClick(OnPage<ImageButton>(button), Qt::LeftButton); }

private Q_SLOTS:
    void init()
    {
        m_ui = std::make_unique<MainWindowUnderTest>();
        m_server = std::make_unique<FtpServerFixture>();
    }
    void cleanup()
    {
        m_ui.reset();
        m_server.reset();
    }

    // A folder chosen with Browse is in the task list file before anything else happens: a
    // killed program keeps it.
    void browsedFolderIsSavedAtOnce()
    {
        QVERIFY(m_server->start());
        AddFtpJob("Job");
        Open();
        QVERIFY(m_ui->Jobs.SaveTaskList(TaskList()));
        const QString other = Path("other");
        QVERIFY(QDir().mkpath(other));
        WhenShown<LocalFolderChooser>([&](LocalFolderChooser *chooser) {
            control<QLineEdit>(*chooser, "Edit_Address")->setText(other);
            click(control<ImageButton>(*chooser, "OkButton"));
        });
        Click("bt_LBrowse");
        QCOMPARE(OnPage<QLineEdit>("Edit_LFolder")->text(), other);
        JobList stored;
        QCOMPARE(stored.LoadTaskList(TaskList()), JobList::LoadResult::Complete);
        QCOMPARE(stored.Count(), 1);
        QCOMPARE(stored.JobAt(0)->LFolder.FolerAllName, other);
        QCOMPARE(stored.JobAt(0)->RFolder.FolerAllName, m_server->source().FolerAllName);
    }

    // Close during a run whose server stops answering: the window goes within a few seconds
    // (the run is cancelled, what it still writes to the server gets a short time), and the
    // page's log says how the run ended and that the server's state file was not written.
    void closeDuringAStalledRun_data()
    {
        QTest::addColumn<QString>("stallAt");  // command:n at which the server stops answering
        QTest::addColumn<bool>("sync");
        QTest::addColumn<QStringList>("logged");  // lines the page's log holds afterwards
        QTest::addColumn<QStringList>("leftFiles");
        QTest::newRow("listing") << "MLSD:2" << false << QStringList{"Analysis cancelled"} << QStringList{"d/a.txt"};
        QTest::newRow("upload") << "STOR:1" << true
                                << QStringList{"Files copied : 0; files not copied : 2",
                                               "The state of the right folder could not be saved: no answer within "
                                               "1.5 s of the cancel"}
                                << QStringList{"__FileSync__/Job", "d/a.txt", "e/b.txt"};
        QTest::newRow("second upload") << "STOR:2" << true
                                       << QStringList{"Files copied : 1; files not copied : 1",
                                                      "The state of the right folder could not be saved: no answer "
                                                      "within 1.5 s of the cancel"}
                                       << QStringList{"__FileSync__/Job", "d/a.txt", "e/b.txt"};
    }
    void closeDuringAStalledRun()
    {
        QFETCH(QString, stallAt);
        QFETCH(bool, sync);
        QFETCH(QStringList, logged);
        QFETCH(QStringList, leftFiles);
        // The uploads go one after the other, so the stall meets the one the row names.
        FtpSessionPool::Global().SetConnections(1);
        const auto restore = qScopeGuard([] { FtpSessionPool::Global().SetConnections(4); });
        QVERIFY(TestFiles::Write(Left("d/a.txt"), "a", Old));
        if (sync)
            QVERIFY(TestFiles::Write(Left("e/b.txt"), "b", Old));
        else
            QVERIFY(TestFiles::Write(Remote("d/a.txt"), "a", Old));
        m_server->setStallAt(stallAt.section(':', 0, 0), stallAt.section(':', 1).toInt());
        QVERIFY(m_server->start());
        AddFtpJob("Job");
        Open();
        Click("BitBtn_Analyze");
        if (sync) {
            QTRY_COMPARE_WITH_TIMEOUT(Status(), QString(" Analyzing Done!"), Wait);
            Click("BitBtn_Sync");
        }
        // The server has stopped answering and the run waits for it.
        QTest::qWait(1000);
        QVERIFY2(Shown()->RunInProgress(), qPrintable(LogLines().join('\n')));

        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(m_ui->Find<ImageButton>("CloseBtn"), Qt::LeftButton);
        const qint64 took = clock.elapsed();
        QVERIFY(!m_ui->Window->isVisible());
        QVERIFY(!Shown()->RunInProgress());
        // Two seconds when the machine is idle; the bound leaves room for a loaded one.
        QVERIFY2(took < 8000, qPrintable(QString::number(took)));
        const QStringList log = LogLines();
        for (const QString &line : logged)
            QVERIFY2(log.contains(line), qPrintable(log.join('\n')));
        QVERIFY2(log.filter(sync ? "Sync Done" : "Analyzing Done").isEmpty(), qPrintable(log.join('\n')));
        QCOMPARE(TestFiles::FilesBelow(Left()).filter(QRegularExpression("^(d|e|__FileSync__/Job$)")), leftFiles);
    }
};

WIDGET_TEST_MAIN(TestMainWindowJobs)
#include "tst_mainwindowjobs.moc"
