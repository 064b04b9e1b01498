#include "folders/FileEntry.h"

#include <QtTest>

namespace {

std::vector<int> Named(const FileEntry &parent, const char *name)
{
    const std::vector<int> *hits = parent.ChildrenNamed(QString::fromUtf8(name));
    return hits ? *hits : std::vector<int>();
}

}  // namespace

class TestFileEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The name index must give what a scan of the level would: every entry of that exact
    // name, in child order, also for children added after the first lookup.
    void nameLookupMatchesAScan()
    {
        FileEntry root;
        root.AddChild(QStringLiteral("x"));
        root.AddChild(QStringLiteral("X"));
        root.AddChild(QStringLiteral("x"));
        QCOMPARE(Named(root, "x"), std::vector<int>({0, 2}));
        QCOMPARE(Named(root, "X"), std::vector<int>({1}));
        QVERIFY(!root.ChildrenNamed(QStringLiteral("y")));

        root.AddChild(QStringLiteral("y"));
        root.AddChild(QStringLiteral("x"));
        QCOMPARE(Named(root, "x"), std::vector<int>({0, 2, 4}));
        QCOMPARE(Named(root, "y"), std::vector<int>({3}));

        root.ClearChildren();
        QCOMPARE(root.ChildCount(), 0);
        QVERIFY(!root.ChildrenNamed(QStringLiteral("x")));
        root.AddChild(QStringLiteral("x"));
        QCOMPARE(Named(root, "x"), std::vector<int>({0}));
    }

    // A level grows in blocks: entries keep their place as it grows, with or without room
    // made beforehand, and each index gives the entry added at that place.
    void entriesStayInPlace_data()
    {
        QTest::addColumn<int>("reserved");
        QTest::addColumn<int>("count");
        QTest::newRow("one") << 0 << 1;
        QTest::newRow("across many blocks") << 0 << 5000;
        QTest::newRow("exactly the room made") << 100 << 100;
        QTest::newRow("beyond the room made") << 100 << 1000;
        QTest::newRow("less than the room made") << 100 << 7;
    }

    void entriesStayInPlace()
    {
        QFETCH(int, reserved);
        QFETCH(int, count);
        FileEntry root;
        root.ReserveChildren(reserved);
        std::vector<FileEntry *> added;
        for (int i = 0; i < count; ++i) {
            FileEntry *e = root.AddChild(QString::number(i));
            e->FileSize = i;
            added.push_back(e);
            if (i == count / 2)
                root.ReserveChildren(3);  // room made in the middle of a level
        }
        QCOMPARE(root.ChildCount(), count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(root.Child(i), added[size_t(i)]);
            QCOMPARE(root.Child(i)->FileSize, i);
            QCOMPARE(root.Child(i)->Name(), QString::number(i));
        }
        QCOMPARE(Named(root, "0"), std::vector<int>({0}));
        QCOMPARE(Named(root, qPrintable(QString::number(count - 1))), std::vector<int>({count - 1}));
    }

    // The index must follow a level whose buffer of names moves as it grows: every name
    // added after the first lookup, however many, is found where a scan finds it.
    void nameLookupFollowsAGrowingLevel()
    {
        FileEntry root;
        root.AddChild(QStringLiteral("a"));
        QCOMPARE(Named(root, "a"), std::vector<int>({0}));
        std::vector<int> twins{0};
        for (int i = 1; i < 3000; ++i) {
            const bool twin = i % 100 == 0;
            root.AddChild(twin ? QStringLiteral("a") : QStringLiteral("name number %1").arg(i));
            if (twin)
                twins.push_back(i);
            if (i % 7 == 0)
                QCOMPARE(Named(root, "a"), twins);
        }
        QCOMPARE(Named(root, "a"), twins);
        QCOMPARE(Named(root, "name number 2999"), std::vector<int>({2999}));
        root.FitNames();
        QCOMPARE(Named(root, "name number 1"), std::vector<int>({1}));
        QCOMPARE(root.Child(2999)->Name(), QStringLiteral("name number 2999"));
    }

    // Names come back exactly as given, whatever their characters; a recorded path is kept
    // apart from the entry and reads back null, empty or as set, also after the level grew.
    void namesAndPathsReadBackAsGiven_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain, no path") << QStringLiteral("a.txt") << QString();
        QTest::newRow("empty path is not none") << QStringLiteral("a.txt") << QStringLiteral("");
        QTest::newRow("other folder") << QStringLiteral("b") << QStringLiteral("/elsewhere/b");
        QTest::newRow("accents and blanks") << QString::fromUtf8(" \xc3\xa9t\xc3\xa9 \xe2\x82\xac ") << QStringLiteral("/x/");
        QTest::newRow("colon and line break") << QStringLiteral("a:b\r\nc") << QStringLiteral("/a:b");
        QTest::newRow("empty name") << QString() << QStringLiteral("/");
        QTest::newRow("longest name an entry holds") << QString(65535, u'n') << QString();
        QTest::newRow("longer than an entry holds") << QString(70000, u'n') << QStringLiteral("/l");
        QTest::newRow("long in bytes, not in characters") << QString(30000, QChar(0x20ac)) << QString();
    }

    void namesAndPathsReadBackAsGiven()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        FileEntry root;
        root.SetFilePath(QStringLiteral("/base/"));
        FileEntry *first = root.AddChild(QStringLiteral("first"));
        FileEntry *e = root.AddChild(name);
        e->SetFilePath(path);
        for (int i = 0; i < 1000; ++i)
            root.AddChild(QString::number(i))->SetFilePath(QString::number(i));
        QCOMPARE(e->Name(), name);
        QCOMPARE(e->FilePath(), path);
        QCOMPARE(e->FilePath().isNull(), path.isNull());
        QCOMPARE(e->HasFilePath(), !path.isNull());
        QVERIFY(first->FilePath().isNull());
        QCOMPARE(root.FilePath(), QStringLiteral("/base/"));
        QCOMPARE(e->Path(), QStringLiteral("/base/") + name);
        QCOMPARE(root.Child(500)->FilePath(), QStringLiteral("498"));

        e->SetFilePath(QString());
        QVERIFY(e->FilePath().isNull());
        QVERIFY(!e->HasFilePath());
        root.ClearChildren();
        FileEntry *again = root.AddChild(name);
        QVERIFY(!again->HasFilePath());
        QCOMPARE(again->Name(), name);
        QCOMPARE(root.FilePath(), QStringLiteral("/base/"));
    }

    // A listing entry reads back the time and size its state tree recorded, whether they
    // differ from its own or not, also after it was marked again and its level grew.
    void recordedValuesReadBackAsSet_data()
    {
        QTest::addColumn<int>("time");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("recordedTime");
        QTest::addColumn<qint64>("recordedSize");
        QTest::newRow("unchanged") << 100 << qint64(5) << 100 << qint64(5);
        QTest::newRow("older time") << 100 << qint64(5) << 99 << qint64(5);
        QTest::newRow("other size") << 100 << qint64(5) << 100 << qint64(6000000000);
        QTest::newRow("both differ") << 100 << qint64(5) << 0 << qint64(0);
    }

    void recordedValuesReadBackAsSet()
    {
        QFETCH(int, time);
        QFETCH(qint64, size);
        QFETCH(int, recordedTime);
        QFETCH(qint64, recordedSize);
        FileEntry root;
        FileEntry *folder = root.AddChild(QStringLiteral("f"))->AddChild(QStringLiteral("g"));
        FileEntry *e = folder->AddChild(QStringLiteral("a"));
        FileEntry *sibling = folder->AddChild(QStringLiteral("b"));
        FileEntry *cousin = root.AddChild(QStringLiteral("a"));
        for (FileEntry *x : {e, sibling, cousin}) {
            x->FileTime = time;
            x->FileSize = size;
        }
        e->SetStateTime(recordedTime);
        e->SetStateSize(recordedSize);
        cousin->SetStateTime(time + 1);
        cousin->SetStateSize(size + 1);
        for (int i = 0; i < 1000; ++i)
            folder->AddChild(QString::number(i));
        QCOMPARE(e->StateTime(), recordedTime);
        QCOMPARE(e->StateSize(), recordedSize);
        QCOMPARE(sibling->StateTime(), time);
        QCOMPARE(sibling->StateSize(), size);
        QCOMPARE(cousin->StateTime(), time + 1);
        QCOMPARE(cousin->StateSize(), size + 1);

        // Marked again against another record: the last one holds.
        e->SetStateTime(time + 7);
        e->SetStateSize(size + 7);
        QCOMPARE(e->StateTime(), time + 7);
        QCOMPARE(e->StateSize(), size + 7);
        e->SetStateTime(time);
        e->SetStateSize(size);
        QCOMPARE(e->StateTime(), time);
        QCOMPARE(e->StateSize(), size);
        QCOMPARE(e->FileTime, time);
        QCOMPARE(e->FileSize, size);
    }

    // A child's path runs through the names of the folders above it.
    void pathRunsThroughTheFolders()
    {
        FileEntry root;
        root.SetFilePath(QStringLiteral("/base/"));
        root.AddChild(QStringLiteral("a"));
        FileEntry *d = root.AddChild(QStringLiteral("d"));
        d->IsFolder = 1;
        FileEntry *inner = d->AddChild(QStringLiteral("f"));
        QCOMPARE(inner->Parent, d);
        QCOMPARE(inner->Path(), QStringLiteral("/base/d/f"));
        QCOMPARE(d->Path(), QStringLiteral("/base/d"));
        QCOMPARE(Named(*d, "f"), std::vector<int>({0}));
        QCOMPARE(Named(root, "d"), std::vector<int>({1}));
    }
};

QTEST_GUILESS_MAIN(TestFileEntry)
#include "tst_fileentry.moc"
