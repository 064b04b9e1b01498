#include "app/ExecutableFolder.h"
#include "model/JobList.h"
#include "tests/support/StoredDifferences.h"

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

namespace {

enum Variant { Defaults, EveryField, OddStrings, ExtremeNumbers };

void Fill(Job &t, int variant)
{
    switch (variant) {
    case Defaults:
        return;
    case EveryField: {
        t.SyncName = QStringLiteral("Übersicht Ärzte – 東京");
        t.SyncID = QStringLiteral("{A1B2}");
        t.LFolder = {1, QStringLiteral("/home/zoë/Dokumente"), 2, QStringLiteral("lu"), QStringLiteral("lp"), 3, 4,
                     QStringLiteral("lk")};
        t.RFolder = {3, QStringLiteral("ftp://127.0.0.1/pub/straße"), 5, QStringLiteral("jörg"),
                     QStringLiteral("pässwörd"), 6, 7, QStringLiteral("rk")};
        t.SyncDirection = 2;
        t.ForcedOrVerified = 8;
        t.IsDeleteFile = 1;
        t.SaveOldFile = 1;
        t.UseTempFile = 1;
        t.CheckNoChange = 9;
        t.EstimateDiskSpace = 1;
        t.IncludeFilterr = {QStringLiteral(".txt"), QStringLiteral(".doc")};
        t.ExcludeFilterr = {QStringLiteral("tmp"), QStringLiteral("~$")};
        t.ExcludeEmtpyFolder = 1;
        t.ExcludeHiddenFile = 1;
        t.ExcludeSystemFile = 1;
        t.IncludeFilter = {0x38B17800, -1, 1024, 10484711424LL};
        t.ExcludeFilter = {-1, 0x38B17BC0, -1, 9999LL * 1024};
        t.StartAnalyze = 1;
        t.StartSync = 1;
        t.ConnectAnalyze = 1;
        t.ConnectSync = 1;
        t.LogoffAnalyze = 1;
        t.LogoffSync = 1;
        t.PeriodAnalyze = 1;
        t.PeriodSync = 1;
        t.Hours = -1;
        t.minutes = 45;
        t.TSsync = 10;
        t.TSanalyze = 11;
        t.TaskScheduler = QStringLiteral("05-17-2008 14:30");
        t.Conflicts = 12;
        t.EnsureFolderTags = 13;
        return;
    }
    case OddStrings:
        t.SyncName = QStringLiteral(" Site ");
        t.LFolder.PWD = QStringLiteral("   ");
        t.RFolder.PWD = QStringLiteral("\t");
        t.LFolder.UserName = QStringLiteral(" \n ");  // a CR in a text of only blanks reads back as LF
        t.RFolder.FolerAllName = QStringLiteral("ftp://h/a&b<c>\"d\"'e'");
        t.RFolder.PrivateKey = QStringLiteral("]]><![CDATA[");
        t.TaskScheduler = QStringLiteral("line\r\nbreak\rand\nmore");
        t.IncludeFilterr = {QStringLiteral(" "), QString()};
        t.ExcludeFilterr = {QStringLiteral("a"), QString(), QStringLiteral(" b ")};
        return;
    case ExtremeNumbers: {
        const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
        const int64_t lo64 = std::numeric_limits<int64_t>::min(), hi64 = std::numeric_limits<int64_t>::max();
        t.Hours = lo;
        t.minutes = hi;
        t.LFolder.DeviceType = lo;
        t.RFolder.FactTime = hi;
        t.IncludeFilter = {lo, hi, lo64, hi64};
        t.ExcludeFilter = {0, 0, 0, 0};
        return;
    }
    }
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

// Readable and writable by its owner, by nobody else.
bool OwnerOnly(const QString &path)
{
    const QFile::Permissions p = QFile::permissions(path);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    return (p & (QFile::ReadOwner | QFile::WriteOwner)) == (QFile::ReadOwner | QFile::WriteOwner) && !(p & others);
}

QDomDocument ParseFile(const QString &path)
{
    QDomDocument doc;
    doc.setContent(ReadAll(path));
    return doc;
}

QDomElement At(QDomElement e, const QString &path)
{
    for (const QString &part : path.split(QLatin1Char('/')))
        e = e.firstChildElement(part);
    return e;
}

// Three jobs "One", "Two", "Three" saved to path.
void SaveThree(const QString &path)
{
    JobList list;
    for (const char *name : {"One", "Two", "Three"}) {
        auto t = std::make_unique<Job>();
        t->SyncName = QString::fromLatin1(name);
        t->SyncID = QStringLiteral("id-") + t->SyncName;
        t->Hours = 2;
        t->IncludeFilterr = {QStringLiteral(".txt")};
        list.AddJob(std::move(t));
    }
    QVERIFY(list.SaveTaskList(path));
}

}  // namespace

class TestTaskListFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void everyStoredFieldRoundTrips_data()
    {
        QTest::addColumn<int>("variant");
        QTest::newRow("new job") << int(Defaults);
        QTest::newRow("every field set") << int(EveryField);
        QTest::newRow("blank and markup strings") << int(OddStrings);
        QTest::newRow("extreme numbers") << int(ExtremeNumbers);
    }

