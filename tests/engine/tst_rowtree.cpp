#include "engine/RowTree.h"
#include "engine/SyncAction.h"
#include "model/Job.h"
#include "tests/support/HandMadeResult.h"

#include <QtTest>

namespace {

// Every action, a pair of folders with equal times holding a change, one-sided folders,
// an empty folder and a folder pair whose right folder is newer.
void MakeResult(HandMadeResult &made)
{
    const auto folder = [&](ResultEntry &parent, const QString &title, int32_t action, int32_t toLeft,
                            int32_t toRight, int32_t files) {
        ResultEntry *f = made.Add(parent, title, action, true);
        f->SetCounts(files, toLeft, toRight);
        return f;
    };
    ResultEntry &root = made.Root;
    made.Add(root, "same", saSame);
    made.Add(root, "new", saLeftOnly);
    made.Add(root, "old", saRightOnly);
    made.Add(root, "upLeft", saUpdateLeft);
    made.Add(root, "upRight", saUpdateRight);
    ResultEntry *eq = folder(root, "eq", saSame, 1, 0, 2);
    made.Add(*eq, "changed", saUpdateLeft);
    made.Add(*eq, "same2", saSame);
    made.Add(*folder(root, "onlyL", saLeftOnly, 0, 1, 1), "a", saLeftOnly);
    made.Add(*folder(root, "onlyR", saRightOnly, 1, 0, 1), "b", saRightOnly);
    folder(root, "empty", saSame, 0, 0, 0);
    made.Add(*folder(root, "rNewer", saUpdateLeft, 0, 1, 1), "c", saUpdateRight);
    root.SetCounts(10, 4, 4);
}

void Dump(const Row &node, const QString &prefix, QStringList &out)
{
    for (int i = 0; i < node.ChildCount(); ++i) {
        const Row &c = *node.Child(i);
        const QString path = prefix + c.Data.Name;
        if (c.Data.Kind == 1) {
            out << path + "/";
            Dump(c, path + "/", out);
        } else {
            out << QStringLiteral("%1 %2").arg(path).arg(c.Data.Direction);
        }
    }
}

}  // namespace

class TestRowTree : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void views_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("all, two-way") << -1 << 0
            << QStringList{"same 0", "new 2", "old 1", "upLeft 1", "upRight 2", "eq/", "eq/changed 1", "eq/same2 0",
                           "onlyL/", "onlyL/a 2", "onlyR/", "onlyR/b 1", "rNewer/", "rNewer/c 2"};
        QTest::newRow("changes, two-way: folders with equal times still list their changes") << 0 << 0
            << QStringList{"new 2", "old 1", "upLeft 1", "upRight 2", "eq/", "eq/changed 1", "onlyL/", "onlyL/a 2",
                           "onlyR/", "onlyR/b 1", "rNewer/", "rNewer/c 2"};
        QTest::newRow("changes, left to right") << 0 << 1
            << QStringList{"new 2", "upRight 2", "onlyL/", "onlyL/a 2", "rNewer/", "rNewer/c 2"};
        QTest::newRow("changes, right to left") << 0 << 2
            << QStringList{"old 1", "upLeft 1", "eq/", "eq/changed 1", "onlyR/", "onlyR/b 1"};
        QTest::newRow("all, left to right") << -1 << 1
            << QStringList{"same 0", "new 2", "upRight 2", "eq/", "eq/same2 0", "onlyL/", "onlyL/a 2", "rNewer/",
                           "rNewer/c 2"};
    }

    void views()
    {
        QFETCH(int, mode);
        QFETCH(int, direction);
        Job job;
        job.SyncName = "Daily";
        job.SyncDirection = direction;
        HandMadeResult made;
        MakeResult(made);
        const ResultEntry &result = made.Root;
        RowTree tree(job);
        int steps = 0;
        tree.SetProgressStep([&] { ++steps; });
        tree.BuildView(result, mode);
        QStringList rows;
        Dump(*tree.RootNode(), QString(), rows);
        QTEST(rows, "rows");
        QCOMPARE(steps, int(rows.filter(QRegularExpression(" \\d$")).size()));
        // The counts shown stay those of the analysis whatever the direction hides.
        QCOMPARE(tree.RootNode()->Data.ToLeftCount, 4);
        QCOMPARE(tree.RootNode()->Data.ToRightCount, 4);
    }

    void cancelOrNoNameAddsNoRows()
    {
        Job job;
        job.SyncName = "Daily";
        HandMadeResult made;
        MakeResult(made);
        const ResultEntry &result = made.Root;
        RowTree tree(job);
        tree.BuildView(result, RowTree::ModeAll);
        QVERIFY(tree.RootNode()->ChildCount() > 0);
        job.CancelFlag = 1;
        tree.BuildView(result, RowTree::ModeAll);
        QCOMPARE(tree.RootNode()->ChildCount(), 0);

        Job unnamed;
        RowTree empty(unnamed);
        QCOMPARE(empty.MakeRootNode(), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestRowTree)
#include "tst_rowtree.moc"
