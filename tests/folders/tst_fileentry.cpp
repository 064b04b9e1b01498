#include "folders/FileEntry.h"

#include <QtTest>

namespace {

std::unique_ptr<FileEntry> Entry(const char *name)
{
    auto e = std::make_unique<FileEntry>();
    e->FileName = QString::fromUtf8(name);
    return e;
}

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
        root.AddChild(Entry("x"));
        root.AddChild(Entry("X"));
        root.AddChild(Entry("x"));
        QCOMPARE(Named(root, "x"), std::vector<int>({0, 2}));
        QCOMPARE(Named(root, "X"), std::vector<int>({1}));
        QVERIFY(!root.ChildrenNamed(QStringLiteral("y")));

        root.AddChild(Entry("y"));
        root.AddChild(Entry("x"));
        QCOMPARE(Named(root, "x"), std::vector<int>({0, 2, 4}));
        QCOMPARE(Named(root, "y"), std::vector<int>({3}));

        root.ClearChildren();
        QCOMPARE(root.ChildCount, 0);
        QVERIFY(!root.ChildrenNamed(QStringLiteral("x")));
        root.AddChild(Entry("x"));
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
        QCOMPARE(root.ChildCount, count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(root.Child(i), added[size_t(i)]);
            QCOMPARE(root.Child(i)->FileSize, i);
            QCOMPARE(root.Child(i)->FileName, QString::number(i));
        }
        QCOMPARE(Named(root, "0"), std::vector<int>({0}));
        QCOMPARE(Named(root, qPrintable(QString::number(count - 1))), std::vector<int>({count - 1}));
    }

    // An entry built apart and then added brings its children along, still in their place.
    void addedEntryKeepsItsChildren()
    {
        auto folder = Entry("d");
        folder->IsFolder = 1;
        FileEntry *inner = folder->AddChild(QStringLiteral("f"));
        inner->FileSize = 42;
        FileEntry root;
        root.FilePath = QStringLiteral("/base/");
        root.AddChild(Entry("a"));
        FileEntry *d = root.AddChild(std::move(folder));
        QCOMPARE(d->FileName, QStringLiteral("d"));
        QCOMPARE(d->ChildCount, 1);
        QCOMPARE(d->Child(0), inner);
        // The path runs through the tree the entry joined, not the one it was built in.
        QCOMPARE(inner->Parent, d);
        QCOMPARE(inner->Path(), QStringLiteral("/base/d/f"));
        QCOMPARE(d->Path(), QStringLiteral("/base/d"));
        QCOMPARE(Named(*d, "f"), std::vector<int>({0}));
        QCOMPARE(Named(root, "d"), std::vector<int>({1}));
    }
};

QTEST_GUILESS_MAIN(TestFileEntry)
#include "tst_fileentry.moc"
