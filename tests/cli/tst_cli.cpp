#include "engine/JobNameCheck.h"
#include "model/JobList.h"
#include "tests/support/TestFiles.h"

#include <QDate>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Outcome {
    int exit = -1;
    QStringList out;  // stdout lines, run clock shown as T
    QString err;
};

Outcome RunCli(const QStringList &args, const QString &program = QStringLiteral(CORVANE_CLI_PATH))
{
    QProcess p;
    p.start(program, args);
    Outcome o;
    if (!p.waitForFinished(60000))
        return o;
    o.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    QString out = QString::fromUtf8(p.readAllStandardOutput());
    out.replace(QRegularExpression("used time : \\d\\d:\\d\\d:\\d\\d"), "used time : T");
    o.out = out.split('\n', Qt::SkipEmptyParts);
    o.err = QString::fromUtf8(p.readAllStandardError());
    return o;
}

void AddJob(JobList &list, const QString &name, const QString &left, const QString &right)
{
    auto job = std::make_unique<Job>();
    job->SyncName = name;
    job->SyncID = name;
    job->LFolder.DeviceType = 1;
    job->LFolder.FolerAllName = left;
    job->RFolder.DeviceType = right.startsWith("ftp://") ? 3 : 1;
    job->RFolder.FolerAllName = right;
    job->IncludeFilter = job->ExcludeFilter = FilterBounds();
    list.AddJob(std::move(job));
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_taskListPath;

    QString Path(const QString &rel) const { return m_dir.filePath(rel); }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(Path("right")));
        QVERIFY(TestFiles::Write(Path("left/a.txt"), "a", 1500000000));
        QVERIFY(TestFiles::Write(Path("left/x/y.txt"), "y", 1500000000));
        QVERIFY(TestFiles::Write(Path("blocked/x"), "a file where the left has a folder", 1500000000));
        JobList list;
        AddJob(list, "Plain", Path("left"), Path("right"));
        AddJob(list, "Blocked", Path("left"), Path("blocked"));
        AddJob(list, "Same", Path("left"), Path("left"));
        AddJob(list, "Nested", Path("left"), Path("left/x"));
        AddJob(list, "Gone", Path("missing"), Path("right"));
        AddJob(list, "NoServer", Path("left"), "ftp://127.0.0.1:1/pub");
        AddJob(list, "a:b", Path("left"), Path("right"));
        AddJob(list, "Odd", Path("left"), Path("right"));
        list.JobAt(list.Count() - 1)->RFolder.DeviceType = 0;
        m_taskListPath = Path("tasks.tkl");
        QVERIFY(list.SaveTaskList(m_taskListPath));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("analyze without job") << QStringList{"analyze"};
        QTest::newRow("list with rows") << QStringList{"list", "--rows"};
        QTest::newRow("reasons without rows") << QStringList{"analyze", "Plain", "--why"};
        QTest::newRow("task list without file") << QStringList{"list", "--tasklist"};
        QTest::newRow("unknown option") << QStringList{"--bogus", "list"};
    }

    void badUsage()
    {
        QFETCH(QStringList, args);
        const Outcome o = RunCli(args);
        QCOMPARE(o.exit, 64);
        QVERIFY(o.out.isEmpty());
        QVERIFY(o.err.contains("usage:"));
    }

    void list()
    {
        const Outcome o = RunCli({"--tasklist", m_taskListPath, "list"});
        QCOMPARE(o.exit, 0);
        QCOMPARE(o.out.size(), 8);
        QCOMPARE(o.out.first(), "Plain\t" + Path("left") + "\t" + Path("right"));
        QCOMPARE(o.out.at(5), "NoServer\t" + Path("left") + "\tftp://127.0.0.1:1/pub");
        QVERIFY(o.err.isEmpty());
    }

    void runs_data()
    {
        const QString today = QDate::currentDate().toString("yyyyMMdd");
        const QStringList analysed{"Loading Files......", "Start to analyze files , files total : 2",
                                   "Files loading done , used time : T", "Changed files in the left folders : 0",
                                   "Changed files in the right folders : 2"};
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QStringList>("out");

        QTest::newRow("unknown job") << QStringList{"analyze", "Nobody"} << 2 << QStringList{};
        QTest::newRow("same folders") << QStringList{"analyze", "Same"} << 2
                                      << QStringList{"Left and right folders are the same"};
        QTest::newRow("nested folders") << QStringList{"sync", "Nested"} << 2
                                        << QStringList{"Cannot Analyze nested folders."};
        QTest::newRow("left unreachable") << QStringList{"sync", "Gone"} << 2
                                          << QStringList{"Loading Files......", "Can't connect the left folder!",
                                                         "no such folder: " + Path("missing")};
        QTest::newRow("server unreachable") << QStringList{"analyze", "NoServer"} << 2
                                            << QStringList{"Loading Files......", "Can't connect the right folder!",
                                                           "connection refused"};
        QTest::newRow("name not a file name") << QStringList{"sync", "a:b"} << 2
                                              << QStringList{JobNameRefusedText("a:b")};
        QTest::newRow("side of an unknown kind")
            << QStringList{"sync", "Odd"} << 2
            << QStringList{"The job \"Odd\" cannot run: its left side must be a local folder (kind 1) and its right "
                           "side a local folder (kind 1) or an FTP directory (kind 3); it has 1 and 0."};
        QTest::newRow("analyze") << QStringList{"analyze", "Plain", "--rows"} << 0
                                 << analysed + QStringList{"ROW\t1\t2\ta.txt", "ROW\t1\t2\tx/y.txt"};
        QTest::newRow("analyze, log only") << QStringList{"analyze", "Plain"} << 0 << analysed;
        const QString newOnLeft = QStringLiteral("\tNew on the left \u2192 copy to right");
        QTest::newRow("analyze with reasons")
            << QStringList{"analyze", "Plain", "--rows", "--why"} << 0
            << analysed + QStringList{"ROW\t1\t2\ta.txt" + newOnLeft, "ROW\t1\t2\tx/y.txt" + newOnLeft};

        QStringList synced = analysed;
        const QString move = "Move the file %1 : " + Path("left/%2") + " -> " + Path("right/%2")
                             + " Succeeded,time: " + today;
        synced << move.arg("a.txt", "a.txt") << move.arg("y.txt", "x/y.txt") << "Sync Done , used time : T"
               << "Total numbers of error files : 0; Total numbers of synced files : 2"
               << "ROW\t1\t2\ta.txt" << "ROW\t1\t2\tx/y.txt";
        QTest::newRow("sync") << QStringList{"sync", "Plain", "--rows"} << 0 << synced;

        QStringList blocked = analysed;
        blocked << "Move the file a.txt : " + Path("left/a.txt") + " -> " + Path("blocked/a.txt")
                       + " Succeeded,time: " + today
                << Path("blocked/x/y.txt") + "  Transfer failed!"
                << "In the right folder: cannot write " + Path("blocked/x/y.txt") + ": Not a directory"
                << "Sync Done , used time : T"
                << "Total numbers of error files : 1; Total numbers of synced files : 1";
        blocked.removeAt(1);
        blocked.insert(1, "Start to analyze files , files total : 3");
        QTest::newRow("sync with a failed copy") << QStringList{"sync", "Blocked"} << 1 << blocked;
    }

    void runs()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        const Outcome o = RunCli(QStringList{"--tasklist", m_taskListPath} + args);
        QFETCH(QStringList, out);
        QCOMPARE(o.exit, exit);
        // Files come in the file system's order, so compare as sets; ROW lines come last.
        QStringList got = o.out;
        const qsizetype logLines = got.size() - got.filter(QRegularExpression("^ROW\t")).size();
        for (qsizetype i = logLines; i < got.size(); ++i)
            QVERIFY(got.at(i).startsWith("ROW\t"));
        got.sort();
        out.sort();
        QCOMPARE(got, out);
        // Not a terminal: nothing on stderr but a refusal.
        QCOMPARE(o.err.isEmpty(), o.exit != 2 || !o.out.isEmpty());
    }

    // Without --tasklist the task list beside the program is read; a synchronised job then
    // proposes nothing.
    void defaultTaskListAndSecondRun()
    {
        const QString program = Path("program/corvane-cli");
        QVERIFY(QDir().mkpath(Path("program")));
        QVERIFY(QFile::copy(CORVANE_CLI_PATH, program));
        QVERIFY(QFile::copy(m_taskListPath, Path("program/tasklist.tkl")));
        QCOMPARE(RunCli({"sync", "Plain"}, program).exit, 0);
        const Outcome again = RunCli({"analyze", "Plain", "--rows"}, program);
        QCOMPARE(again.exit, 0);
        QVERIFY(again.out.contains("Changed files in the right folders : 0"));
        QVERIFY(again.out.filter(QRegularExpression("^ROW")).isEmpty());
        QStringList all = RunCli({"analyze", "Plain", "--rows", "--all"}, program).out.filter(QRegularExpression("^ROW"));
        all.sort();
        QCOMPARE(all, (QStringList{"ROW\t0\t0\ta.txt", "ROW\t0\t0\tx/y.txt"}));
        const QStringList why = RunCli({"analyze", "Plain", "--all", "--rows", "--why"}, program).out.filter("ROW");
        QCOMPARE(why.size(), 2);
        // A local right side keeps no state file: times decide there.
        for (const QString &line : why)
            QVERIFY2(line.contains("\tNo sync record on the right; same time on both sides")
                         && line.endsWith("\u2192 nothing to do"),
                     qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
