#include "app/DosDateTime.h"
#include "folders/FileEntry.h"
#include "folders/FileFilter.h"
#include "folders/LocalFolder.h"
#include "folders/StateFile.h"
#include "model/Job.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void MakeFile(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void SetTime(const QString &path, time_t seconds)
{
    const struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
    QCOMPARE(utimes(QFile::encodeName(path).constData(), times), 0);
}

// "name" for a file, "name/(count)" for a folder, children indented, sorted by name:
// the platform's enumeration order is not ours to test.
void Describe(const FileEntry &level, const QString &indent, QStringList &out)
{
    QList<const FileEntry *> kids;
    for (int i = 0; i < level.ChildCount(); ++i)
        kids << level.Child(i);
    std::sort(kids.begin(), kids.end(), [](auto a, auto b) { return a->Name() < b->Name(); });
    for (const FileEntry *k : kids) {
        if (k->IsFolder) {
            out << indent + k->Name() + "/(" + QString::number(k->FileCount()) + ")";
            Describe(*k, indent + "  ", out);
        } else {
            out << indent + k->Name();
        }
    }
}

void ListRoot(const QString &folder, const Job &job, FileEntry &root)
{
    JobSide side;
    side.DeviceType = 1;
    side.FolerAllName = folder;
    FileFilter filter(job);
    LocalFolder::ListFolder(side, root, filter);
}

QStringList List(const QString &folder, const Job &job, int32_t *rootCount = nullptr)
{
    FileEntry root;
    ListRoot(folder, job, root);
    if (rootCount)
        *rootCount = root.FileCount();
    QStringList out;
    Describe(root, "", out);
    return out;
}

// The listing as a user without rights beyond the permission bits sees it: root reads
// every folder, so as root the listing is made in a child that gave its rights up.
QStringList ListUnprivileged(const QString &folder, int32_t *rootCount)
{
    if (geteuid() != 0)
        return List(folder, Job(), rootCount);
    int fds[2];
    if (pipe(fds) != 0)
        return {"no pipe"};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (setegid(65534) != 0 || seteuid(65534) != 0)
            _exit(3);
        int32_t count = 0;
        const QStringList listed = List(folder, Job(), &count);
        const QByteArray text = (QString::number(count) + u'\n' + listed.join(u'\n')).toUtf8();
        const bool written = write(fds[1], text.constData(), size_t(text.size())) == text.size();
        _exit(written ? 0 : 4);
    }
    close(fds[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {"child failed"};
    QStringList lines = QString::fromUtf8(text).split(u'\n');
    *rootCount = lines.takeFirst().toInt();
    return lines;
}

const FileEntry *Named(const FileEntry &level, const QString &name)
{
    const std::vector<int> *hits = level.ChildrenNamed(name);
    return hits ? level.Child(hits->front()) : nullptr;
}

}  // namespace

class TestLocalFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checkFolder_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("expected");
        QTest::newRow("folder") << "dir" << 0;
        QTest::newRow("link to folder") << "dirlink" << 0;
        QTest::newRow("missing") << "none" << 1;
        QTest::newRow("file") << "file" << 1;
        QTest::newRow("empty path") << QString() << 1;
    }

    void checkFolder()
    {
        QFETCH(QString, relative);
        QFETCH(int, expected);
        QTemporaryDir tmp;
        QDir(tmp.path()).mkdir("dir");
        MakeFile(tmp.filePath("file"));
        QVERIFY(QFile::link(tmp.filePath("dir"), tmp.filePath("dirlink")));
        JobSide side;
        side.FolerAllName = relative.isEmpty() ? QString() : tmp.filePath(relative);
        QCOMPARE(LocalFolder::CheckFolder(side), expected);
    }

    void listingSkipsAndFilters_data()
    {
        QTest::addColumn<QStringList>("exclude");
        QTest::addColumn<QStringList>("include");
        QTest::addColumn<qint64>("minSize");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("rootCount");

        QTest::newRow("no filter") << QStringList() << QStringList() << qint64(-1)
                                   << QStringList{"a/(1)", "  b/(1)", "    c.txt", "keep.txt", "skip.tmp",
                                                  "tmpdir/(2)", "  deeper.tmp", "  inner.txt"}
                                   << 5;
        QTest::newRow("exclude names") << QStringList{"tmp"} << QStringList() << qint64(-1)
                                       << QStringList{"a/(1)", "  b/(1)", "    c.txt", "keep.txt",
                                                      "tmpdir/(1)", "  inner.txt"}
                                       << 3;
        QTest::newRow("include names") << QStringList() << QStringList{"c.", "keep"} << qint64(-1)
                                       << QStringList{"a/(1)", "  b/(1)", "    c.txt", "keep.txt",
                                                      "tmpdir/(0)"}
                                       << 2;
        QTest::newRow("exclude small") << QStringList() << QStringList() << qint64(2)
                                       << QStringList{"a/(0)", "  b/(0)", "keep.txt", "tmpdir/(0)"}
                                       << 1;
    }

    void listingSkipsAndFilters()
    {
        QFETCH(QStringList, exclude);
        QFETCH(QStringList, include);
        QFETCH(qint64, minSize);
        QFETCH(QStringList, expected);
        QFETCH(int, rootCount);

        QTemporaryDir tmp;
        const QString r = tmp.path();
        MakeFile(r + "/__FileSync__/Job");
        MakeFile(r + "/__Save__/old.txt");
        MakeFile(r + "/keep.txt", "long enough");
        MakeFile(r + "/skip.tmp");
        MakeFile(r + "/tmpdir/inner.txt");
        MakeFile(r + "/tmpdir/deeper.tmp");
        MakeFile(r + "/tmpdir/__FileSync__/Job");
        MakeFile(r + "/tmpdir/__Save__/x");
        MakeFile(r + "/a/b/c.txt");
        MakeFile(r + "/a/b/__Save__/y");
        QDir(r).mkpath("a/__FileSync__");

        Job job;
        job.ExcludeFilterr = exclude;
        job.IncludeFilterr = include;
        job.ExcludeFilter.FileSizeMin = minSize;
        int32_t count = -1;
        QCOMPARE(List(r, job, &count), expected);
        QCOMPARE(count, rootCount);
    }

    void entryFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("attr");
        QTest::newRow("file") << "f.txt" << false << 0644 << 32;
        QTest::newRow("read-only file") << "r.txt" << false << 0444 << 33;
        QTest::newRow("hidden file") << ".h" << false << 0600 << 34;
        QTest::newRow("hidden read-only file") << ".rh" << false << 0400 << 35;
        QTest::newRow("folder") << "d" << true << 0755 << 16;
        QTest::newRow("hidden folder") << ".d" << true << 0755 << 18;
        QTest::newRow("read-only folder") << "rd" << true << 0555 << 17;
        QTest::newRow("name with colon and line break") << "a:b\nc" << false << 0644 << 32;
    }

    void entryFields()
    {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        QFETCH(int, mode);
        QFETCH(int, attr);
        QTemporaryDir tmp;
        const QString path = tmp.filePath(name);
        if (folder)
            QVERIFY(QDir(tmp.path()).mkdir(name));
        else
            MakeFile(path, "12345");
        const time_t when = 1'600'000'000;  // 2020-09-13 UTC
        SetTime(path, when);
        QCOMPARE(chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);

        Job job;
        FileFilter filter(job);
        JobSide side;
        side.FolerAllName = "  " + tmp.path() + "/ ";  // blanks and final separator are normalised
        FileEntry root;
        LocalFolder::ListFolder(side, root, filter);
        chmod(QFile::encodeName(path).constData(), 0755);
        QCOMPARE(root.ChildCount(), 1);
        const FileEntry &e = *root.Child(0);
        QCOMPARE(e.Name(), name);
        QCOMPARE(e.Path(), path);
        // A listing holds names only: a path per entry would double what a big listing weighs.
        QVERIFY(e.FilePath().isNull());
        QCOMPARE(e.IsFolder, folder ? 1 : 0);
        QCOMPARE(e.FileAttr, attr);
        QCOMPARE(e.FileTime, DosDateTime::FromEpochSeconds(when));
        QCOMPARE(e.FileSize, folder ? 0 : 5);
        QCOMPARE(root.FileCount(), folder ? 0 : 1);
    }

    void sizesBeyondThirtyTwoBits()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath("big.bin");
        MakeFile(path, "");
        QVERIFY(QFile::resize(path, 5'000'000'123LL));  // sparse: takes no disk space
        Job job;
        job.IncludeFilter.FileSizeMin = 4'294'967'296LL;
        QCOMPARE(List(tmp.path(), job), QStringList{"big.bin"});

        FileEntry state;
        LocalFolder::RecordFile(path, tmp.path(), state);
        QCOMPARE(state.Child(0)->FileSize, 5'000'000'123LL);
    }

    void linksPipesAndLoops()
    {
        QTemporaryDir tmp;
        const QString r = tmp.path();
        MakeFile(r + "/real/f.txt", "abc");
        MakeFile(r + "/target.txt", "0123456789");
        QVERIFY(QFile::link(r + "/target.txt", r + "/filelink"));
        QVERIFY(QFile::link(r + "/real", r + "/dirlink"));
        QVERIFY(QFile::link(r, r + "/real/up"));         // a loop back to the root
        QVERIFY(QFile::link(r + "/real", r + "/real/self"));  // a loop to its own folder
        QVERIFY(QFile::link(r + "/gone", r + "/dangling"));
        QCOMPARE(mkfifo(QFile::encodeName(r + "/pipe").constData(), 0644), 0);

        Job job;
        int32_t count = 0;
        const QStringList listed = List(r, job, &count);
        QCOMPARE(listed, (QStringList{"dirlink/(1)", "  f.txt", "filelink", "real/(1)", "  f.txt",
                                      "target.txt"}));
        QCOMPARE(count, 4);
    }

    // Links are read through: the entry carries the target's size and time, and a linked
    // folder is listed with its content.
    void linkedEntriesCarryTheirTargets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("isFolder");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("childCount");
        QTest::newRow("link to a file") << "filelink" << 0 << qint64(10) << 0;
        QTest::newRow("link to a folder") << "dirlink" << 1 << qint64(0) << 2;
        QTest::newRow("link to a link to a file") << "linklink" << 0 << qint64(10) << 0;
    }

    void linkedEntriesCarryTheirTargets()
    {
        QFETCH(QString, name);
        QFETCH(int, isFolder);
        QFETCH(qint64, size);
        QFETCH(int, childCount);
        QTemporaryDir tmp;
        const QString r = tmp.path();
        MakeFile(r + "/real/a.txt");
        MakeFile(r + "/real/b.txt");
        MakeFile(r + "/target.txt", "0123456789");
        SetTime(r + "/target.txt", 1'400'000'000);
        SetTime(r + "/real", 1'400'000'000);
        QVERIFY(QFile::link(r + "/target.txt", r + "/filelink"));
        QVERIFY(QFile::link(r + "/real", r + "/dirlink"));
        QVERIFY(QFile::link(r + "/filelink", r + "/linklink"));

        FileEntry root;
        ListRoot(r, Job(), root);
        const FileEntry *e = Named(root, name);
        QVERIFY(e);
        QCOMPARE(e->IsFolder, isFolder);
        QCOMPARE(e->FileSize, size);
        QCOMPARE(e->FileTime, DosDateTime::FromEpochSeconds(1'400'000'000));
        QCOMPARE(e->FileAttr, isFolder ? 16 : 32);
        QCOMPARE(e->ChildCount(), childCount);
        QCOMPARE(e->Path(), r + "/" + name);
    }

    // A folder the walk may not open lists as an empty folder; its neighbours are listed.
    void unreadableFolderListsEmpty_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("no rights") << 0;
        QTest::newRow("enter but not read") << 0311;
        QTest::newRow("read but not enter") << 0644;
    }

    void unreadableFolderListsEmpty()
    {
        QFETCH(int, mode);
        QTemporaryDir tmp;
        const QString r = tmp.path();
        MakeFile(r + "/a/locked/inside.txt");
        MakeFile(r + "/a/open.txt");
        MakeFile(r + "/b/after.txt");
        for (const QString &folder : {r, r + "/a", r + "/b"})
            QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0755), 0);
        QCOMPARE(chmod(QFile::encodeName(r + "/a/locked").constData(), mode_t(mode)), 0);
        int32_t count = -1;
        const QStringList listed = ListUnprivileged(r, &count);
        chmod(QFile::encodeName(r + "/a/locked").constData(), 0755);
        QCOMPARE(listed, (QStringList{"a/(1)", "  locked/(0)", "  open.txt", "b/(1)", "  after.txt"}));
        QCOMPARE(count, 2);
    }

    // Names are passed to the system as the bytes the folder gave, whatever they decode to.
    void namesOfAnyBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9.txt");
        QTest::newRow("line breaks") << QByteArray("two\nlines\r.txt");
        QTest::newRow("hidden") << QByteArray(".profile");
        QTest::newRow("not UTF-8 folder") << QByteArray("\xff\xfe");
    }

    void namesOfAnyBytes()
    {
        QFETCH(QByteArray, name);
        QTemporaryDir tmp;
        const QByteArray base = QFile::encodeName(tmp.path()) + '/';
        const bool folder = !name.endsWith(".txt") && !name.startsWith('.');
        QByteArray file = base + name;
        if (folder) {
            QCOMPARE(mkdir(file.constData(), 0755), 0);
            file += "/inner.txt";
        }
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(write(fd, "1234567", 7), 7);
        close(fd);

        FileEntry root;
        ListRoot(tmp.path(), Job(), root);
        QCOMPARE(root.ChildCount(), 1);
        QCOMPARE(root.FileCount(), 1);
        const FileEntry *e = root.Child(0);
        QCOMPARE(e->Name(), QString::fromUtf8(name));
        QCOMPARE(e->IsFolder, folder ? 1 : 0);
        if (folder)
            e = e->Child(0);
        QCOMPARE(e->FileSize, 7);
        QCOMPARE(e->FileAttr, name.startsWith('.') ? 34 : 32);
    }

    // More levels than the walk keeps open at once: the deeper ones are opened by path.
    void deepTree()
    {
        QTemporaryDir tmp;
        QString path = tmp.path();
        QStringList expected;
        for (int level = 0; level < 100; ++level) {
            path += "/d";
            expected << QString(level * 2, u' ') + "d/(1)";
        }
        MakeFile(path + "/leaf.txt", "abc");
        expected << QString(200, u' ') + "leaf.txt";
        int32_t count = 0;
        QCOMPARE(List(tmp.path(), Job(), &count), expected);
        QCOMPARE(count, 1);
    }

    // Two folders swap places again and again while they are listed: each listed folder
    // holds one folder's names with that folder's sizes, never names of one and sizes of
    // the other.
    void folderReplacedDuringTheWalk()
    {
        QTemporaryDir tmp;
        const QString r = tmp.path();
        for (int k = 0; k < 50; ++k) {
            MakeFile(r + "/a/p" + QString::number(k), "1");
            MakeFile(r + "/b/p" + QString::number(k), "22");
        }
        MakeFile(r + "/a/from-a", "1");
        MakeFile(r + "/b/from-b", "22");
        const QByteArray a = QFile::encodeName(r + "/a"), b = QFile::encodeName(r + "/b");
        std::atomic<bool> stop{false};
        std::atomic<int> swaps{0};
        std::thread swapper([&] {
            while (!stop) {
                if (renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) == 0)
                    ++swaps;
            }
        });
        QString mixed;
        for (int round = 0; round < 300 && mixed.isEmpty(); ++round) {
            FileEntry root;
            ListRoot(r, Job(), root);
            for (int i = 0; i < root.ChildCount() && mixed.isEmpty(); ++i) {
                const FileEntry &folder = *root.Child(i);
                if (folder.ChildCount() != 51) {
                    mixed = folder.Name() + " holds " + QString::number(folder.ChildCount()) + " entries";
                    break;
                }
                const int64_t size = Named(folder, "from-a") ? 1 : 2;
                for (int k = 0; k < folder.ChildCount(); ++k)
                    if (folder.Child(k)->FileSize != size)
                        mixed = folder.Name() + "/" + folder.Child(k)->Name() + " has another folder's size";
            }
        }
        stop = true;
        swapper.join();
        QVERIFY2(mixed.isEmpty(), qPrintable(mixed));
        QVERIFY(swaps > 0);
    }

    void forceFolders_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QStringList>("entries");  // the folders below the base afterwards
        QTest::newRow("state file folder") << "__FileSync__/Job1" << QStringList{"__FileSync__"};
        QTest::newRow("relative path of a copy") << "/a/b/c.txt" << QStringList{"a", "a/b"};
        QTest::newRow("file at the top") << "/c.txt" << QStringList();
        QTest::newRow("a file in the way") << "/file/b/c.txt" << QStringList();
    }

    void forceFolders()
    {
        QFETCH(QString, relative);
        QFETCH(QStringList, entries);
        QTemporaryDir tmp;
        MakeFile(tmp.filePath("file"), "keep");
        LocalFolder::ForceFolders(relative, tmp.path() + "/");
        QStringList found;
        QDirIterator it(tmp.path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(tmp.path()).relativeFilePath(it.next());
        found.sort();
        QCOMPARE(found, entries);
        QVERIFY(QFileInfo(tmp.filePath("file")).isFile());
    }

    void recordFileFillsTheStateEntry()
    {
        QTemporaryDir tmp;
        const QString base = tmp.path();
        const QString path = base + "/x/.y.txt";
        MakeFile(path, "1234");
        SetTime(path, 1'500'000'000);
        FileEntry state;
        LocalFolder::RecordFile(path, base, state);
        const FileEntry *x = Named(state, "x");
        QVERIFY(x && x->IsFolder);
        QCOMPARE(x->FilePath(), QStringLiteral("/"));
        const FileEntry *y = x->Child(0);
        QCOMPARE(y->FilePath(), QStringLiteral("/x/.y.txt"));
        QCOMPARE(y->FileTime, DosDateTime::FromEpochSeconds(1'500'000'000));
        QCOMPARE(y->FileSize, 4);
        QCOMPARE(y->FileAttr, 34);

        MakeFile(path, "123456");
        SetTime(path, 1'600'000'000);
        LocalFolder::RecordFile(path, base, state);
        QCOMPARE(x->ChildCount(), 1);
        QCOMPARE(y->FileTime, DosDateTime::FromEpochSeconds(1'600'000'000));
        QCOMPARE(y->FileSize, 6);

        LocalFolder::RecordFile(base + "/x/missing", base, state);
        QCOMPARE(x->ChildCount(), 1);
    }

    void saveStateFileMakesItsFolder_data()
    {
        QTest::addColumn<QString>("baseSuffix");
        QTest::newRow("base as the engine gives it") << QString();
        QTest::newRow("base with a final separator") << QStringLiteral("/");
    }

    void saveStateFileMakesItsFolder()
    {
        QFETCH(QString, baseSuffix);
        QTemporaryDir tmp;
        const QString base = tmp.path();
        FileEntry state;
        state.SetTitle(base);
        const QString statePath = base + "/__FileSync__/Job";
        QVERIFY(LocalFolder::SaveStateFile(statePath, base + baseSuffix, state));
        QVERIFY(QFileInfo(statePath).isFile());
        QCOMPARE(QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"__FileSync__"});
    }

    void saveThenLoadAndListAgain()
    {
        QTemporaryDir tmp;
        const QString base = tmp.path();
        MakeFile(base + "/docs/a:1.txt", "aa");
        FileEntry state;
        state.SetTitle(base);
        LocalFolder::RecordFile(base + "/docs/a:1.txt", base, state);
        const QString statePath = base + "/__FileSync__/Job";
        QVERIFY(LocalFolder::SaveStateFile(statePath, base, state));
        QVERIFY(QFileInfo(statePath).isFile());

        QFile f(statePath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.startsWith((base + "::1\r\ndocs:1:/:0:-1:-1\r\na*3A1.txt:0:/docs/a*3A1.txt:").toUtf8()));

        FileEntry loaded;
        LocalFolder::LoadStateFile(statePath, loaded);
        QCOMPARE(loaded.Title(), base);
        QCOMPARE(loaded.Child(0)->Child(0)->Name(), QStringLiteral("a:1.txt"));
        QCOMPARE(loaded.Child(0)->Child(0)->FileTime, state.Child(0)->Child(0)->FileTime);
        QCOMPARE(LocalFolder::FindStateEntry("/docs/a:1.txt", loaded), loaded.Child(0)->Child(0));

        Job job;
        QCOMPARE(List(base, job), (QStringList{"docs/(1)", "  a:1.txt"}));

        FileEntry missing;
        missing.SetTitle("stale");
        LocalFolder::LoadStateFile(base + "/__FileSync__/Other", missing);
        QVERIFY(missing.Title().isEmpty());
        QCOMPARE(missing.ChildCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLocalFolder)
#include "tst_localfolder.moc"
