#include "tests/support/ProcessSignals.h"
#include "tests/support/TaskListFiles.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestSingleStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A scheduled start while the program runs from the same folder hands over and ends
    // without touching the task list; the running program goes on and writes it at its end.
    void secondStartHandsOver()
    {
        TempConfigHome config;
        QTemporaryDir folder;
        const QString program = folder.filePath(QStringLiteral("Corvane"));
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_GUI_PATH), program));
        const QString taskList = folder.filePath(QStringLiteral("tasklist.tkl"));
        QVERIFY(TaskListFiles::Write(taskList, {"Nightly"}));
        QByteArray file = TestFiles::Read(taskList);
        file.replace("</TaskList>", "<!-- not yet saved --></TaskList>");
        QVERIFY(TestFiles::Write(taskList, file));

        QProcess first;
        first.start(program);
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSigterm(first.processId()), 60000);

        QProcess second;
        second.start(program, {QStringLiteral("-Scan")});
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(TestFiles::Read(taskList).contains("not yet saved"));

        ::kill(pid_t(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(!TestFiles::Read(taskList).contains("not yet saved"));
        QCOMPARE(TaskListFiles::Names(taskList), QStringList{"Nightly"});

        // With no program running, a start is an ordinary one again.
        QProcess third;
        third.start(program);
        QVERIFY(third.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(CatchesSigterm(third.processId()), 60000);
        ::kill(pid_t(third.processId()), SIGTERM);
        QVERIFY(third.waitForFinished(60000));
        QCOMPARE(third.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSingleStart)
#include "tst_singlestart.moc"
