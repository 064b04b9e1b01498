#include "model/JobSide.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/ScriptServer.h"
#include "tests/support/TaskListFiles.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSettings.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

constexpr int64_t Old = 1500000000;
const QString Cli = QStringLiteral(CORVANE_CLI_PATH);
// A Cancel acts within about a second; this leaves room for a loaded machine.
constexpr int CancelBoundMs = 5000;

struct Outcome {
    int exit = -1;
    QStringList out;
};

Outcome Finish(QProcess &p, int timeoutMs = 120000)
{
    Outcome o;
    if (!p.waitForFinished(timeoutMs))
        return o;
    o.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return o;
}

// The folders below folder, state folder left out.
QStringList FoldersBelow(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(folder).relativeFilePath(it.next());
        if (!rel.startsWith("__FileSync__"))
            out << rel;
    }
    out.sort();
    return out;
}

}  // namespace

// corvane-cli against servers that fail on purpose: a run never reports success over work
// it did not do, and an interrupt ends even a run that waits on a silent server.
class TestCliFailures : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FtpServerFixture> m_server;
    QString m_taskListPath;

    QString Left(const QString &rel = {}) const { return m_dir.filePath("left") + (rel.isEmpty() ? "" : "/" + rel); }
    QString Right(const QString &rel = {}) const { return m_server->root() + "/pub" + (rel.isEmpty() ? "" : "/" + rel); }

    // One job "Job" between left/ and right.
    void WriteTaskList(const JobSide &right)
    {
        m_taskListPath = m_dir.filePath("tasks.tkl");
        QVERIFY(TaskListFiles::WriteOneJob(m_taskListPath, Left(), right));
    }
    QStringList Args(const QStringList &rest) const { return QStringList{"--tasklist", m_taskListPath} + rest; }
    Outcome Run(const QStringList &rest)
    {
        QProcess p;
        p.start(Cli, Args(rest));
        return Finish(p);
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(Left()));
        m_server = std::make_unique<FtpServerFixture>();
        QVERIFY(QDir().mkpath(Right()));
    }
    void cleanup() { m_server.reset(); }

    // The connect failure line is followed by the server's reply or the transport error, and
    // the run ends with status 2 (fails if the reason is dropped or the status says done).
    void connectFailureSaysWhy_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong password") << "password" << "530 Authentication failed.";
        QTest::newRow("server gone") << "gone" << "connection refused";
    }
    void connectFailureSaysWhy()
    {
        QFETCH(QString, failure);
        QFETCH(QString, reason);
        QVERIFY(m_server->start());
        JobSide right = m_server->source();
        if (failure == "password")
            right.PWD = "wrong";
        else
            m_server->stop();
        WriteTaskList(right);
        const Outcome o = Run({"sync", "Job"});
        QCOMPARE(o.exit, 2);
        QCOMPARE(o.out, (QStringList{"Loading Files......", "Can't connect the right folder!", reason}));
    }

    // A folder whose listing fails because the server went away fails the analysis: nothing
    // is offered (no rows, no end-of-analysis lines). A folder the server refuses to list
    // (550) is passed by as before.
    void listingFailureFailsTheAnalysis_data()
    {
        QTest::addColumn<bool>("serverGoes");
        QTest::addColumn<int>("exit");
        QTest::newRow("server stops between two listings") << true << 2;
        QTest::newRow("one folder refused, 550") << false << 0;
    }
    void listingFailureFailsTheAnalysis()
    {
        QFETCH(bool, serverGoes);
        QFETCH(int, exit);
        for (const char *file : {"d1/a.txt", "d2/b.txt", "d3/c.txt"})
            QVERIFY(TestFiles::Write(Right(file), "r", Old));
        if (serverGoes)
            m_server->setExitAt("MLSD", 3);
        else
            m_server->setFolderPermissions("pub/d2", "");
        QVERIFY(m_server->start());
        WriteTaskList(m_server->source());
        const Outcome o = Run({"analyze", "Job", "--rows"});
        QCOMPARE(o.exit, exit);
        if (serverGoes) {
            QCOMPARE(o.out.size(), 2);
            QCOMPARE(o.out.first(), QString("Loading Files......"));
            QVERIFY2(QRegularExpression("^Reading the folder /pub/d\\d/ failed: connection (refused|lost .*)$").match(o.out.last()).hasMatch(),
                     qPrintable(o.out.last()));
        } else {
            QCOMPARE(o.out.filter(QRegularExpression("^ROW")).size(), 2);
            QVERIFY(o.out.filter("failed").isEmpty());
        }
    }

    // The server goes away in the middle of the synchronisation: the run stops with status 1,
    // says how many files were copied and how many were not, makes no folder for a file it
    // did not copy, and the left state file records the copy that was made.
    void lostConnectionStopsTheSync()
    {
        for (const char *file : {"d1/a.txt", "d2/b.txt", "d3/c.txt"})
            QVERIFY(TestFiles::Write(Right(file), "r", Old));
        // The second file's download (the missing state file is asked for with SIZE alone),
        // on one connection, so that exactly one copy was made before.
        const TempConfigHome config;
        QVERIFY(TestSettings::WriteDword("FtpConnections", 1));
        m_server->setExitAt("RETR", 2);
        QVERIFY(m_server->start());
        WriteTaskList(m_server->source());
        const Outcome o = Run({"sync", "Job"});
        QCOMPARE(o.exit, 1);
        QCOMPARE(o.out.filter("Move the file").size(), 1);
        QCOMPARE(o.out.filter(QRegularExpression("^Sync stopped: connection lost: connection (refused|lost)")).size(), 1);
        QVERIFY(o.out.contains("Files copied : 1; files not copied : 2"));
        QCOMPARE(o.out.filter(QRegularExpression("^The state of the right folder could not be saved: connection (refused|lost)")).size(), 1);
        QVERIFY(o.out.filter("Sync Done").isEmpty());
        QCOMPARE(TestFiles::FilesBelow(Left()).filter(QRegularExpression("^d")).size(), 1);
        const QString copied = TestFiles::FilesBelow(Left()).filter(QRegularExpression("^d")).first();
        QCOMPARE(FoldersBelow(Left()), QStringList{copied.section('/', 0, 0)});
        QVERIFY(TestFiles::Read(Left("__FileSync__/Job")).contains(copied.section('/', 1).toUtf8()));
    }

    // SIGINT ends a run that waits on a server that never answers (at the greeting, or in
    // the middle of a listing) within seconds, with status 130 and no success line.
    void interruptEndsAStalledRun_data()
    {
        QTest::addColumn<QString>("stall");
        QTest::newRow("silent at the greeting") << "greeting";
        QTest::newRow("stalled in a listing") << "listing";
    }
    void interruptEndsAStalledRun()
    {
        QFETCH(QString, stall);
        ScriptServer silent;
        JobSide right;
        if (stall == "greeting") {
            const int port = silent.start("silentserver.py", {});
            QVERIFY(port > 0);
            right = m_server->source();
            right.FolerAllName = QStringLiteral("ftp://127.0.0.1:%1/pub").arg(port);
        } else {
            QVERIFY(TestFiles::Write(Right("d1/a.txt"), "r", Old));
            m_server->setStallAt("MLSD", 2);
            QVERIFY(m_server->start());
            right = m_server->source();
        }
        WriteTaskList(right);
        QProcess p;
        p.start(Cli, Args({"analyze", "Job"}));
        QVERIFY(p.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(p.state(), QProcess::Running);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
        const Outcome o = Finish(p, CancelBoundMs);
        QVERIFY2(clock.elapsed() < CancelBoundMs, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(o.exit, 130);
        QVERIFY(o.out.filter("Done").isEmpty());
        QVERIFY(o.out.filter("connect the").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliFailures)
#include "tst_clifailures.moc"