    void everyStoredFieldRoundTrips()
    {
        QFETCH(int, variant);
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        JobList saved;
        auto job = std::make_unique<Job>();
        Fill(*job, variant);
        saved.AddJob(std::move(job));
        saved.AddJob(std::make_unique<Job>());
        QVERIFY(saved.SaveTaskList(path));

        JobList loaded;
        loaded.AddJob(std::make_unique<Job>());  // loading replaces what was there
        loaded.LoadTaskList(path);
        QCOMPARE(loaded.Count(), 2);
        QCOMPARE(StoredDifferences(*loaded.JobAt(0), *saved.JobAt(0)).join(","), QString());
        QCOMPARE(StoredDifferences(*loaded.JobAt(1), *saved.JobAt(1)), QStringList());
        QCOMPARE(loaded.JobAt(0)->ListState, 0);
        QCOMPARE(loaded.TextAt(0), saved.JobAt(0)->SyncID);

        // A second save of what was loaded gives the same file.
        const QByteArray first = ReadAll(path);
        QVERIFY(loaded.SaveTaskList(path));
        QCOMPARE(ReadAll(path), first);
    }

    void newFileLayout()
    {
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        JobList list;
        auto t = std::make_unique<Job>();
        t->IncludeFilterr = {QStringLiteral("first"), QStringLiteral("second")};
        list.AddJob(std::move(t));
        list.AddJob(std::make_unique<Job>());
        list.MarkJobDeleted(1);
        QVERIFY(list.SaveTaskList(path));

        const QByteArray bytes = ReadAll(path);
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
        QVERIFY(OwnerOnly(path));
        const QDomElement root = ParseFile(path).documentElement();
        QCOMPARE(root.tagName(), QStringLiteral("TaskList"));
        QCOMPARE(root.elementsByTagName(QStringLiteral("Tast")).size(), 1);  // the deleted job is left out

        const QDomElement tast = root.firstChildElement(QStringLiteral("Tast"));
        QStringList order;
        for (QDomElement e = tast.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            order << e.tagName();
        QCOMPARE(order, QStringList({"SyncName", "SyncID", "SyncDirection", "ForcedOrVerified", "IsDeleteFile",
                                     "SaveOldFile", "UseTempFile", "CheckNoChange", "EstimateDiskSpace",
                                     "LFolder", "RFolder", "Filter", "Auto"}));
        QStringList folder;
        for (QDomElement e = At(tast, "RFolder").firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            folder << e.tagName();
        QCOMPARE(folder, QStringList({"DeviceType", "FolerAllName", "validate", "UserName", "PWD", "FactTime",
                                      "ActiveMode", "PrivateKey"}));
        // Each entry followed by CR LF, as any reader of the format sees it.
        QCOMPARE(At(tast, "Filter/IncludeFilter/IncludeFilterr").text(), QStringLiteral("first\r\nsecond\r\n"));
        QCOMPARE(At(tast, "Filter/ExcludeFilter/ExcludeFilterr").text(), QString());
        QCOMPARE(At(tast, "Filter/ExcludeFilter/FileSizeMax").text(), QStringLiteral("-1"));
        QCOMPARE(At(tast, "Auto/EnsureFolderTags").text(), QStringLiteral("0"));
    }

    void faultyJobStopsLoading_data()
    {
        QTest::addColumn<QString>("element");  // below the second job
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("loaded");

        const QStringList all{"One", "Two", "Three"}, first{"One"};
        QTest::newRow("missing integer") << "Auto/StartAnalyze" << true << "" << first;
        QTest::newRow("missing side") << "RFolder" << true << "" << first;
        QTest::newRow("empty integer") << "Auto/minutes" << false << "" << first;
        QTest::newRow("not decimal") << "Auto/Hours" << false << "2h" << first;
        QTest::newRow("hexadecimal") << "SyncDirection" << false << "0x1" << first;
        QTest::newRow("beyond 32 bits") << "LFolder/DeviceType" << false << "2147483648" << first;
        QTest::newRow("beyond 64 bits") << "Filter/ExcludeFilter/FileSizeMin" << false << "9223372036854775808"
                                        << first;
        QTest::newRow("9999 MB bound") << "Filter/IncludeFilter/FileSizeMax" << false << "10484711424" << all;
        QTest::newRow("missing string") << "SyncID" << true << "" << all;
        QTest::newRow("missing list") << "Filter/IncludeFilter/IncludeFilterr" << true << "" << all;
        QTest::newRow("list with lone LF and CR") << "Filter/IncludeFilter/IncludeFilterr" << false
                                                  << "a\nb\rc" << all;
    }

    void faultyJobStopsLoading()
    {
        QFETCH(QString, element);
        QFETCH(bool, remove);
        QFETCH(QString, text);
        QFETCH(QStringList, loaded);
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        SaveThree(path);

        QDomDocument doc = ParseFile(path);
        const QDomElement second = doc.documentElement().firstChildElement().nextSiblingElement();
        QDomElement target = At(second, element);
        QVERIFY(!target.isNull());
        if (remove) {
            target.parentNode().removeChild(target);
        } else {
            while (target.hasChildNodes())
                target.removeChild(target.firstChild());
            target.appendChild(doc.createTextNode(text));
        }
        WriteAll(path, doc.toByteArray());

        JobList list;
        const auto result = list.LoadTaskList(path);
        QCOMPARE(result, loaded.size() == 3 ? JobList::LoadResult::Complete
                                            : JobList::LoadResult::PartlyRead);
        QStringList names;
        for (int i = 0; i < list.Count(); ++i)
            names << list.JobAt(i)->SyncName;
        QCOMPARE(names, loaded);
        if (list.Count() < 2)
            return;
        const Job &two = *list.JobAt(1);
        if (element == QLatin1String("SyncID"))
            QVERIFY(two.SyncID.isEmpty());
        else if (element.endsWith(QLatin1String("IncludeFilterr")))
            QCOMPARE(two.IncludeFilterr, remove ? QStringList() : QStringList({"a", "b", "c"}));
        else
            QCOMPARE(two.IncludeFilter.FileSizeMax, int64_t(10484711424LL));
    }

    void jobsReplacedByALoadStayAlive()
    {
        // A page or its worker may still hold a job when an import replaces the list.
        const QString path = m_dir->filePath(QStringLiteral("import.tkl"));
        SaveThree(path);
        JobList list;
        auto running = std::make_unique<Job>();
        running->SyncName = QStringLiteral("running job with a long name");
        running->IncludeFilterr = {QStringLiteral(".txt")};
        list.AddJob(std::move(running));
        Job *held = list.JobAt(0);
        list.LoadTaskList(path);
        QCOMPARE(list.Count(), 3);
        held->CancelFlag = 1;
        QCOMPARE(held->SyncName, QStringLiteral("running job with a long name"));
        QCOMPARE(held->IncludeFilterr, QStringList({".txt"}));
    }

    void readsAnyRootAndElementOrder()
    {
        const QString path = m_dir->filePath(QStringLiteral("import.tkl"));
        SaveThree(path);
        QDomDocument doc = ParseFile(path);
        QDomElement root = doc.documentElement();
        root.setTagName(QStringLiteral("Jobs"));
        // Reverse the children of the first job; a comment between jobs is not a job.
        QDomElement first = root.firstChildElement();
        QList<QDomNode> children;
        for (QDomNode n = first.firstChild(); !n.isNull(); n = n.nextSibling())
            children.prepend(n);
        for (const QDomNode &n : children)
            first.appendChild(n);
        root.insertAfter(doc.createComment(QStringLiteral("note")), first);
        WriteAll(path, doc.toByteArray());

        JobList list;
        list.LoadTaskList(path);
        QCOMPARE(list.Count(), 3);
        QCOMPARE(list.JobAt(0)->SyncName, QStringLiteral("One"));
        QCOMPARE(list.JobAt(0)->Hours, 2);
        QCOMPARE(list.JobAt(0)->IncludeFilterr, QStringList({".txt"}));
    }

    void unreadableFilesLoadNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("not XML") << QByteArray("tasks: none") << true;
        QTest::newRow("cut short") << QByteArray("<?xml version=\"1.0\"?><TaskList><Tast><SyncName>a</Sync") << true;
    }

    void unreadableFilesLoadNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        if (exists)
            WriteAll(path, content);
        JobList list;
        list.AddJob(std::make_unique<Job>());
        QCOMPARE(list.LoadTaskList(path),
                 exists ? JobList::LoadResult::Unreadable : JobList::LoadResult::NoFile);
        QCOMPARE(list.Count(), 0);
    }

