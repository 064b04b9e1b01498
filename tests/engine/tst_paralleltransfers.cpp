#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/RowTree.h"
#include "engine/Synchronisation.h"
#include "model/Job.h"
#include "platform/FtpSessionPool.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TestFiles.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

using TestFiles::TemporaryFiles;
using TestFiles::UserFiles;

namespace {

constexpr int64_t Old = 1500000000;
constexpr int64_t Newer = 1600000000;

// Content that says which file and which generation it is, of a size that varies by file.
QByteArray Content(const QString &name, char generation, qsizetype size)
{
    QByteArray c = (name + ':' + generation + ';').toUtf8();
    while (c.size() < size)
        c += c;
    return c.left(size);
}

// What a target holds before the run, where it holds anything.
QByteArray OldContent(const QString &name) { return Content(name, 'o', 3000); }



}  // namespace

// Synchronisations that copy on several FTP connections at once, against a real server:
// every guarantee of a copy made on one connection holds for each file.
class TestParallelTransfers : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FtpServerFixture> m_server;
    std::unique_ptr<Job> m_job;
    std::unique_ptr<AnalysisResult> m_result;
    std::unique_ptr<RowTree> m_rows;

    QString Left(const QString &rel = {}) const { return m_dir.filePath("left") + (rel.isEmpty() ? "" : "/" + rel); }
    QString Right(const QString &rel = {}) const
    {
        return m_server->root() + "/pub" + (rel.isEmpty() ? "" : "/" + rel);
    }

    void StartServer(int throttle = 0, bool mlsd = true)
    {
        m_server->stop();
        m_server->setThrottle(throttle);
        m_server->setCommandLog(true);
        QVERIFY(m_server->start(mlsd));
        m_job->RFolder = m_server->source();
    }

    // File rows to copy after an analysis.
    int Analyse()
    {
        m_job->CancelFlag = 0;
        m_result = std::make_unique<AnalysisResult>();
        RecordingListener listener;
        Analysis(*m_job, listener, *m_result).Execute();
        m_rows = std::make_unique<RowTree>(*m_job);
        m_rows->BuildView(*m_result->ResultRoot, RowTree::ModeChanges);
        return m_result->Completed ? CountFiles(*m_rows->RootNode()) : -1;
    }

    static int CountFiles(const Row &node)
    {
        int n = 0;
        for (int i = 0; i < node.ChildCount(); ++i)
            n += node.Child(i)->Data.Kind == 1 ? CountFiles(*node.Child(i)) : 1;
        return n;
    }

    // 24 files in folders of three levels, some new on the target, some replacing an older copy.
    QStringList MakeFiles(const QString &source, const QString &target)
    {
        QStringList names;
        for (int i = 0; i < 24; ++i) {
            const QString name = QStringLiteral("f%1/%2/file %3.txt").arg(i % 3).arg(i % 2 ? "deep/er" : "one").arg(i);
            names << name;
            TestFiles::Write(source + "/" + name, Content(name, 'n', 1000 + 997 * i), Newer);
            if (i % 4 == 0)
                TestFiles::Write(target + "/" + name, OldContent(name), Old);
        }
        names.sort();
        return names;
    }


