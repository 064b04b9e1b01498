#include "app/DosDateTime.h"
#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/CheckFolders.h"
#include "engine/Pairing.h"
#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"
#include "model/Job.h"
#include "platform/FtpSessionPool.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// "dir/sub/name@time" adds the folders along the path and the file; names are used as
// written, blanks included.
void AddPath(FileEntry &root, const QString &entry)
{
    const qsizetype at = entry.lastIndexOf(QLatin1Char('@'));
    const QStringList parts = entry.left(at).split(QLatin1Char('/'));
    FileEntry *level = &root;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        FileEntry *next = nullptr;
        for (int c = 0; c < level->ChildCount() && !next; ++c)
            if (level->Child(c)->IsFolder && level->Child(c)->Name() == parts[i])
                next = level->Child(c);
        if (!next) {
            next = level->AddChild(parts[i]);
            next->IsFolder = 1;
        }
        level = next;
    }
    level->AddChild(parts.last())->FileTime = entry.mid(at + 1).toInt();
}

void Dump(const ResultEntry &level, const QString &indent, QStringList &out)
{
    for (int i = 0; i < level.ChildCount(); ++i) {
        const ResultEntry &r = *level.Child(i);
        if (r.PairIsFolder) {
            out << QStringLiteral("%1%2/ %3 L%4 R%5 F%6").arg(indent, r.Title()).arg(int(r.ActionCode))
                       .arg(r.ToLeftCount()).arg(r.ToRightCount()).arg(r.FileCount());
            Dump(r, indent + QStringLiteral("  "), out);
        } else {
            out << QStringLiteral("%1%2 %3").arg(indent, r.Title()).arg(int(r.ActionCode));
        }
    }
}

QString Counts(const ResultEntry &r)
{
    return QStringLiteral("L%1 R%2 F%3").arg(r.ToLeftCount()).arg(r.ToRightCount()).arg(r.FileCount());
}

struct Paired {
    FileEntry left, right;
    ResultEntry result;
    bool complete = false;
};

void Pair(Paired &p, const QStringList &left, const QStringList &right, Job &job, RecordingListener &listener)
{
    for (const QString &s : left)
        AddPath(p.left, s);
    for (const QString &s : right)
        AddPath(p.right, s);
    Pairing pairing(job, listener);
    p.complete = pairing.PairLevel(p.left, p.right, p.result);
}

// job: an empty local folder and folders d0.. on the server, started, which the analysis
// lists on four connections.
bool FoldersOnFourConnections(Job &job, const QTemporaryDir &dir, FtpServerFixture &server, int folders)
{
    for (int i = 0; i < folders; ++i)
        if (!TestFiles::Write(server.root() + QStringLiteral("/pub/d%1/a.txt").arg(i), "a", 1600000000))
            return false;
    if (!server.start())
        return false;
    FtpSessionPool::Global().SetConnections(4);
    job.SyncName = "Job";
    job.LFolder.DeviceType = 1;
    job.LFolder.FolerAllName = dir.path();
    job.RFolder = server.source();
    return true;
}

}  // namespace

