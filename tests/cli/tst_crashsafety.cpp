#include "engine/JobLock.h"
#include "folders/SafeCopy.h"
#include "model/JobSide.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/TaskListFiles.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSettings.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

using TestFiles::TemporaryFiles;
using TestFiles::UserFiles;

namespace {

constexpr int64_t Old = 1500000000;
constexpr int64_t Newer = 1600000000;
const QString Cli = QStringLiteral(CORVANE_CLI_PATH);

struct Outcome {
    int exit = -1;
    QStringList out;
};

Outcome Finish(QProcess &p)
{
    Outcome o;
    if (!p.waitForFinished(120000))
        return o;
    o.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return o;
}

Outcome RunCli(const QStringList &args)
{
    QProcess p;
    p.start(Cli, args);
    return Finish(p);
}

// Content that shows which copy a file holds, and where a partial one stops.
QByteArray Content(char mark, qsizetype size)
{
    QByteArray c(size, mark);
    for (qsizetype i = 0; i < size; i += 4096)
        c[i] = char('0' + (i / 4096) % 10);
    return c;
}


// Waits until copies under way have written some bytes to count temporary files in folder,
// then stops the process there (SIGSTOP: at once, wherever it is). True when it was stopped
// with those copies still partial; the caller kills or continues it.
bool StopWhileCopying(QProcess &p, const QString &folder, qint64 fullSize, int count = 1)
{
    const auto partial = [&] {
        int n = 0;
        for (const QString &t : TemporaryFiles(folder)) {
            const qint64 size = QFileInfo(folder + "/" + t).size();
            n += size > 0 && size < fullSize ? 1 : 0;
        }
        return n;
    };
    while (p.state() == QProcess::Running) {
        if (partial() >= count) {
            ::kill(pid_t(p.processId()), SIGSTOP);
            if (partial() >= count)
                return true;
            ::kill(pid_t(p.processId()), SIGCONT);
        }
        p.waitForFinished(2);
    }
    return false;
}

QStringList Rows(const QStringList &out) { return out.filter(QRegularExpression("^ROW\t")); }


}  // namespace

