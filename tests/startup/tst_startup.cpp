#include "startup/CorvaneProgram.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/ProcessSignals.h"
#include "tests/support/TaskListFiles.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "ui/workspace/MainWindow.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

QByteArray WithThirdJobDamaged(const QByteArray &file)
{
    QByteArray out = file;
    qsizetype at = -1;
    for (int i = 0; i < 3; ++i)
        at = out.indexOf("<Hours>", at + 1);
    out.replace(at, qsizetype(strlen("<Hours>0</Hours>")), "<Hours>two</Hours>");
    return out;
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TempConfigHome> m_config;
    QString Folder() const { return m_dir->path() + QLatin1Char('/'); }
    QString TaskList() const { return Folder() + QStringLiteral("tasklist.tkl"); }

    // Starts the program on the folder, answering its messages, then closes it.
    QStringList StartAndClose(const std::function<void(CorvaneProgram &)> &meanwhile = {})
    {
        MessageBoxAnswerer boxes;
        {
            CorvaneProgram program(Folder());
            if (!program.Start())
                return {QStringLiteral("did not start")};
            if (meanwhile)
                meanwhile(program);
            program.Window()->close();
        }
        return boxes.texts();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_config = std::make_unique<TempConfigHome>();
    }

    void startsWithTheJobsAndSavesThem()
    {
        TaskListFiles::Write(TaskList(), {"One", "Two"});
        QStringList shown;
        const QStringList said = StartAndClose([&shown](CorvaneProgram &p) {
            // The job's page shows the job's folders.
            shown << p.Window()->findChild<QWidget *>(QStringLiteral("Notebook1"))->findChild<QWidget *>(QStringLiteral("One"))
                         ->findChild<QLineEdit *>(QStringLiteral("Edit_RFolder"))->text();
            QCOMPARE(p.ProgramSettings().len_down, 6);  // the settings were read first
            auto job = std::make_unique<Job>();
            job->SyncName = QStringLiteral("Three");
            p.Window()->AddJob(std::move(job));
        });
        QVERIFY(said.isEmpty());
        QCOMPARE(shown, QStringList{"ftp://127.0.0.1/One"});
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"One", "Two", "Three"}));
        QVERIFY(!QFile::exists(TaskList() + QStringLiteral(".bak")));
    }

    void jobsThatCouldNotBeReadAreKept_data()
    {
        QTest::addColumn<bool>("damagedJob");  // else the whole file is unreadable
        QTest::addColumn<QByteArray>("earlierBak");
        QTest::addColumn<QString>("keptAs");
        QTest::newRow("third job damaged") << true << QByteArray() << "tasklist.tkl.bak";
        QTest::newRow("no XML at all") << false << QByteArray() << "tasklist.tkl.bak";
        QTest::newRow("an earlier copy stays") << true << QByteArray("earlier") << "tasklist.tkl.2.bak";
    }
    void jobsThatCouldNotBeReadAreKept()
    {
        QFETCH(bool, damagedJob);
        QFETCH(QByteArray, earlierBak);
        QFETCH(QString, keptAs);
        TaskListFiles::Write(TaskList(), {"One", "Two", "Three", "Four"});
        const QByteArray original = damagedJob ? WithThirdJobDamaged(TestFiles::Read(TaskList())) : "no task list";
        QVERIFY(TestFiles::Write(TaskList(), original));
        if (!earlierBak.isEmpty())
            QVERIFY(TestFiles::Write(TaskList() + QStringLiteral(".bak"), earlierBak));

        const QStringList said = StartAndClose([](CorvaneProgram &p) {
            auto job = std::make_unique<Job>();
            job->SyncName = QStringLiteral("New");
            p.Window()->AddJob(std::move(job));
        });
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.constFirst().contains(Folder() + keptAs), qPrintable(said.constFirst()));
        QCOMPARE(TestFiles::Read(Folder() + keptAs), original);
        if (!earlierBak.isEmpty())
            QCOMPARE(TestFiles::Read(TaskList() + QStringLiteral(".bak")), earlierBak);
        const QStringList read = damagedJob ? QStringList{"One", "Two"} : QStringList{};
        QCOMPARE(TaskListFiles::Names(TaskList()), read + QStringList{"New"});

        // Told once: the next start reads every job and says nothing.
        QVERIFY(StartAndClose().isEmpty());
        QCOMPARE(TestFiles::Read(Folder() + keptAs), original);
    }

    // A termination request while the start-up message is open ends the program within
    // seconds (the box is closed, not waited for), with the jobs that could be read saved.
    void terminationClosesTheStartUpMessage()
    {
        const QString program = Folder() + QStringLiteral("Corvane");
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_GUI_PATH), program));
        TaskListFiles::Write(TaskList(), {"One", "Two", "Three", "Four"});
        QVERIFY(TestFiles::Write(TaskList(), WithThirdJobDamaged(TestFiles::Read(TaskList()))));
        QProcess corvane;
        corvane.start(program, {});
        QVERIFY(corvane.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSigterm(corvane.processId()), 60000);
        // The message box shows once the window is up; until it is dismissed it waits.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(TaskList() + QStringLiteral(".bak")), 60000);
        QTest::qWait(1000);
        ::kill(pid_t(corvane.processId()), SIGTERM);
        QVERIFY(corvane.waitForFinished(10000));
        QCOMPARE(corvane.exitStatus(), QProcess::NormalExit);
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"One", "Two"}));
    }

    void theProgramFindsItsTaskListFromAnyFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no arguments") << QStringList();
        QTest::newRow("scheduled start") << QStringList{"-Scan"};
    }
    void theProgramFindsItsTaskListFromAnyFolder()
    {
        QFETCH(QStringList, arguments);
        const QString program = Folder() + QStringLiteral("Corvane");
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_GUI_PATH), program));
        TaskListFiles::Write(TaskList(), {"Beside", "The program"});
        // A note inside the list goes when the program writes the list at its end.
        QByteArray file = TestFiles::Read(TaskList());
        file.replace("</TaskList>", "<!-- not yet saved --></TaskList>");
        QVERIFY(TestFiles::Write(TaskList(), file));
        QTemporaryDir elsewhere;
        TaskListFiles::Write(elsewhere.filePath(QStringLiteral("tasklist.tkl")), {"Wrong"});

        QProcess corvane;
        corvane.setWorkingDirectory(elsewhere.path());
        corvane.start(program, arguments);
        QVERIFY(corvane.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSigterm(corvane.processId()), 60000);
        // Ending the session closes the window the way the close box does: the jobs are saved.
        ::kill(pid_t(corvane.processId()), SIGTERM);
        QVERIFY(corvane.waitForFinished(60000));
        QCOMPARE(corvane.exitStatus(), QProcess::NormalExit);
        QCOMPARE(corvane.exitCode(), 0);
        QVERIFY(!TestFiles::Read(TaskList()).contains("not yet saved"));
        QCOMPARE(TaskListFiles::Names(TaskList()), (QStringList{"Beside", "The program"}));
        QCOMPARE(TaskListFiles::Names(elsewhere.filePath(QStringLiteral("tasklist.tkl"))), QStringList{"Wrong"});
    }
};

WIDGET_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