private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(Left()));
        m_server = std::make_unique<FtpServerFixture>();
        QVERIFY(QDir().mkpath(Right()));
        m_job = std::make_unique<Job>();
        m_job->SyncName = "Job";
        m_job->LFolder.DeviceType = 1;
        m_job->LFolder.FolerAllName = Left();
        FtpSessionPool::Global().SetConnections(4);
    }

    void cleanup()
    {
        m_rows.reset();
        m_result.reset();
        FtpSessionPool::Global().SetConnections(1);
        m_server.reset();
    }

    // Both ways, with MLSD and with LIST: every file arrives byte for byte, each copy is
    // logged once, both state files record every file (the next analysis proposes nothing),
    // and the work was spread over more than one connection.
    void copiesBothWays_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("mlsd");
        QTest::newRow("upload") << true << true;
        QTest::newRow("download") << false << true;
        QTest::newRow("upload, LIST") << true << false;
        QTest::newRow("download, LIST") << false << false;
    }

    void copiesBothWays()
    {
        QFETCH(bool, upload);
        QFETCH(bool, mlsd);
        const QString source = upload ? Left() : Right(), target = upload ? Right() : Left();
        const QStringList names = MakeFiles(source, target);
        StartServer(0, mlsd);
        // Listed on one connection, so that the logins below are the copies' own.
        FtpSessionPool::Global().SetConnections(1);
        QCOMPARE(Analyse(), names.size());
        const qsizetype before = m_server->commands().size();
        FtpSessionPool::Global().SetConnections(4);

        RecordingListener listener;
        Synchronisation sync(*m_rows, *m_result, m_dir.filePath("program"), listener, *m_job);
        sync.Execute();
        QCOMPARE(sync.Ended(), Synchronisation::Outcome::Done);
        QCOMPARE(sync.SyncedCount(), names.size());
        QCOMPARE(sync.ErrorCount(), 0);
        QCOMPARE(listener.Events("I 4").size(), names.size());
        QCOMPARE(listener.Events(QStringLiteral("I %1").arg(upload ? 2 : 3)).size(), names.size());
        QCOMPARE(UserFiles(target), names);
        for (const QString &name : names)
            QCOMPARE(TestFiles::Read(target + "/" + name), TestFiles::Read(source + "/" + name));
        QCOMPARE(TemporaryFiles(Left()) + TemporaryFiles(Right()), QStringList{});
        QCOMPARE(m_server->commands().mid(before).filter(QRegularExpression("^USER ")).size(), 3);

        QCOMPARE(Analyse(), 0);
        const QByteArray leftState = TestFiles::Read(Left("__FileSync__/Job"));
        const QByteArray rightState = TestFiles::Read(Right("__FileSync__/Job"));
        for (const QString &name : names) {
            const QByteArray file = name.section('/', -1).toUtf8();
            QVERIFY2(leftState.contains(file), qPrintable(name));
            QVERIFY2(rightState.contains(file), qPrintable(name));
        }
    }

    // A folder the server refuses to write into fails its own files only; the others are
    // copied, and the run ends as done with the failures counted and marked.
    void oneFolderFailingLeavesTheOthers()
    {
        const QStringList names = MakeFiles(Left(), Right());
        QVERIFY(QDir().mkpath(Right("f1/one")));
        m_server->setFolderPermissions("pub/f1/one", "elr");
        StartServer();
        QCOMPARE(Analyse(), names.size());

        RecordingListener listener;
        Synchronisation sync(*m_rows, *m_result, m_dir.filePath("program"), listener, *m_job);
        sync.Execute();
        const QStringList refused = names.filter(QRegularExpression("^f1/one/"));
        QVERIFY(!refused.isEmpty());
        QCOMPARE(sync.Ended(), Synchronisation::Outcome::Done);
        QCOMPARE(sync.ErrorCount(), refused.size());
        QCOMPARE(sync.SyncedCount(), names.size() - refused.size());
        QCOMPARE(listener.Events("I 1").size(), refused.size());
        for (const QString &name : names)
            if (!refused.contains(name))
                QCOMPARE(TestFiles::Read(Right(name)), TestFiles::Read(Left(name)));
        for (const QString &name : refused)
            QVERIFY(!QFileInfo::exists(Right(name)) || TestFiles::Read(Right(name)) == OldContent(name));
        QCOMPARE(TemporaryFiles(Right()), QStringList{});
        // Only the refused files are proposed again.
        QCOMPARE(Analyse(), refused.size());
    }

    // A server that takes two connections only: the copies go on those two, all of them.
    void refusedConnectionsLeaveTheOthers()
    {
        const QStringList names = MakeFiles(Left(), Right());
        m_server->setMaxConnections(2);
        StartServer();
        QCOMPARE(Analyse(), names.size());

        RecordingListener listener;
        Synchronisation sync(*m_rows, *m_result, m_dir.filePath("program"), listener, *m_job);
        sync.Execute();
        QCOMPARE(sync.Ended(), Synchronisation::Outcome::Done);
        QCOMPARE(sync.ErrorCount(), 0);
        QCOMPARE(sync.SyncedCount(), names.size());
        for (const QString &name : names)
            QCOMPARE(TestFiles::Read(Right(name)), TestFiles::Read(Left(name)));
    }

    // The server goes away while four uploads run: the run stops with every file counted
    // once (copied, failed or not done), each file on the server is old or new whole, and a
    // temporary file left there is named in the journal, for the next run to remove.
    void lostConnectionStopsEveryConnection()
    {
        const QStringList names = MakeFiles(Left(), Right());
        m_server->setExitAt("STOR", 6);
        StartServer();
        QCOMPARE(Analyse(), names.size());

        RecordingListener listener;
        Synchronisation sync(*m_rows, *m_result, m_dir.filePath("program"), listener, *m_job);
        sync.Execute();
        QCOMPARE(sync.Ended(), Synchronisation::Outcome::Stopped);
        QVERIFY(!sync.StopReason().isEmpty());
        QVERIFY(sync.ErrorCount() >= 1);
        QVERIFY(sync.NotDoneCount() >= 1);
        QCOMPARE(sync.SyncedCount() + sync.ErrorCount() + sync.NotDoneCount(), names.size());
        QCOMPARE(listener.Events("I 4").size(), sync.SyncedCount());
        for (const QString &name : names) {
            const QByteArray now = TestFiles::Read(Right(name));
            QVERIFY2(!QFileInfo::exists(Right(name)) || now == TestFiles::Read(Left(name)) || now == OldContent(name),
                     qPrintable(name));
        }
        const QByteArray journal = TestFiles::Read(Left("__FileSync__/__Run__/Job.journal"));
        for (const QString &temporary : TemporaryFiles(Right()))
            QVERIFY2(journal.contains(temporary.section('/', -1).toUtf8()), qPrintable(temporary));
    }

    // Cancel while four uploads are under way: the run ends soon, every file on the server
    // is its old or its new content whole, nothing temporary stays, and what was copied is
    // recorded.
    void cancelDuringParallelUploads()
    {
        QStringList names;
        for (int i = 0; i < 8; ++i) {
            const QString name = QStringLiteral("d%1/big%2.bin").arg(i % 2).arg(i);
            names << name;
            QVERIFY(TestFiles::Write(Left(name), Content(name, 'n', 1 << 20), Newer));
            if (i % 2)
                QVERIFY(TestFiles::Write(Right(name), Content(name, 'o', 1000), Old));
        }
        // Each copy would take a minute.
        StartServer(16 << 10);
        QCOMPARE(Analyse(), names.size());

        RecordingListener listener;
        Synchronisation sync(*m_rows, *m_result, m_dir.filePath("program"), listener, *m_job);
        std::thread run([&] { sync.Execute(); });
        QDeadlineTimer patience(60000);
        while (TemporaryFiles(Right()).size() < 2 && !patience.hasExpired())
            QThread::msleep(20);
        QVERIFY2(TemporaryFiles(Right()).size() >= 2, "no two uploads ran at once");
        QElapsedTimer cancelled;
        cancelled.start();
        m_job->CancelFlag = 1;
        run.join();
        // Each transfer stops within a second; the state files are written after.
        QVERIFY2(cancelled.elapsed() < 5000, qPrintable(QString::number(cancelled.elapsed())));

        QCOMPARE(sync.Ended(), Synchronisation::Outcome::Cancelled);
        QCOMPARE(sync.ErrorCount(), 0);
        QCOMPARE(sync.SyncedCount() + sync.NotDoneCount(), names.size());
        QCOMPARE(TemporaryFiles(Right()), QStringList{});
        QVERIFY(!QFileInfo::exists(Left("__FileSync__/__Run__/Job.journal")));
        for (const QString &name : names) {
            const QByteArray now = TestFiles::Read(Right(name));
            QVERIFY2(now.isEmpty() ? !QFileInfo::exists(Right(name)) : now == Content(name, 'n', 1 << 20) || now == Content(name, 'o', 1000),
                     qPrintable(name));
        }
        m_job->CancelFlag = 0;
        StartServer();
        QCOMPARE(Analyse(), sync.NotDoneCount());
    }
};

QTEST_GUILESS_MAIN(TestParallelTransfers)
#include "tst_paralleltransfers.moc"