    void saveKeepsRootAndDeclaration()
    {
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        WriteAll(path, QByteArray("<?xml version='1.0' encoding='ISO-8859-1' standalone='yes'?>\n"
                                  "<!-- exported -->\n<Jobs><Tast><SyncName>old</SyncName></Tast>"
                                  "<Other/></Jobs>\n"));
        JobList list;
        auto t = std::make_unique<Job>();
        t->SyncName = QStringLiteral("Grüße");
        list.AddJob(std::move(t));
        QVERIFY(list.SaveTaskList(path));

        const QByteArray bytes = ReadAll(path);
        // The text is UTF-8 now, so the declaration has to say so.
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"));
        QVERIFY(bytes.contains("<!-- exported -->"));
        QVERIFY(bytes.contains("Grüße"));
        const QDomElement root = ParseFile(path).documentElement();
        QCOMPARE(root.tagName(), QStringLiteral("Jobs"));
        QCOMPARE(root.childNodes().size(), 1);

        JobList back;
        back.LoadTaskList(path);
        QCOMPARE(back.Count(), 1);
        QCOMPARE(back.JobAt(0)->SyncName, QStringLiteral("Grüße"));
    }

    void saveLeavesMalformedFileAlone()
    {
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        const QByteArray broken("<TaskList><Tast><SyncName>half");
        WriteAll(path, broken);
        JobList list;
        list.AddJob(std::make_unique<Job>());
        QVERIFY(!list.SaveTaskList(path));
        QCOMPARE(ReadAll(path), broken);
    }

