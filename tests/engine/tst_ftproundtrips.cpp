#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/Row.h"
#include "engine/RowTree.h"
#include "engine/Synchronisation.h"
#include "model/Job.h"
#include "platform/FtpSessionPool.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int64_t Old = 1500000000;
constexpr int64_t Newer = 1600000000;
constexpr int Folders = 2;

// Commands the server received during each step of one round of work.
struct Round {
    qsizetype Upload = 0;
    qsizetype Replace = 0;
    qsizetype Analysis = 0;
    qsizetype Download = 0;
};

int FileRows(const Row &node)
{
    int count = 0;
    for (int i = 0; i < node.ChildCount(); ++i)
        count += node.Child(i)->Data.Kind == 1 ? FileRows(*node.Child(i)) : 1;
    return count;
}

}  // namespace

// How many commands an FTP synchronisation sends. Round trips decide how long a run takes
// against a distant server, so the commands per copied file are counted on a real server:
// the same work with twice the files must cost no more than a few commands per extra file,
// and an analysis no more at all. What each copy leaves behind is checked with it.
class TestFtpRoundTrips : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FtpServerFixture> m_server;

    void SetUpJob(Job &job, const QString &name, const QString &left) const
    {
        job.SyncName = name;
        job.LFolder.DeviceType = 1;
        job.LFolder.FolerAllName = left;
        job.RFolder = m_server->source();
    }

    // Analyses job; the rows to copy are left in rows. Returns how many files differ.
    static int Analyse(Job &job, AnalysisResult &result, std::unique_ptr<RowTree> &rows)
    {
        RecordingListener listener;
        result.Reset();
        Analysis(job, listener, result).Execute();
        rows = std::make_unique<RowTree>(job);
        rows->BuildView(*result.ResultRoot, RowTree::ModeChanges);
        return result.Completed ? FileRows(*rows->RootNode()) : -1;
    }

    qsizetype Sync(Job &job, AnalysisResult &result, RowTree &rows, int *errors = nullptr)
    {
        RecordingListener listener;
        const qsizetype before = m_server->commands().size();
        Synchronisation sync(rows, result, m_dir.filePath("program"), listener, job);
        sync.Execute();
        if (errors)
            *errors = sync.ErrorCount();
        return m_server->commands().size() - before;
    }

    bool StartServer(bool mlsd)
    {
        m_server = std::make_unique<FtpServerFixture>();
        m_server->setCommandLog(true);
        return QDir().mkpath(m_server->root() + "/pub") && m_server->start(mlsd);
    }

    // Uploads perFolder new files into each of two new folders, replaces them all, analyses
    // again and downloads them into an empty folder.
    Round Work(int perFolder, bool mlsd)
    {
        Round round;
        QDir(m_dir.path()).removeRecursively();
        if (!StartServer(mlsd))
            return round;
        const QString left = m_dir.filePath("left"), down = m_dir.filePath("down");
        QDir().mkpath(down);
        for (int f = 0; f < Folders; ++f)
            for (int i = 0; i < perFolder; ++i)
                TestFiles::Write(QStringLiteral("%1/f%2/n%3.txt").arg(left).arg(f).arg(i),
                                 QByteArray(10 + i, 'a' + char(f)), Old);
        Job up, back;
        SetUpJob(up, "Up", left);
        SetUpJob(back, "Down", down);
        AnalysisResult result;
        std::unique_ptr<RowTree> rows;

        Analyse(up, result, rows);
        round.Upload = Sync(up, result, *rows);
        // Recorded as the server lists them: nothing left to do.
        if (Analyse(up, result, rows) != 0)
            return Round();

        for (int f = 0; f < Folders; ++f)
            for (int i = 0; i < perFolder; ++i)
                TestFiles::Write(QStringLiteral("%1/f%2/n%3.txt").arg(left).arg(f).arg(i),
                                 QByteArray(20 + i, 'A' + char(f)), Newer);
        Analyse(up, result, rows);
        round.Replace = Sync(up, result, *rows);

        const qsizetype before = m_server->commands().size();
        const int differing = Analyse(up, result, rows);
        round.Analysis = m_server->commands().size() - before;
        if (differing != 0)
            return Round();

        Analyse(back, result, rows);
        round.Download = Sync(back, result, *rows);
        if (TestFiles::FilesBelow(down).filter(QStringLiteral(".txt")).size() != Folders * perFolder)
            return Round();
        return round;
    }