// A real corvane-cli killed, interrupted or doubled while it copies: the next run finishes
// or undoes what was under way, and no partial or temporary file ever takes a user's name.
class TestCrashSafety : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FtpServerFixture> m_server;
    QString m_taskListPath;
    // The programs started read their connection count here.
    std::unique_ptr<TempConfigHome> m_config;

    QString Left(const QString &rel = {}) const { return m_dir.filePath("left") + (rel.isEmpty() ? "" : "/" + rel); }
    QString Right(const QString &rel = {}) const
    {
        const QString base = m_server ? m_server->root() + "/pub" : m_dir.filePath("right");
        return base + (rel.isEmpty() ? "" : "/" + rel);
    }

    // One job "Job" between left/ and the server's /pub (or right/).
    void WriteTaskList()
    {
        JobSide right;
        if (m_server) {
            right = m_server->source();
        } else {
            right.DeviceType = 1;
            right.FolerAllName = Right();
        }
        m_taskListPath = m_dir.filePath("tasks.tkl");
        QVERIFY(TaskListFiles::WriteOneJob(m_taskListPath, Left(), right));
    }

    // A server that sends and takes bytesPerSecond at the most (0: no limit), same files.
    void StartServer(int bytesPerSecond)
    {
        m_server->stop();
        m_server->setThrottle(bytesPerSecond);
        QVERIFY(m_server->start());
        WriteTaskList();
    }

    QStringList Args(const QStringList &rest) const { return QStringList{"--tasklist", m_taskListPath} + rest; }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(Left()));
        m_server.reset();
        // The program's default connection count, unless a test sets one.
        m_config = std::make_unique<TempConfigHome>();
    }

    void cleanup()
    {
        m_server.reset();
        m_config.reset();
    }

    // SIGKILL in the middle of the copy of large files (one, or one on each of four
    // connections at once); then an analysis, a sync and one more analysis, as the user
    // would run them.
    void killedInTheMiddleOfACopy_data()
    {
        QTest::addColumn<bool>("ftp");
        QTest::addColumn<bool>("toRight");
        QTest::addColumn<int>("connections");
        QTest::newRow("upload to FTP") << true << true << 1;
        QTest::newRow("download from FTP") << true << false << 1;
        QTest::newRow("four uploads to FTP at once") << true << true << 4;
        QTest::newRow("four downloads from FTP at once") << true << false << 4;
        QTest::newRow("copy to a local right side") << false << true << 1;
        QTest::newRow("copy from a local right side") << false << false << 1;
    }

    void killedInTheMiddleOfACopy()
    {
        QFETCH(bool, ftp);
        QFETCH(bool, toRight);
        QFETCH(int, connections);
        // Over FTP the server holds each transfer to 256 KiB/s; a local copy is not slowed
        // down, so it gets a file large enough to be caught while it is written.
        const qsizetype size = ftp ? (2 << 20) : (48 << 20);
        const QByteArray oldContent = Content('o', size), newContent = Content('n', size);
        QStringList names;
        for (int i = 0; i < connections; ++i)
            names << (connections == 1 ? QStringLiteral("d/f.bin") : QStringLiteral("d/f%1.bin").arg(i));
        const auto source = [&](const QString &name) { return toRight ? Left(name) : Right(name); };
        const auto target = [&](const QString &name) { return toRight ? Right(name) : Left(name); };
        QString targetFolder;
        QProcess first;
        bool caught = false;
        // On a starved machine a copy can end between two looks; such a try starts over.
        for (int attempt = 0; attempt < 3 && !caught; ++attempt) {
            if (attempt > 0)
                init();
            QVERIFY(TestSettings::WriteDword("FtpConnections", uint32_t(connections)));
            if (ftp) {
                m_server = std::make_unique<FtpServerFixture>();
                QVERIFY(QDir().mkpath(Right()));
            }
            targetFolder = QFileInfo(target(names.first())).path();
            for (const QString &name : names) {
                QVERIFY(TestFiles::Write(source(name), newContent, Newer));
                QVERIFY(TestFiles::Write(target(name), oldContent, Old));
            }
            for (const QString &side : {Left(), Right()})
                QVERIFY(TestFiles::Write(side + "/d/report.p", "the user's own report.p", Old));
            if (ftp)
                StartServer(256 << 10);
            else
                WriteTaskList();

            first.start(Cli, Args({"sync", "Job"}));
            QVERIFY(first.waitForStarted());
            caught = StopWhileCopying(first, targetFolder, size, connections);
        }
        QVERIFY2(caught, "the copies ended before they could be interrupted");
        first.kill();
        QVERIFY(first.waitForFinished());
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);

        // The real names hold the old content, whole; the new one waits under temporary names.
        for (const QString &name : names) {
            QCOMPARE(TestFiles::Read(target(name)), oldContent);
            QCOMPARE(TestFiles::Read(source(name)), newContent);
        }
        QCOMPARE(TemporaryFiles(targetFolder).size(), connections);

        const Outcome analysed = RunCli(Args({"analyze", "Job", "--rows"}));
        QCOMPARE(analysed.exit, 0);
        QStringList undone, rows;
        for (const QString &name : names) {
            undone << SafeCopy::UndoneText(ftp && toRight ? "/pub/" + name : target(name));
            rows << (toRight ? "ROW\t4\t2\t" : "ROW\t3\t1\t") + name;
        }
        QStringList recovered = analysed.out.filter("Interrupted copy"), proposed = Rows(analysed.out);
        recovered.sort();
        proposed.sort();
        QCOMPARE(recovered, undone);
        QCOMPARE(proposed, rows);
        QCOMPARE(TemporaryFiles(Left()) + TemporaryFiles(Right()), QStringList{});

        if (ftp)
            StartServer(0);
        const Outcome synced = RunCli(Args({"sync", "Job"}));
        QCOMPARE(synced.exit, 0);
        QVERIFY(synced.out.contains(
            QStringLiteral("Total numbers of error files : 0; Total numbers of synced files : %1").arg(connections)));
        for (const QString &side : {Left(), Right()}) {
            QCOMPARE(UserFiles(side), names + QStringList{"d/report.p"});
            for (const QString &name : names)
                QCOMPARE(TestFiles::Read(side + "/" + name), newContent);
            QCOMPARE(TestFiles::Read(side + "/d/report.p"), QByteArray("the user's own report.p"));
        }
        QCOMPARE(Rows(RunCli(Args({"analyze", "Job", "--rows"})).out), QStringList{});
    }

    // Killed between setting the old copy aside and moving the new one into place: the
    // next run puts the old copy back (journal step "swapping", target missing), and the
    // user's own report.p, named like a keep-aside copy, is not touched.
    void killedBetweenTheTwoRenames()
    {
        QVERIFY(TestFiles::Write(Left("f.bin"), "new", Newer));
        QVERIFY(TestFiles::Write(m_dir.filePath("right/f.bin.p"), "old", Old));
        QVERIFY(TestFiles::Write(m_dir.filePath("right/f.bin.cvtmp0123abcd"), "new", Newer));
        QVERIFY(TestFiles::Write(m_dir.filePath("right/report.p"), "the user's own report.p", Old));
        QVERIFY(TestFiles::Write(Left("report.p"), "the user's own report.p", Old));
        WriteTaskList();
        // What the killed run had written down.
        QVERIFY(TestFiles::Write(Left("__FileSync__/__Run__/Job.journal"),
                                 QStringLiteral(R"({"format":1,"entries":[{"folder":"%1","target":"%2","temporary":"%3",)"
                                                R"("aside":"%4","step":"swapping"}]})")
                                     .arg(Right(), Right("f.bin"), Right("f.bin.cvtmp0123abcd"), Right("f.bin.p"))
                                     .toUtf8()));

        const Outcome analysed = RunCli(Args({"analyze", "Job", "--rows"}));
        QCOMPARE(analysed.exit, 0);
        QCOMPARE(analysed.out.filter("Interrupted copy"), QStringList{SafeCopy::UndoneText(Right("f.bin"))});
        QCOMPARE(TestFiles::Read(Right("f.bin")), QByteArray("old"));
        QCOMPARE(UserFiles(Right()), (QStringList{"f.bin", "report.p"}));
        QCOMPARE(TestFiles::Read(Right("report.p")), QByteArray("the user's own report.p"));
        QCOMPARE(Rows(analysed.out), QStringList{"ROW\t4\t2\tf.bin"});
        QVERIFY(!QFileInfo::exists(Left("__FileSync__/__Run__/Job.journal")));
        QCOMPARE(RunCli(Args({"analyze", "Job"})).out.filter("Interrupted copy"), QStringList{});
    }

    // A second program refuses the job while the first copies; SIGINT then cuts the copy in
    // hand short (the server keeps no partial or temporary file), starts no other, writes the
    // state files with what was copied and ends with status 130, saying what it left.
    void secondRunRefusedAndInterruptEndsCleanly()
    {
        m_server = std::make_unique<FtpServerFixture>();
        QVERIFY(QDir().mkpath(Right()));
        const QByteArray a = Content('a', 512 << 10), b = Content('b', 512 << 10);
        QVERIFY(TestFiles::Write(Left("a.bin"), a, Old));
        QVERIFY(TestFiles::Write(Left("b.bin"), b, Old));
        StartServer(128 << 10);

        QProcess first;
        first.start(Cli, Args({"sync", "Job"}));
        QVERIFY(first.waitForStarted());
        QVERIFY(StopWhileCopying(first, Right(), a.size()));
        ::kill(pid_t(first.processId()), SIGCONT);

        const Outcome second = RunCli(Args({"sync", "Job"}));
        QCOMPARE(second.exit, 2);
        QCOMPARE(second.out, (QStringList{"Loading Files......", JobLock::RefusedText("Job")}));

        QCOMPARE(::kill(pid_t(first.processId()), SIGINT), 0);
        const Outcome interrupted = Finish(first);
        QCOMPARE(interrupted.exit, 130);
        // On a slow machine the first copy may have ended before the signal came.
        const qsizetype copied = interrupted.out.filter("Move the file").size();
        QVERIFY(copied <= 1);
        QVERIFY(interrupted.out.contains(QStringLiteral("Files copied : %1; files not copied : %2").arg(copied).arg(2 - copied)));
        QVERIFY(interrupted.out.filter("Sync Done").isEmpty());
        const QStringList onServer = UserFiles(Right());
        QCOMPARE(onServer.size(), copied);
        QVERIFY(TemporaryFiles(Right()).isEmpty());
        for (const QString &file : onServer)
            QCOMPARE(TestFiles::Read(Right(file)), file == "a.bin" ? a : b);
        // Both state files hold the copies that were made: only the others are proposed.
        StartServer(0);
        QStringList proposed;
        for (const QString &file : {QStringLiteral("a.bin"), QStringLiteral("b.bin")})
            if (!onServer.contains(file))
                proposed << "ROW\t1\t2\t" + file;
        QStringList rows = Rows(RunCli(Args({"analyze", "Job", "--rows"})).out);
        rows.sort();
        QCOMPARE(rows, proposed);
        for (const QString &file : onServer)
            QVERIFY(TestFiles::Read(Right("__FileSync__/Job")).contains(file.toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