    void saveTightensPermissions()
    {
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        SaveThree(path);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                | QFile::ReadOther));
        JobList list;
        list.LoadTaskList(path);
        QVERIFY(list.SaveTaskList(path));
        QVERIFY(OwnerOnly(path));
    }

    void unsafeCharactersDoNotBreakTheFile()
    {
        const QString path = m_dir->filePath(QStringLiteral("tasklist.tkl"));
        JobList list;
        auto t = std::make_unique<Job>();
        t->SyncName = QStringLiteral("a\x01" "b");
        t->LFolder.PWD = QStringLiteral("p") + QChar(0xD800) + QStringLiteral("w");
        list.AddJob(std::move(t));
        list.AddJob(std::make_unique<Job>());
        QVERIFY(list.SaveTaskList(path));
        JobList back;
        back.LoadTaskList(path);
        QCOMPARE(back.Count(), 2);
        QCOMPARE(back.JobAt(0)->SyncName, QStringLiteral("ab"));
        QCOMPARE(back.JobAt(0)->LFolder.PWD, QStringLiteral("pw"));
    }

    void defaultFileIsBesideTheExecutable()
    {
        const QString path = ExecutableFolder() + QStringLiteral("tasklist.tkl");
        const bool had = QFile::exists(path);
        const QByteArray previous = ReadAll(path);
        JobList list;
        auto t = std::make_unique<Job>();
        t->SyncName = QStringLiteral("beside");
        list.AddJob(std::move(t));
        const bool saved = list.SaveTaskList();
        JobList back;
        back.LoadTaskList(path);
        if (had)
            WriteAll(path, previous);
        else
            QFile::remove(path);
        QVERIFY(saved);
        QCOMPARE(back.Count(), 1);
        QCOMPARE(back.JobAt(0)->SyncName, QStringLiteral("beside"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestTaskListFile)
#include "tst_tasklistfile.moc"