private Q_SLOTS:
    // Commands are counted on one control connection: more would add their log-ins, and a
    // TYPE on whichever of them lists first, to the fixed part in an order of their own.
    void initTestCase() { FtpSessionPool::Global().SetConnections(1); }

    void cleanup()
    {
        m_server.reset();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    // Per extra file: a new file is sent under a temporary name and renamed into place
    // (EPSV, STOR, RNFR, RNTO); a replaced one also has its previous copy set aside and
    // deleted (two renames and a DELE more); a download is EPSV and RETR, plus SIZE where
    // the listing is LIST (a LIST line of a link gives the link's size, not the file's).
    // The folder's listing serves the checks and the records of all its files.
    void commandsPerFile_data()
    {
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<int>("download");
        QTest::newRow("MLSD") << true << 2;
        QTest::newRow("LIST") << false << 3;
    }

    void commandsPerFile()
    {
        QFETCH(bool, mlsd);
        QFETCH(int, download);
        const Round few = Work(2, mlsd);
        QVERIFY2(few.Upload > 0, "the first round did not complete");
        const Round many = Work(5, mlsd);
        QVERIFY2(many.Upload > 0, "the second round did not complete");
        qInfo("commands: upload %lld/%lld, replace %lld/%lld, analysis %lld/%lld, download %lld/%lld",
              qlonglong(few.Upload), qlonglong(many.Upload), qlonglong(few.Replace), qlonglong(many.Replace),
              qlonglong(few.Analysis), qlonglong(many.Analysis), qlonglong(few.Download), qlonglong(many.Download));
        // Per extra file, and what does not grow with the files (logging in, listings, new
        // folders, the state file) for two folders of two files.
        const auto check = [&](const char *step, qsizetype fewCount, qsizetype manyCount, int perFile, int fixedMax) {
            const qsizetype perFileSeen = (manyCount - fewCount) / (Folders * 3);
            const qsizetype fixedSeen = fewCount - perFile * Folders * 2;
            QVERIFY2((manyCount - fewCount) % (Folders * 3) == 0 && perFileSeen <= perFile && fixedSeen <= fixedMax,
                     qPrintable(QStringLiteral("%1: %2 per file, %3 besides").arg(step).arg(perFileSeen).arg(fixedSeen)));
        };
        check("upload", few.Upload, many.Upload, 4, 6 * Folders + 16);
        check("replace", few.Replace, many.Replace, 7, 8 * Folders + 20);
        check("download", few.Download, many.Download, download, 3 * Folders + 8);
        QCOMPARE(many.Analysis, few.Analysis);
    }

    // The analysis's listing serves the record of a download; a file that changed on the
    // server since then is still copied, as it is now.
    void downloadOfAFileChangedSinceTheAnalysis_data()
    {
        QTest::addColumn<QByteArray>("now");
        QTest::newRow("same size") << QByteArray("second");
        QTest::newRow("other size") << QByteArray("the second version");
    }

    void downloadOfAFileChangedSinceTheAnalysis()
    {
        QFETCH(QByteArray, now);
        QVERIFY(StartServer(true));
        const QString server = m_server->root() + "/pub/d/c.txt";
        QVERIFY(TestFiles::Write(server, "first!", Old));
        QVERIFY(QDir().mkpath(m_dir.filePath("left")));
        Job job;
        SetUpJob(job, "Job", m_dir.filePath("left"));
        AnalysisResult result;
        std::unique_ptr<RowTree> rows;
        Analyse(job, result, rows);
        QVERIFY(TestFiles::Write(server, now, Newer));
        int errors = -1;
        Sync(job, result, *rows, &errors);
        QCOMPARE(errors, 0);
        QCOMPARE(TestFiles::Read(m_dir.filePath("left/d/c.txt")), now);
    }

    // The analysis's listing only records what was read; whether a copy is there to be
    // replaced is asked afresh: a server copy deleted since the analysis is simply written.
    void uploadOfAFileDeletedOnTheServerSinceTheAnalysis()
    {
        QVERIFY(StartServer(true));
        const QString left = m_dir.filePath("left");
        QVERIFY(TestFiles::Write(m_server->root() + "/pub/d/gone.txt", "old", Old));
        QVERIFY(TestFiles::Write(left + "/d/gone.txt", "new and longer", Newer));
        Job job;
        SetUpJob(job, "Job", left);
        AnalysisResult result;
        std::unique_ptr<RowTree> rows;
        QCOMPARE(Analyse(job, result, rows), 1);
        QVERIFY(QFile::remove(m_server->root() + "/pub/d/gone.txt"));
        int errors = -1;
        Sync(job, result, *rows, &errors);
        QCOMPARE(errors, 0);
        QCOMPARE(TestFiles::Read(m_server->root() + "/pub/d/gone.txt"), QByteArray("new and longer"));
        QCOMPARE(Analyse(job, result, rows), 0);
    }

    // A file that appeared on the server after the analysis, where the left side has a new
    // file of that name, is never replaced: in a folder the run reads, and in a folder that
    // did not exist when the analysis listed the server.
    void fileMadeOnTheServerSinceTheAnalysisIsKept_data()
    {
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<bool>("folderExisted");
        QTest::newRow("MLSD, folder existed") << true << true;
        QTest::newRow("MLSD, new folder") << true << false;
        QTest::newRow("LIST, folder existed") << false << true;
        QTest::newRow("LIST, new folder") << false << false;
    }

    void fileMadeOnTheServerSinceTheAnalysisIsKept()
    {
        QFETCH(bool, mlsd);
        QFETCH(bool, folderExisted);
        QVERIFY(StartServer(mlsd));
        const QString left = m_dir.filePath("left");
        if (folderExisted)
            QVERIFY(TestFiles::Write(m_server->root() + "/pub/e/there.txt", "there", Old));
        QVERIFY(TestFiles::Write(left + "/e/mine.txt", "mine", Old));
        QVERIFY(TestFiles::Write(left + "/e/other.txt", "other", Old));
        Job job;
        SetUpJob(job, "Job", left);
        AnalysisResult result;
        std::unique_ptr<RowTree> rows;
        Analyse(job, result, rows);
        QVERIFY(TestFiles::Write(m_server->root() + "/pub/e/mine.txt", "theirs", Old));
        int errors = -1;
        Sync(job, result, *rows, &errors);
        QCOMPARE(errors, 1);
        QCOMPARE(TestFiles::Read(m_server->root() + "/pub/e/mine.txt"), QByteArray("theirs"));
        QCOMPARE(TestFiles::Read(m_server->root() + "/pub/e/other.txt"), QByteArray("other"));
    }
};

QTEST_GUILESS_MAIN(TestFtpRoundTrips)
#include "tst_ftproundtrips.moc"
