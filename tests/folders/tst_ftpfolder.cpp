#include "app/DosDateTime.h"
#include "folders/FileEntry.h"
#include "folders/FileFilter.h"
#include "folders/FtpFolder.h"
#include "folders/Side.h"
#include "folders/StateFile.h"
#include "model/Job.h"
#include "platform/FtpSession.h"
#include "platform/FtpSessionPool.h"
#include "tests/support/FtpServerFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <ctime>

namespace {

void writeFile(const QString &path, const QByteArray &content, const QDateTime &modified = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.flush();  // a later flush would move the time again
    if (modified.isValid())
        QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const FileEntry *childNamed(const FileEntry &folder, const QString &name)
{
    for (int i = 0; i < folder.ChildCount(); ++i)
        if (folder.Child(i)->Name() == name)
            return folder.Child(i);
    return nullptr;
}

QStringList childNames(const FileEntry &folder)
{
    QStringList names;
    for (int i = 0; i < folder.ChildCount(); ++i)
        names << folder.Child(i)->Name();
    names.sort();
    return names;
}

// Every entry in tree order, with what the analysis reads of it.
QStringList treeLines(const FileEntry &folder)
{
    QStringList lines;
    for (int i = 0; i < folder.ChildCount(); ++i) {
        const FileEntry *c = folder.Child(i);
        lines << QStringLiteral("%1 %2 %3 %4 %5").arg(c->Path()).arg(c->IsFolder).arg(c->FileTime).arg(c->FileSize)
                     .arg(c->FileCount());
        lines << treeLines(*c);
    }
    return lines;
}

// A minute in the past, whole minutes: LIST shows no seconds.
QDateTime recentUtc()
{
    QDateTime t = QDateTime::currentDateTimeUtc().addDays(-1);
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()), Qt::UTC);
}

void addModes()
{
    QTest::addColumn<bool>("mlsd");
}

struct RecordingSink : FtpNodeSink {
    QStringList added;
    void *AddNode(void *parent, const QString &text, const FtpNodeRecord &data, int image, int selected,
                  bool isFolder) override
    {
        added << QStringLiteral("%1|%2|%3|%4|%5|%6")
                     .arg(parent ? QStringLiteral("child") : QStringLiteral("top"), text, data.FolderName,
                          data.FolderUrl)
                     .arg(image * 10 + selected)
                     .arg(isFolder);
        return nullptr;
    }
};

}  // namespace

class TestFtpFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Three and a half hours west of UTC, no daylight saving: server times (UTC) that
        // were packed without conversion to local time would show.
        qputenv("TZ", "XST3:30");
        tzset();
        QVERIFY(QDateTime(QDate(2024, 7, 1), QTime(12, 0), Qt::UTC).toLocalTime().time() == QTime(8, 30));
    }

    void urlParts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("base");
        QTest::newRow("plain") << "server/pub/" << "ftp://server/pub" << "server" << "/pub";
        QTest::newRow("complete") << "ftp://server/pub" << "ftp://server/pub" << "server" << "/pub";
        QTest::newRow("no path") << "ftp://server" << "ftp://server" << "server" << "";
        QTest::newRow("blanks around") << "  ftp://server/a b/ " << "ftp://server/a b" << "server" << "/a b";
        QTest::newRow("port") << "ftp://host:2121/pub" << "ftp://host:2121/pub" << "host:2121" << "/pub";
        QTest::newRow("host text inside the scheme") << "ftp://f/tp" << "ftp://f/tp" << "f" << "/tp";
        QTest::newRow("capital scheme") << "FTP://server/Pub" << "ftp://server/Pub" << "server" << "/Pub";
        QTest::newRow("host and port, no scheme") << "host:2121/pub" << "ftp://host:2121/pub" << "host:2121" << "/pub";
        QTest::newRow("host alone") << "ftp.example.com" << "ftp://ftp.example.com" << "ftp.example.com" << "";
        QTest::newRow("trailing slashes") << "ftp://server/pub//" << "ftp://server/pub" << "server" << "/pub";
        QTest::newRow("FTP over TLS") << "FTPS://server:990/pub/" << "ftps://server:990/pub" << "server:990" << "/pub";
        QTest::newRow("SFTP, absolute path") << "sftp://host/home/me" << "sftp://host/home/me" << "host" << "/home/me";
        QTest::newRow("SFTP scheme text in the path") << "sftp://s/ftp://x" << "sftp://s/ftp://x" << "s" << "/ftp://x";
    }
    void urlParts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, url);
        QCOMPARE(FtpFolder::NormalizeFtpUrl(typed), url);
        QTEST(FtpFolder::GetFtpHost(url), "host");
        QTEST(FtpFolder::RemoteBasePath(url), "base");
    }

    void connect_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("right login") << "ok";
        QTest::newRow("wrong password") << "password";
        QTest::newRow("closed port") << "closed";
    }
    void connect()
    {
        QFETCH(QString, how);
        FtpServerFixture server;
        QVERIFY(server.start());
        JobSide src = server.source();
        if (how == QLatin1String("password"))
            src.PWD = QStringLiteral("wrong");
        if (how == QLatin1String("closed"))
            server.stop();
        const int32_t rc = FtpFolder::ConnectFtp(src);
        QCOMPARE(rc == 0, how == QLatin1String("ok"));
    }

    void listFolder_data()
    {
        addModes();
        QTest::addColumn<int>("connections");
        QTest::newRow("MLSD, one connection") << true << 1;
        QTest::newRow("MLSD, four") << true << 4;
        QTest::newRow("LIST, one connection") << false << 1;
        QTest::newRow("LIST, four") << false << 4;
    }
    void listFolder()
    {
        QFETCH(bool, mlsd);
        QFETCH(int, connections);
        FtpSessionPool::Global().SetConnections(connections);
        FtpServerFixture server;
        const QString pub = server.root() + QStringLiteral("/pub");
        const QDateTime recent = recentUtc();
        writeFile(pub + QStringLiteral("/a.txt"), "four", recent);
        writeFile(pub + QString::fromUtf8("/sp ace \xc3\xbc.txt"), "x", recent);
        writeFile(pub + QStringLiteral("/skip.log"), "filtered");
        writeFile(pub + QStringLiteral("/__Save__/old.txt"), "never listed");
        writeFile(pub + QStringLiteral("/__FileSync__/Daily"), "never listed");
        writeFile(pub + QStringLiteral("/sub/deep/b.txt"), "b");
        writeFile(pub + QStringLiteral("/sub/__Save__/c.txt"), "never listed");
        writeFile(pub + QString::fromUtf8("/sub/\xc3\xbc dir/c.txt"), "c");
        // A folder whose name ends in a blank, beside one without it.
        writeFile(pub + QStringLiteral("/sub/deep /e.txt"), "e");
        // A link back to the listed folder: the server shows it as a folder (MLSD) or a link
        // (LIST, then a file the filter drops); followed, it would list the tree over and over.
        QVERIFY(QFile::link(QStringLiteral("../.."), pub + QString::fromUtf8("/sub/\xc3\xbc dir/top.log")));
        writeFile(pub + QStringLiteral("/locked/hidden.txt"), "behind a refusal");
        QFile big(pub + QStringLiteral("/big.bin"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(5LL << 30));  // sparse
        big.close();
        server.setFolderPermissions(QStringLiteral("pub/locked"), QString());
        QVERIFY(server.start(mlsd));

        Job job;
        job.ExcludeFilterr = QStringList{QStringLiteral(".log")};
        const FileFilter filter(job);
        const JobSide src = server.source();
        QCOMPARE(FtpFolder::ConnectFtp(src), 0);
        FileEntry root;
        FtpFolder::ListFolder(src, root, filter);

        QCOMPARE(childNames(root), (QStringList{QStringLiteral("a.txt"), QStringLiteral("big.bin"),
                                                QStringLiteral("locked"), QString::fromUtf8("sp ace \xc3\xbc.txt"),
                                                QStringLiteral("sub")}));
        QCOMPARE(root.FileCount(), 6);  // a.txt, big.bin, sp ace, b.txt, c.txt, e.txt
        const FileEntry *a = childNamed(root, QStringLiteral("a.txt"));
        QCOMPARE(a->Path(), QStringLiteral("/pub/a.txt"));
        // A listing holds names only: a path per entry would double what a big listing weighs.
        QVERIFY(a->FilePath().isNull());
        QCOMPARE(a->FileSize, 4);
        // The same instant packs the same way as a local file's time does.
        QCOMPARE(a->FileTime, DosDateTime::FromEpochSeconds(recent.toSecsSinceEpoch()));
        QCOMPARE(a->IsFolder, 0);
        QCOMPARE(a->FileAttr, 0);
        QCOMPARE(childNamed(root, QStringLiteral("big.bin"))->FileSize, int64_t(5LL << 30));
        QCOMPARE(childNamed(root, QStringLiteral("locked"))->ChildCount(), 0);
        const FileEntry *sub = childNamed(root, QStringLiteral("sub"));
        QCOMPARE(sub->IsFolder, 1);
        QCOMPARE(sub->FileCount(), 3);
        QCOMPARE(childNames(*sub), (QStringList{QStringLiteral("deep"), QStringLiteral("deep "),
                                                QString::fromUtf8("\xc3\xbc dir")}));
        QCOMPARE(childNames(*childNamed(*sub, QStringLiteral("deep "))), QStringList{QStringLiteral("e.txt")});
        QCOMPARE(childNamed(*childNamed(*sub, QStringLiteral("deep ")), QStringLiteral("e.txt"))->Path(),
                 QStringLiteral("/pub/sub/deep /e.txt"));
        const FileEntry *uDir = childNamed(*sub, QString::fromUtf8("\xc3\xbc dir"));
        QCOMPARE(childNames(*uDir), QStringList{QStringLiteral("c.txt")});
        const FileEntry *c = childNamed(*uDir, QStringLiteral("c.txt"));
        QCOMPARE(c->Path(), QString::fromUtf8("/pub/sub/\xc3\xbc dir/c.txt"));
        QCOMPARE(FtpSession::Global().UsesList(), !mlsd);

        FileEntry whole;
        FtpFolder::ListFolder(server.source(QString()), whole, filter);
        QCOMPARE(childNames(whole), QStringList{QStringLiteral("pub")});
        QCOMPARE(whole.Child(0)->Path(), QStringLiteral("/pub"));
        QCOMPARE(whole.FileCount(), 6);

        // What a download records must equal what the listing shows, or the file would look
        // changed at the next analysis.
        QTemporaryDir local;
        for (const QString &name : {QStringLiteral("a.txt"), QString::fromUtf8("sp ace \xc3\xbc.txt")}) {
            FileEntry state;
            const FileEntry *listed = childNamed(root, name);
            QVERIFY(FtpFolder::GetRemoteFile(listed->Path(), local.filePath(name), state, src));
            const FileEntry *recorded = FtpFolder::FindStateEntry(QLatin1Char('/') + name, state);
            QCOMPARE(recorded->FilePath(), listed->Path());
            QCOMPARE(recorded->FileTime, listed->FileTime);
            QCOMPARE(recorded->FileSize, listed->FileSize);
            QCOMPARE(readFile(local.filePath(name)), readFile(pub + QLatin1Char('/') + name));
        }

        RecordingSink folders;
        FtpFolder::FillFolderTree(src, folders, nullptr);
        folders.added.sort();
        const QString url = src.FolerAllName;
        QCOMPARE(folders.added, (QStringList{QStringLiteral("top|locked|locked|%1/locked|11|1").arg(url),
                                             QStringLiteral("top|sub|sub|%1/sub|11|1").arg(url)}));
        RecordingSink contents;
        FtpFolder::FillContentsTree(QStringLiteral("/pub/sub/deep"), src, contents);
        QCOMPARE(contents.added, QStringList{QStringLiteral("top|b.txt|b.txt|%1/b.txt|11|0").arg(url)});
    }

    // Fails when the tree depends on which connection finishes first (children in completion
    // order, counts summed too early), when a server that refuses extra connections loses
    // folders, or when the refusal goes unsaid or is said where there was none.
    void parallelListingGivesTheSameTree_data()
    {
        QTest::addColumn<int>("accepted");
        QTest::addColumn<bool>("mlsd");
        QTest::newRow("all four accepted") << 0 << true;
        QTest::newRow("all four accepted, LIST") << 0 << false;
        QTest::newRow("two accepted") << 2 << true;
        QTest::newRow("only the first accepted") << 1 << true;
    }
    void parallelListingGivesTheSameTree()
    {
        QFETCH(int, accepted);
        QFETCH(bool, mlsd);
        FtpServerFixture server;
        // Folders of different sizes, so that listings end in another order than they began.
        for (int a = 0; a < 6; ++a)
            for (int b = 0; b < 4; ++b)
                for (int f = 0; f < (a * 7 + b * 3) % 5; ++f)
                    writeFile(server.root() + QStringLiteral("/pub/s%1/p%2/f%3.txt").arg(a).arg(b).arg(f),
                              QByteArray(f + 1, 'x'));
        server.setMaxConnections(accepted);
        QVERIFY(server.start(mlsd));
        const JobSide src = server.source();
        const Job job;
        const FileFilter filter{job};
        QCOMPARE(FtpFolder::ConnectFtp(src), 0);

        FtpSessionPool::Global().SetConnections(1);
        FileEntry serial;
        QString serialNotice;
        QVERIFY(FtpFolder::ListFolder(src, serial, filter, nullptr, nullptr, &serialNotice));
        FtpSessionPool::Global().SetConnections(4);
        FileEntry parallel;
        QString notice;
        QString failedFolder;
        QVERIFY(FtpFolder::ListFolder(src, parallel, filter, &failedFolder, nullptr, &notice));
        QCOMPARE(failedFolder, QString());

        QCOMPARE(treeLines(parallel), treeLines(serial));
        QCOMPARE(parallel.FileCount(), serial.FileCount());
        QCOMPARE(serial.FileCount(), 48);
        QVERIFY(serialNotice.isEmpty());
        if (accepted == 0)
            QVERIFY2(notice.isEmpty(), qPrintable(notice));
        else
            QVERIFY2(notice.startsWith(QStringLiteral("The FTP server accepted %1 of 4 connections (").arg(accepted)),
                     qPrintable(notice));
    }

    void upload_data()
    {
        addModes();
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QByteArray>("onServer");  // empty: no server copy yet
        QTest::addColumn<QByteArray>("userAside");  // a user's file already named x.p
        QTest::addColumn<int>("saveOldFile");
        for (bool mlsd : {true, false}) {
            const char *mode = mlsd ? "MLSD" : "LIST";
            QTest::addRow("%s new file, new folders, save on", mode)
                << mlsd << QString::fromUtf8("/docs/n\xc3\xa9w dir/a b.txt") << QByteArray() << QByteArray() << 1;
            QTest::addRow("%s replace", mode) << mlsd << "/docs/a.txt" << QByteArray("old") << QByteArray() << 0;
            QTest::addRow("%s replace, old copy saved", mode)
                << mlsd << "/docs/a.txt" << QByteArray("old") << QByteArray() << 1;
            QTest::addRow("%s replace, keep-aside name taken", mode)
                << mlsd << "/docs/a.txt" << QByteArray("old") << QByteArray("user's own") << 0;
        }
    }
    void upload()
    {
        QFETCH(bool, mlsd);
        QFETCH(QString, relative);
        QFETCH(QByteArray, onServer);
        QFETCH(QByteArray, userAside);
        QFETCH(int, saveOldFile);
        FtpServerFixture server;
        const QString onDisk = server.root() + QStringLiteral("/pub") + relative;
        QDir().mkpath(server.root() + QStringLiteral("/pub"));
        if (!onServer.isEmpty())
            writeFile(onDisk, onServer);
        if (!userAside.isEmpty())
            writeFile(onDisk + QStringLiteral(".p"), userAside);
        QVERIFY(server.start(mlsd));
        QTemporaryDir local;
        const QString localFile = local.filePath(QStringLiteral("new.txt"));
        writeFile(localFile, "new content");
        const QString saveFolder = local.filePath(QStringLiteral("__Save__/Daily"));

        const JobSide src = server.source();
        FileEntry state;
        FtpFolder::ForceRemoteFolders(relative, src);
        QVERIFY(FtpFolder::SyncUpload(localFile, saveFolder, saveOldFile, state, src, QStringLiteral("/pub") + relative));

        QCOMPARE(readFile(onDisk), QByteArray("new content"));
        QCOMPARE(readFile(onDisk + QStringLiteral(".p")), userAside.isEmpty() ? QByteArray("<missing>") : userAside);
        QVERIFY(!QFileInfo::exists(onDisk + QStringLiteral(".p1")));
        const bool saved = saveOldFile == 1 && !onServer.isEmpty();
        QCOMPARE(readFile(saveFolder + relative), saved ? onServer : QByteArray("<missing>"));

        Job job;
        FileEntry listing;
        FtpFolder::ListFolder(src, listing, FileFilter(job));
        const FileEntry *recorded = FtpFolder::FindStateEntry(relative, state);
        QCOMPARE(recorded->FilePath(), QStringLiteral("/pub") + relative);
        QCOMPARE(recorded->FileSize, 11);
        QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const FileEntry *listed = &listing;
        for (const QString &part : parts)
            listed = childNamed(*listed, part);
        QVERIFY(listed);
        QCOMPARE(recorded->FileTime, listed->FileTime);
    }

    void keepAsideNameTakenOnDownload()
    {
        FtpServerFixture server;
        writeFile(server.root() + QStringLiteral("/pub/a.txt"), "from server");
        QVERIFY(server.start());
        QTemporaryDir local;
        writeFile(local.filePath(QStringLiteral("a.txt")), "mine");
        writeFile(local.filePath(QStringLiteral("a.txt.p")), "user's own");
        FileEntry state;
        QVERIFY(FtpFolder::SyncDownload(QStringLiteral("/pub/a.txt"), local.filePath(QStringLiteral("a.txt")), state,
                                       server.source()));
        QCOMPARE(readFile(local.filePath(QStringLiteral("a.txt"))), QByteArray("from server"));
        QCOMPARE(readFile(local.filePath(QStringLiteral("a.txt.p"))), QByteArray("user's own"));
        QCOMPARE(QDir(local.path()).entryList(QDir::Files).size(), 2);
    }

    void failedTransferLeavesBothSides_data()
    {
        addModes();
        QTest::addColumn<bool>("download");
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("failure");
        for (bool mlsd : {true, false}) {
            const char *mode = mlsd ? "MLSD" : "LIST";
            QTest::addRow("%s download, server stopped", mode) << mlsd << true << "/pub/a.txt" << "stopped";
            QTest::addRow("%s download, read refused", mode) << mlsd << true << "/pub/noread/a.txt" << "refused";
            QTest::addRow("%s download, no such file", mode) << mlsd << true << "/pub/none.txt" << "missing";
            QTest::addRow("%s upload, server stopped", mode) << mlsd << false << "/pub/a.txt" << "stopped";
            QTest::addRow("%s upload, store refused", mode) << mlsd << false << "/pub/nostore/a.txt" << "refused";
            QTest::addRow("%s upload, no such folder", mode) << mlsd << false << "/pub/none/a.txt" << "missing";
        }
    }
    void failedTransferLeavesBothSides()
    {
        QFETCH(bool, mlsd);
        QFETCH(bool, download);
        QFETCH(QString, remote);
        QFETCH(QString, failure);
        FtpServerFixture server;
        const QString onDisk = server.root() + remote;
        if (failure != QLatin1String("missing"))
            writeFile(onDisk, "server copy");
        QDir().mkpath(server.root() + QStringLiteral("/pub/noread"));
        QDir().mkpath(server.root() + QStringLiteral("/pub/nostore"));
        server.setFolderPermissions(QStringLiteral("pub/noread"), QStringLiteral("el"));
        server.setFolderPermissions(QStringLiteral("pub/nostore"), QStringLiteral("elradfmMT"));
        QVERIFY(server.start(mlsd));
        const JobSide src = server.source();
        QCOMPARE(FtpFolder::ConnectFtp(src), 0);
        if (failure == QLatin1String("stopped"))
            server.stop();

        QTemporaryDir local;
        const QString localFile = local.filePath(QStringLiteral("a.txt"));
        writeFile(localFile, "local copy");
        FileEntry state;
        const bool ok = download ? FtpFolder::SyncDownload(remote, localFile, state, src)
                                 : FtpFolder::SyncUpload(localFile, local.filePath(QStringLiteral("save")), 1, state,
                                                        src, remote);
        QVERIFY(!ok);
        QCOMPARE(readFile(localFile), QByteArray("local copy"));
        QCOMPARE(QDir(local.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.txt")});
        QCOMPARE(readFile(onDisk),
                 failure == QLatin1String("missing") ? QByteArray("<missing>") : QByteArray("server copy"));
        QVERIFY(!QFileInfo::exists(onDisk + QStringLiteral(".p")));
        QCOMPARE(state.ChildCount(), 0);
    }

    void itemCommands_data() { addModes(); QTest::newRow("MLSD") << true; QTest::newRow("LIST") << false; }
    void itemCommands()
    {
        QFETCH(bool, mlsd);
        FtpServerFixture server;
        writeFile(server.root() + QStringLiteral("/pub/view.txt"), "to view");
        writeFile(server.root() + QStringLiteral("/pub/gone.txt"), "to delete");
        writeFile(server.root() + QStringLiteral("/pub/back.txt"), "damaged");
        QVERIFY(server.start(mlsd));
        const JobSide src = server.source();
        QTemporaryDir local;

        QVERIFY(FtpFolder::FetchFile(QStringLiteral("/pub/view.txt"), local.filePath(QStringLiteral("v")), src));
        QCOMPARE(readFile(local.filePath(QStringLiteral("v"))), QByteArray("to view"));
        QVERIFY(!FtpFolder::FetchFile(QStringLiteral("/pub/none.txt"), local.filePath(QStringLiteral("n")), src));

        QVERIFY(FtpFolder::DeleteFtpFile(QStringLiteral("/pub/gone.txt"), src));
        QVERIFY(!QFileInfo::exists(server.root() + QStringLiteral("/pub/gone.txt")));
        QVERIFY(!FtpFolder::DeleteFtpFile(QStringLiteral("/pub/gone.txt"), src));

        const QString saved = local.filePath(QStringLiteral("__Save__/Daily/back.txt"));
        writeFile(saved, "saved version");
        SideEntry restored;
        QVERIFY(FtpFolder::RestoreFile(saved, QStringLiteral("/pub/back.txt"), src, restored));
        QCOMPARE(readFile(server.root() + QStringLiteral("/pub/back.txt")), QByteArray("saved version"));
        QVERIFY(!QFileInfo::exists(saved));
        QCOMPARE(restored.Type, SideEntry::File);
        QCOMPARE(restored.FileSize, 13);
        QVERIFY(restored.FileTime != 0);
    }

    void stateFileRoundTrip_data()
    {
        addModes();
        QTest::addColumn<QString>("syncName");
        QTest::newRow("MLSD") << true << "Daily";
        QTest::newRow("LIST") << false << "Daily";
        // Names of the program's own files: the temporary copy must not land beside it.
        QTest::newRow("MLSD, job named like the task list") << true << "tasklist.tkl";
    }
    void stateFileRoundTrip()
    {
        QFETCH(bool, mlsd);
        QFETCH(QString, syncName);
        FtpServerFixture server;
        QDir().mkpath(server.root() + QStringLiteral("/pub"));
        QVERIFY(server.start(mlsd));
        const JobSide src = server.source();
        const QString programFile = QCoreApplication::applicationDirPath() + QLatin1Char('/') + syncName;
        QVERIFY(!QFileInfo::exists(programFile));

        FileEntry missing;
        FtpFolder::LoadStateFile(QStringLiteral("/pub/__FileSync__/"), src, missing, syncName);
        QCOMPARE(missing.ChildCount(), 0);

        FileEntry root;
        root.SetTitle(src.FolerAllName);
        FileEntry *big = FtpFolder::FindStateEntry(QStringLiteral("/docs/big.bin"), root);
        big->SetFilePath(QStringLiteral("/pub/docs/big.bin"));
        big->FileSize = 3000000000LL;
        big->FileTime = DosDateTime::PackFields(2024, 5, 6, 7, 8, 10);
        FileEntry *name = FtpFolder::FindStateEntry(QString::fromUtf8("/\xc3\xbc b.txt"), root);
        name->SetFilePath(QString::fromUtf8("/pub/\xc3\xbc b.txt"));
        name->FileSize = 1;
        QVERIFY(FtpFolder::SaveStateFile(syncName, src, root));
        QVERIFY(QFileInfo::exists(server.root() + QStringLiteral("/pub/__FileSync__/") + syncName));

        FileEntry loaded;
        FtpFolder::LoadStateFile(QStringLiteral("/pub/__FileSync__/"), src, loaded, syncName);
        QCOMPARE(loaded.Title(), src.FolerAllName);
        QCOMPARE(StateFile::Serialize(loaded), StateFile::Serialize(root));
        QCOMPARE(FtpFolder::FindStateEntry(QStringLiteral("/docs/big.bin"), loaded)->FileSize, 3000000000LL);
        QVERIFY(!QFileInfo::exists(programFile));
    }

    void droppedSessionWorksAgain_data() { addModes(); QTest::newRow("MLSD") << true; QTest::newRow("LIST") << false; }
    void droppedSessionWorksAgain()
    {
        QFETCH(bool, mlsd);
        FtpServerFixture server;
        writeFile(server.root() + QStringLiteral("/pub/a.txt"), "a");
        QVERIFY(server.start(mlsd, 1));
        const JobSide src = server.source();
        QCOMPARE(FtpFolder::ConnectFtp(src), 0);
        Job job;
        const FileFilter filter(job);
        FileEntry before;
        FtpFolder::ListFolder(src, before, filter);
        QCOMPARE(before.FileCount(), 1);
        QThread::msleep(2500);  // past the server's idle time-out
        FileEntry after;
        FtpFolder::ListFolder(src, after, filter);
        QCOMPARE(after.FileCount(), 1);
        QThread::msleep(2500);
        QTemporaryDir local;
        writeFile(local.filePath(QStringLiteral("b.txt")), "b");
        FileEntry state;
        QVERIFY(FtpFolder::SyncUpload(local.filePath(QStringLiteral("b.txt")), local.path(), 0, state, src,
                                     QStringLiteral("/pub/b.txt")));
        QCOMPARE(readFile(server.root() + QStringLiteral("/pub/b.txt")), QByteArray("b"));
    }

    void eachSourceGetsItsOwnServer()
    {
        FtpServerFixture first, second;
        writeFile(first.root() + QStringLiteral("/pub/first.txt"), "1");
        writeFile(second.root() + QStringLiteral("/pub/second.txt"), "2");
        QVERIFY(first.start());
        QVERIFY(second.start(false));
        const JobSide one = first.source(), two = second.source();
        Job job;
        const FileFilter filter(job);

        QCOMPARE(FtpFolder::ConnectFtp(one), 0);
        FileEntry listed;
        FtpFolder::ListFolder(two, listed, filter);
        QCOMPARE(childNames(listed), QStringList{QStringLiteral("second.txt")});

        QTemporaryDir local;
        writeFile(local.filePath(QStringLiteral("up.txt")), "up");
        FileEntry state;
        FtpFolder::ConnectFtp(one);
        QVERIFY(FtpFolder::SyncUpload(local.filePath(QStringLiteral("up.txt")), local.path(), 0, state, two,
                                     QStringLiteral("/pub/up.txt")));
        QVERIFY(QFileInfo::exists(second.root() + QStringLiteral("/pub/up.txt")));
        QVERIFY(!QFileInfo::exists(first.root() + QStringLiteral("/pub/up.txt")));

        FileEntry again;
        FtpFolder::ListFolder(one, again, filter);
        QCOMPARE(childNames(again), QStringList{QStringLiteral("first.txt")});
    }
};

QTEST_GUILESS_MAIN(TestFtpFolder)
#include "tst_ftpfolder.moc"
