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
};

QTEST_GUILESS_MAIN(TestFileEntry)
#include "tst_fileentry.moc"
