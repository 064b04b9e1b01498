#include "folders/FileEntry.h"
#include "folders/StateFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

FileEntry *AddFile(FileEntry &root, const QString &path, int32_t time, int64_t size, int32_t attr)
{
    FileEntry *e = StateFile::FindEntry(path, root);
    e->SetFilePath(path);
    e->FileTime = time;
    e->FileSize = size;
    e->FileAttr = attr;
    return e;
}

void CompareTrees(const FileEntry &a, const FileEntry &b)
{
    QCOMPARE(a.ChildCount(), b.ChildCount());
    for (int i = 0; i < a.ChildCount(); ++i) {
        const FileEntry &x = *a.Child(i);
        const FileEntry &y = *b.Child(i);
        QCOMPARE(y.Name(), x.Name());
        QCOMPARE(StateFile::RecordedPath(y), StateFile::RecordedPath(x));
        QCOMPARE(y.IsFolder, x.IsFolder);
        QCOMPARE(y.FileTime, x.FileTime);
        QCOMPARE(y.FileSize, x.FileSize);
        QCOMPARE(y.FileAttr, x.FileAttr);
        CompareTrees(x, y);
    }
}

QByteArray WriteText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(text);
    return text;
}

}  // namespace

class TestStateFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void serializesKnownTreeExactly()
    {
        FileEntry root;
        root.SetTitle(QStringLiteral("C:\\Users\\ann\\data"));
        AddFile(root, "/a/b/c.txt", 0x38A16000, 12, 32);
        AddFile(root, "/top.txt", 0x38A16001, 5'000'000'000LL, 33);
        AddFile(root, "/a/d.txt", -5, 0, 34);

        const QByteArray expected =
            "C:\\Users\\ann\\data::2\r\n"
            "a:2:/:0:-1:-1\r\n"
            "b:1:/a/:0:-1:-1\r\n"
            "c.txt:0:/a/b/c.txt:950099968:12:32\r\n"
            "d.txt:0:/a/d.txt:-5:0:34\r\n"
            "top.txt:0:/top.txt:950099969:5000000000:33\r\n";
        QCOMPARE(StateFile::Serialize(root), expected);

        FileEntry empty;
        empty.SetTitle("ftp://host:2121/pub");
        QCOMPARE(StateFile::Serialize(empty), QByteArray("ftp://host:2121/pub::0\r\n"));
    }

    void writeThenReadGivesSameTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "report.txt" << "/home/ann/data";
        QTest::newRow("colon") << "a:b.txt" << "/home/ann/da:ta";
        QTest::newRow("line breaks") << "two\r\nlines\n" << "/t";
        QTest::newRow("escape lookalike") << "*3A*" << "/x*0A";
        QTest::newRow("title with separator") << "f" << "odd::title";
        QTest::newRow("non-ascii") << QString::fromUtf8("r\xC3\xA9sum\xC3\xA9 \xE6\x97\xA5.txt") << "/d";
    }

    void writeThenReadGivesSameTree()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QTemporaryDir dir;
        FileEntry written;
        written.SetTitle(title);
        AddFile(written, "/" + name, 100, 1, 32);
        AddFile(written, "/" + name + "/" + name + "/inner", 200, 4'294'967'296LL, 33);
        AddFile(written, "/z/deep/" + name, -1, 0, 0);
        const QString path = dir.filePath("Job");
        QVERIFY(StateFile::WriteFile(path, written));

        FileEntry read;
        StateFile::ReadFile(path, read);
        QCOMPARE(read.Title(), title);
        CompareTrees(written, read);
        QCOMPARE(read.Child(1)->IsFolder, 1);
    }

    void namesWithSeparatorsKeepLineStructure()
    {
        FileEntry root;
        root.SetTitle("/r");
        AddFile(root, "/a:b\r\nc", 1, 2, 3);
        const QByteArray text = StateFile::Serialize(root);
        QCOMPARE(text, QByteArray("/r::1\r\na*3Ab*0D*0Ac:0:/a*3Ab*0D*0Ac:1:2:3\r\n"));
    }

    void malformedReadsAsMissing_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray ok = "T::1\r\nf:0:/f:1:2:3\r\n";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header without separator") << QByteArray("T:1\r\nf:0:/f:1:2:3\r\n");
        QTest::newRow("negative header count") << QByteArray("T::-1\r\n");
        QTest::newRow("truncated at top") << QByteArray("T::2\r\nf:0:/f:1:2:3\r\n");
        QTest::newRow("truncated in folder") << QByteArray("T::1\r\nd:3:/:0:-1:-1\r\nf:0:/d/f:1:2:3\r\n");
        QTest::newRow("five fields") << QByteArray("T::1\r\nf:0:/f:1:2\r\n");
        QTest::newRow("seven fields") << QByteArray("T::1\r\nf:0:/f:1:2:3:4\r\n");
        QTest::newRow("time not a number") << QByteArray("T::1\r\nf:0:/f:noon:2:3\r\n");
        QTest::newRow("time beyond 32 bits") << QByteArray("T::1\r\nf:0:/f:4294967296:2:3\r\n");
        QTest::newRow("size fraction") << QByteArray("T::1\r\nf:0:/f:1:2.5:3\r\n");
        QTest::newRow("size beyond 64 bits") << QByteArray("T::1\r\nf:0:/f:1:99999999999999999999:3\r\n");
        QTest::newRow("negative folder count") << QByteArray("T::1\r\nd:-2:/:0:-1:-1\r\n");
        // Room is made for the entries a level announces: a damaged count must not ask for more.
        QTest::newRow("huge header count") << QByteArray("T::2147483647\r\nf:0:/f:1:2:3\r\n");
        QTest::newRow("huge folder count") << QByteArray("T::1\r\nd:2147483647:/:0:-1:-1\r\nf:0:/d/f:1:2:3\r\n");
        QTest::newRow("lines left over") << ok + "g:0:/g:1:2:3\r\n";
        QTest::newRow("broken escape") << QByteArray("T::1\r\nf*3:0:/f:1:2:3\r\n");
        QTest::newRow("escape cut off at the end of a name") << QByteArray("T::1\r\nf*A:0:/f:1:2:3\r\n");
        QTest::newRow("escape cut off after one digit") << QByteArray("T::1\r\nf*0:0:/f:1:2:3\r\n");
        QTest::newRow("escape cut off at the end of a path") << QByteArray("T::1\r\nf:0:/f*A:1:2:3\r\n");
        QTest::newRow("binary junk") << QByteArray("\x00\x01\x02::\xff\r\n", 9);

        QByteArray deep = "T::1\r\n";
        for (int i = 0; i < 5000; ++i)
            deep += "d:1:/:0:-1:-1\r\n";
        deep += "f:0:/f:1:2:3\r\n";
        QTest::newRow("nested beyond any real path") << deep;
    }

    void malformedReadsAsMissing()
    {
        QFETCH(QByteArray, text);
        FileEntry root;
        root.SetTitle("previous");
        AddFile(root, "/old", 1, 1, 1);
        QVERIFY(!StateFile::Parse(text, root));
        QCOMPARE(root.ChildCount(), 0);
        QVERIFY(root.Title().isEmpty());

        QTemporaryDir dir;
        const QString path = dir.filePath("Job");
        WriteText(path, text);
        FileEntry fromFile;
        AddFile(fromFile, "/old", 1, 1, 1);
        StateFile::ReadFile(path, fromFile);
        QCOMPARE(fromFile.ChildCount(), 0);
        QVERIFY(fromFile.Title().isEmpty());

        AddFile(fromFile, "/old", 1, 1, 1);
        StateFile::ReadFile(dir.filePath("missing"), fromFile);
        QCOMPARE(fromFile.ChildCount(), 0);
    }

    void acceptedShapes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("topLevel");
        QTest::newRow("empty tree") << QByteArray("T::0\r\n") << 0;
        QTest::newRow("no final line end") << QByteArray("T::1\r\nf:0:/f:1:2:3") << 1;
        QTest::newRow("bare line feeds") << QByteArray("T::1\nd:1:/:0:-1:-1\nf:0:/d/f:1:2:3\n") << 1;
        // A reader tells a folder by its size; a file's count plays no part.
        QTest::newRow("file with a count") << QByteArray("T::2\r\nf:7:/f:1:2:3\r\ng:0:/g:1:2:3\r\n") << 2;
    }

    void acceptedShapes()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, topLevel);
        FileEntry root;
        QVERIFY(StateFile::Parse(text, root));
        QCOMPARE(root.Title(), QStringLiteral("T"));
        QCOMPARE(root.ChildCount(), topLevel);
    }

    // A tree read from a file holds no path its place gives, yet writes every path back as
    // it was read: those of the usual shape, and any other.
    void readThenWrittenKeepsEveryPath_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("pathsHeld");
        QTest::newRow("local side") << QByteArray("T::2\r\na:2:/:0:-1:16\r\nb:1:/a/:0:-1:16\r\nc.txt:0:/a/b/c.txt:1:2:32\r\n"
                                                  "d.txt:0:/a/d.txt:1:2:32\r\ne.txt:0:/e.txt:1:2:32\r\n") << 0;
        QTest::newRow("server side, base path first") << QByteArray("ftp://h/pub::2\r\na:1:/:0:-1:-1\r\nc.txt:0:/pub/a/c.txt:1:2:0\r\n"
                                                                     "e.txt:0:/pub/e.txt:1:2:0\r\n") << 0;
        QTest::newRow("a path of another shape") << QByteArray("T::3\r\na.txt:0:/a.txt:1:2:32\r\nb.txt:0:/elsewhere/b.txt:1:2:32\r\n"
                                                                "d:0:/x/:0:-1:16\r\n") << 2;
        QTest::newRow("first file of no shape: nothing learnt from it") << QByteArray("T::2\r\nf:0::1:2:3\r\ng:0:/g:1:2:3\r\n") << 2;
        QTest::newRow("first file with a path of its own name only") << QByteArray("T::2\r\nf:0:f:1:2:3\r\ng:0:g:1:2:3\r\n") << 0;
        QTest::newRow("escaped names") << QByteArray("T::1\r\na*3Ab:1:/:0:-1:16\r\nc*2A:0:/a*3Ab/c*2A:1:2:32\r\n") << 0;
        QTest::newRow("a name with a blank at its end") << QByteArray("T::1\r\nd :1:/:0:-1:16\r\nf :0:/d /f :1:2:32\r\n") << 0;
    }

    void readThenWrittenKeepsEveryPath()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, pathsHeld);
        FileEntry root;
        QVERIFY(StateFile::Parse(text, root));
        QCOMPARE(StateFile::Serialize(root), text);
        int held = 0;
        const std::function<void(const FileEntry &)> count = [&](const FileEntry &level) {
            for (int i = 0; i < level.ChildCount(); ++i) {
                held += level.Child(i)->FilePath().isNull() ? 0 : 1;
                count(*level.Child(i));
            }
        };
        count(root);
        QCOMPARE(held, pathsHeld);
        // A file recorded later brings its own path along.
        StateFile::FindEntry(QStringLiteral("/new.txt"), root)->SetFilePath(QStringLiteral("/somewhere/new.txt"));
        QVERIFY(StateFile::Serialize(root).contains(":/somewhere/new.txt:"));
    }

    void failedWriteKeepsPreviousFile()
    {
        QTemporaryDir dir;
        FileEntry root;
        root.SetTitle("t");
        QVERIFY(!StateFile::WriteFile(dir.filePath("no/such/folder/Job"), root));

        // A folder in the file's place cannot be replaced: reported, and left as it was.
        QVERIFY(QDir(dir.path()).mkpath("Job/keep"));
        QVERIFY(!StateFile::WriteFile(dir.filePath("Job"), root));
        QVERIFY(QFileInfo(dir.filePath("Job/keep")).isDir());

        const QString path = dir.filePath("State");
        QVERIFY(StateFile::WriteFile(path, root));
        AddFile(root, "/n", 1, 2, 3);
        QVERIFY(StateFile::WriteFile(path, root));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("t::1\r\nn:0:/n:1:2:3\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"State"});
    }

    void findEntryAddsFoldersAlongThePath()
    {
        FileEntry root;
        FileEntry *c = StateFile::FindEntry("/a/b/c.txt", root);
        QCOMPARE(root.ChildCount(), 1);
        const FileEntry *a = root.Child(0);
        QCOMPARE(a->Name(), QStringLiteral("a"));
        QCOMPARE(a->IsFolder, 1);
        QCOMPARE(a->FilePath(), QStringLiteral("/"));
        QCOMPARE(a->FileSize, -1);
        QCOMPARE(a->FileAttr, -1);
        QCOMPARE(a->FileTime, 0);
        const FileEntry *b = a->Child(0);
        QCOMPARE(b->FilePath(), QStringLiteral("/a/"));
        QCOMPARE(b->ChildCount(), 1);
        QCOMPARE(b->Child(0), c);
        QCOMPARE(c->IsFolder, 0);
        QCOMPARE(c->Name(), QStringLiteral("c.txt"));

        QCOMPARE(StateFile::FindEntry("/a/b/c.txt", root), c);
        QCOMPARE(root.ChildCount(), 1);
        QCOMPARE(b->ChildCount(), 1);

        FileEntry *d = StateFile::FindEntry("/data/d", root);
        QCOMPARE(root.ChildCount(), 2);
        QCOMPARE(root.Child(1)->Name(), QStringLiteral("data"));
        QCOMPARE(root.Child(1)->Child(0), d);
    }

    void findEntryMatchesNameAndKind_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("time");  // of the entry found; 0 for a new one
        QTest::newRow("first file of the name") << "/x" << 1;
        QTest::newRow("folder skips a file of the name") << "/x/y" << 2;
        QTest::newRow("doubled separators") << "//x//y" << 2;
        QTest::newRow("new file in a recorded folder") << "/x/z" << 0;
        QTest::newRow("letter case differs") << "/X" << 0;
        QTest::newRow("folder where only a file is recorded") << "/f/e" << 0;
    }

    void findEntryMatchesNameAndKind()
    {
        QFETCH(QString, path);
        QFETCH(int, time);
        FileEntry root;
        QVERIFY(StateFile::Parse("T::4\r\nx:0:/x:1:0:32\r\nx:1:/:0:-1:-1\r\ny:0:/x/y:2:0:32\r\n"
                                 "x:0:/x:3:0:32\r\nf:0:/f:4:0:32\r\n",
                                 root));
        const QByteArray before = StateFile::Serialize(root);
        FileEntry *found = StateFile::FindEntry(path, root);
        QCOMPARE(found->IsFolder, 0);
        QCOMPARE(found->Name(), path.section('/', -1));
        QCOMPARE(found->FileTime, time);
        QCOMPARE(StateFile::Serialize(root) == before, time != 0);
        QCOMPARE(StateFile::FindEntry(path, root), found);
    }
};

QTEST_GUILESS_MAIN(TestStateFile)
#include "tst_statefile.moc"