class TestAnalysis : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pairing_data()
    {
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("right");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("totals");
        QTest::addColumn<QStringList>("progress");

        QTest::newRow("names differing in case stay apart")
            << QStringList{"Readme.txt@4"} << QStringList{"README.TXT@4"}
            << QStringList{"Readme.txt 1", "README.TXT 2"} << "L1 R1 F2" << QStringList{"P 0 2"};
        QTest::newRow("trimmed names pair, left name kept")
            << QStringList{" a.txt@6", "b.txt\t@2"} << QStringList{"a.txt@4", "b.txt@2"}
            << QStringList{" a.txt 4", "b.txt\t 0"} << "L0 R1 F2" << QStringList{"P 0 2"};
        QTest::newRow("left folder with a right file")
            << QStringList{"x/y.txt@2"} << QStringList{"x@1"}
            << QStringList{"x/ 3 L0 R1 F1", "  y.txt 1"} << "L0 R1 F1" << QStringList{"P 0 1"};
        QTest::newRow("left file with a right folder")
            << QStringList{"x@3"} << QStringList{"x/y.txt@1"}
            << QStringList{"x 4"} << "L0 R1 F1" << QStringList{"P 0 1"};
        QTest::newRow("equal trimmed names pair in order")
            << QStringList{" d@1", "d@2"} << QStringList{"d@2", "d @1", "d  @7"}
            << QStringList{" d 3", "d 4", "d   2"} << "L2 R1 F3" << QStringList{"P 0 3"};
        QTest::newRow("left order, then unpaired right entries")
            << QStringList{"b@1", "a@1"} << QStringList{"c@1", "a@1", "d@1"}
            << QStringList{"b 1", "a 0", "c 2", "d 2"} << "L2 R1 F4" << QStringList{"P 0 4"};
        QTest::newRow("both sides empty") << QStringList{} << QStringList{} << QStringList{} << "L0 R0 F0"
                                          << QStringList{};
        QTest::newRow("one-sided folders are counted whole")
            << QStringList{"f/g/h.txt@1", "f/i.txt@1"} << QStringList{"k/l.txt@1"}
            << QStringList{"f/ 1 L0 R2 F2", "  g/ 1 L0 R1 F1", "    h.txt 1", "  i.txt 1", "k/ 2 L1 R0 F1",
                           "  l.txt 2"}
            << "L1 R2 F3" << QStringList{"P 0 3"};
        QTest::newRow("progress per level with both sides, innermost first")
            << QStringList{"a/x@1", "a/y@1", "b@1"} << QStringList{"a/x@1", "c@1"}
            << QStringList{"a/ 0 L0 R1 F2", "  x 0", "  y 1", "b 1", "c 2"} << "L1 R2 F4"
            << QStringList{"P 0 2", "P 0 4"};
    }

    void pairing()
    {
        QFETCH(QStringList, left);
        QFETCH(QStringList, right);
        Job job;
        RecordingListener listener;
        Paired p;
        Pair(p, left, right, job, listener);
        QVERIFY(p.complete);
        QStringList got;
        Dump(p.result, QString(), got);
        QTEST(got, "expected");
        QTEST(Counts(p.result), "totals");
        QTEST(listener.Events(), "progress");
    }

    void cancelEndsTheLevelsWithoutTheirProgress()
    {
        Job job;
        RecordingListener listener;
        listener.onEvent = [&](const QString &) { job.CancelFlag = 1; };
        Paired p;
        Pair(p, {"a/x@1", "b@1"}, {"a/x@1", "c@1"}, job, listener);
        QVERIFY(!p.complete);
        QStringList got;
        Dump(p.result, QString(), got);
        QCOMPARE(got, (QStringList{"a/ 0 L0 R0 F1", "  x 0"}));
        QCOMPARE(listener.Events(), QStringList{"P 0 1"});

        Paired before;
        RecordingListener quiet;
        Pair(before, {"a@1"}, {"a@1"}, job, quiet);
        QVERIFY(!before.complete);
        QCOMPARE(before.result.ChildCount(), 0);
        QVERIFY(quiet.Events().isEmpty());
    }

    void preCheck_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("code");
        QTest::newRow("same folder") << "/data/a" << "/data/a" << 1;
        QTest::newRow("same folder, trailing slash") << "/data/a" << "/data/a/" << 1;
        QTest::newRow("right inside left") << "/data/a" << "/data/a/b" << 2;
        QTest::newRow("left inside right") << "/data/a/b/c" << "/data/a" << 2;
        QTest::newRow("same beginning, other folder") << "/data/a" << "/data/ab" << 0;
        QTest::newRow("same name elsewhere") << "/data" << "/backup/data" << 0;
        QTest::newRow("blank left") << " \t" << "/data" << 3;
        QTest::newRow("empty right") << "/data" << "" << 3;
        QTest::newRow("same server folder") << "ftp://h/pub" << "ftp://h/pub" << 1;
        QTest::newRow("server path containing the left") << "/pub" << "ftp://h/pub/x" << 0;
    }

    void preCheck()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        JobSide l, r;
        l.DeviceType = left.startsWith("ftp:") ? 3 : 1;
        r.DeviceType = right.startsWith("ftp:") ? 3 : 1;
        l.FolerAllName = left;
        r.FolerAllName = right;
        QTEST(CheckFolders(l, r), "code");
    }

    // Folders reached through links are compared where they really are: a right folder that
    // is a link into the left one would otherwise nest its copies deeper on every run.
    void preCheckSeesThroughLinks_data()
    {
        QTest::addColumn<QString>("left");  // below a folder holding a/b, ab and links to them
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("code");
        QTest::newRow("link to the same folder") << "a" << "to-a" << 1;
        QTest::newRow("link to a folder inside") << "a" << "to-a-b" << 2;
        QTest::newRow("inside a link to the other") << "to-a/b" << "a" << 2;
        QTest::newRow("link to a sibling of the same beginning") << "a" << "to-ab" << 0;
        QTest::newRow("missing folder compares as written") << "a/gone" << "a" << 2;
    }

    void preCheckSeesThroughLinks()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("a/b")));
        QVERIFY(QDir().mkpath(dir.filePath("ab")));
        QVERIFY(QFile::link("a", dir.filePath("to-a")));
        QVERIFY(QFile::link("a/b", dir.filePath("to-a-b")));
        QVERIFY(QFile::link("ab", dir.filePath("to-ab")));
        JobSide l, r;
        l.DeviceType = r.DeviceType = 1;
        l.FolerAllName = dir.filePath(left);
        r.FolerAllName = dir.filePath(right);
        QTEST(CheckFolders(l, r), "code");
        QTEST(CheckFolders(r, l), "code");
    }

    void unreachableSides_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("left missing") << "missing" << "right" << QStringList{"C 1"};
        QTest::newRow("left names a file") << "file" << "right" << QStringList{"C 1"};
        QTest::newRow("right missing") << "left" << "missing" << QStringList{"C 2"};
        QTest::newRow("both missing") << "missing" << "gone" << QStringList{"C 2"};
        QTest::newRow("both there") << "left" << "right" << QStringList{"P 3 0", "P 0 2"};
    }

    void unreachableSides()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QTemporaryDir dir;
        QVERIFY(TestFiles::Write(dir.filePath("left/a.txt"), "a", 1600000000));
        QVERIFY(TestFiles::Write(dir.filePath("left/d/b.txt"), "b", 1600000000));
        QVERIFY(TestFiles::Write(dir.filePath("right/a.txt"), "a", 1600000000));
        QVERIFY(TestFiles::Write(dir.filePath("file"), "not a folder"));
        Job job;
        job.SyncName = "Job";
        job.LFolder.DeviceType = job.RFolder.DeviceType = 1;
        job.LFolder.FolerAllName = dir.filePath(left);
        job.RFolder.FolerAllName = dir.filePath(right);
        RecordingListener listener;
        AnalysisResult result;
        Analysis(job, listener, result).Execute();
        QTEST(listener.Events(), "events");
        QCOMPARE(result.Reached, listener.Events("C").isEmpty());
        QCOMPARE(result.Completed, result.Reached);
    }

    // A server that takes one control connection at a time still gets a complete analysis,
    // and the log says once, not per folder, that the other connections were refused.
    void refusedConnectionsAreSaidOnce()
    {
        QTemporaryDir dir;
        FtpServerFixture server;
        server.setMaxConnections(1);
        Job job;
        QVERIFY(FoldersOnFourConnections(job, dir, server, 5));
        RecordingListener listener;
        AnalysisResult result;
        Analysis(job, listener, result).Execute();
        QVERIFY(result.Completed);
        QCOMPARE(result.RightList->FileCount(), 5);
        const QStringList notices = listener.Events(QStringLiteral("N "));
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices[0].startsWith(QStringLiteral("N The FTP server accepted 1 of 4 connections ("))
                     && notices[0].contains(QStringLiteral("421 Too many connections")),
                 qPrintable(notices[0]));
    }

    // The other connections log in, but not at all when the first login is refused, which
    // would hand a server that locks out repeated failures four of them. A server slow to let
    // them in must not hold up the listing: the connection already in starts at once.
    void otherConnectionsLogInAheadOnlyAfterTheFirst_data()
    {
        QTest::addColumn<bool>("rightPassword");
        QTest::addColumn<double>("laterLoginDelay");
        QTest::newRow("accepted") << true << 0.0;
        QTest::newRow("accepted, later logins slow") << true << 1.5;
        QTest::newRow("refused") << false << 0.0;
    }
    void otherConnectionsLogInAheadOnlyAfterTheFirst()
    {
        QFETCH(bool, rightPassword);
        QFETCH(double, laterLoginDelay);
        QTemporaryDir dir;
        FtpServerFixture server;
        server.setCommandLog(true);
        server.setLaterLoginDelay(laterLoginDelay);
        Job job;
        QVERIFY(FoldersOnFourConnections(job, dir, server, 3));
        if (!rightPassword)
            job.RFolder.PWD = QStringLiteral("wrong");
        RecordingListener listener;
        AnalysisResult result;
        Analysis(job, listener, result).Execute();
        QCOMPARE(result.Completed, rightPassword);
        const QStringList commands = server.commands();
        QCOMPARE(commands.filter(QRegularExpression("^USER ")).size(), rightPassword ? 4 : 1);
        if (!rightPassword)
            return;
        QCOMPARE(result.RightList->FileCount(), 3);
        // Each login's PWD follows the server's answer to its password. When each login begins
        // is up to the threads: not checked.
        const QStringList beforeListing = commands.mid(0, commands.indexOf(QRegularExpression("MLSD .*")));
        if (laterLoginDelay > 0)
            QVERIFY2(beforeListing.filter(QRegularExpression("^PWD")).size() == 1, qPrintable(commands.join(" | ")));
    }

    // Each record carries each side's own time, size and path: swapped or copied-over values
    // would show the user the wrong copy and send the sync to the wrong file.
    void recordsCarryEachSidesValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("onLeft");
        QTest::addColumn<bool>("onRight");
        QTest::newRow("paired, right newer") << "d/both.txt" << 3 << true << true;
        QTest::newRow("left only") << "d/left.txt" << 1 << true << false;
        QTest::newRow("right only") << "right.txt" << 2 << false << true;
    }

    void recordsCarryEachSidesValues()
    {
        QFETCH(QString, name);
        QFETCH(bool, onLeft);
        QFETCH(bool, onRight);
        QTemporaryDir dir;
        constexpr int64_t LeftTime = 1500000000, RightTime = 1600000000;
        QVERIFY(TestFiles::Write(dir.filePath("left/d/both.txt"), "left copy", LeftTime));
        QVERIFY(TestFiles::Write(dir.filePath("right/d/both.txt"), "the right copy", RightTime));
        QVERIFY(TestFiles::Write(dir.filePath("left/d/left.txt"), "left copy", LeftTime));
        QVERIFY(TestFiles::Write(dir.filePath("right/right.txt"), "the right copy", RightTime));
        Job job;
        job.SyncName = "Job";
        job.LFolder.DeviceType = job.RFolder.DeviceType = 1;
        job.LFolder.FolerAllName = dir.filePath("left");
        job.RFolder.FolerAllName = dir.filePath("right");
        RecordingListener listener;
        AnalysisResult result;
        Analysis(job, listener, result).Execute();
        QVERIFY(result.Completed);

        const ResultEntry *record = result.ResultRoot.get();
        for (const QString &part : name.split('/')) {
            const ResultEntry *next = nullptr;
            for (int i = 0; i < record->ChildCount() && !next; ++i)
                if (record->Child(i)->Title() == part)
                    next = record->Child(i);
            QVERIFY2(next, qPrintable(part));
            record = next;
        }
        QTEST(int(record->ActionCode), "action");
        QCOMPARE(record->LeftPath(), onLeft ? dir.filePath("left/" + name) : QString());
        QCOMPARE(record->LeftSize(), onLeft ? 9 : 0);
        QCOMPARE(record->LeftTime(), onLeft ? DosDateTime::FromEpochSeconds(LeftTime) : -1);
        QCOMPARE(record->RightPath(), onRight ? dir.filePath("right/" + name) : QString());
        QCOMPARE(record->RightSize(), onRight ? 14 : 0);
        QCOMPARE(record->RightTime(), onRight ? DosDateTime::FromEpochSeconds(RightTime) : -1);
        QCOMPARE(record->LeftAttr() == -1, !onLeft);
        QCOMPARE(record->RightAttr() == -1, !onRight);
    }
};

QTEST_GUILESS_MAIN(TestAnalysis)
#include "tst_analysis.moc"
