#include "engine/RowRecord.h"
#include "engine/SyncAction.h"

#include <QtTest>

class TestRowValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void proposal_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("direct");
        QTest::addColumn<int>("direction");
        QTest::newRow("left only") << int(saLeftOnly) << 20 << 8 << 6 << 2;
        QTest::newRow("right only") << int(saRightOnly) << 12 << 20 << 6 << 1;
        QTest::newRow("update left") << int(saUpdateLeft) << 12 << 10 << 6 << 1;
        QTest::newRow("update right") << int(saUpdateRight) << 14 << 8 << 6 << 2;
        QTest::newRow("same") << int(saSame) << 0 << 0 << 16 << 0;
        QTest::newRow("not set") << -1 << 0 << 0 << 16 << 0;
    }

    void proposal()
    {
        QFETCH(int, action);
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(int, direct);
        QFETCH(int, direction);
        // Start from a row the user changed and the sync copied: the proposal is restored whole.
        RowRecord row;
        row.Name = "a.txt";
        row.Action = action;
        row.LeftPath = "/data/a.txt";
        row.Direction = (direction + 1) % 3;
        row.LeftImage = 18;
        row.RightImage = 18;
        row.DirectImage = 18;
        row.HoverColumn = 2;
        RowValues::ApplyProposal(row, action);
        QCOMPARE(row.LeftImage, left);
        QCOMPARE(row.RightImage, right);
        QCOMPARE(row.DirectImage, direct);
        QCOMPARE(row.Direction, direction);
        QCOMPARE(row.Action, action);
        QCOMPARE(row.Name, QStringLiteral("a.txt"));
        QCOMPARE(row.LeftPath, QStringLiteral("/data/a.txt"));
        QCOMPARE(row.HoverColumn, 2);
        QCOMPARE(row.Kind, 0);
    }

    void folderAndRootRows_data()
    {
        QTest::addColumn<bool>("root");
        QTest::addColumn<int>("icon");
        QTest::newRow("root row") << true << 6;
        QTest::newRow("folder row") << false << 3;
    }

    void folderAndRootRows()
    {
        QFETCH(bool, root);
        QFETCH(int, icon);
        const RowRecord row = root ? RowValues::RootRow("Daily", 4, 7) : RowValues::FolderRow("Daily", 4, 7);
        QCOMPARE(row.Kind, 1);
        QCOMPARE(row.Name, QStringLiteral("Daily"));
        QCOMPARE(row.IconIndex, icon);
        QCOMPARE(row.LeftImage, 24);
        QCOMPARE(row.RightImage, 22);
        QCOMPARE(row.DirectImage, 6);
        QCOMPARE(row.ToLeftCount, 4);
        QCOMPARE(row.ToRightCount, 7);
        QCOMPARE(row.Action, 0);
        QCOMPARE(row.Direction, 0);
        QVERIFY(row.LeftPath.isEmpty() && row.RightPath.isEmpty());
        QCOMPARE(row.LeftTime + row.RightTime + row.LeftAttr + row.RightAttr, 0);
        QCOMPARE(row.LeftSize + row.RightSize, 0);
    }

    void copiedRowKeepsItsActionAndDirection()
    {
        RowRecord row;
        row.Action = saUpdateLeft;
        RowValues::ApplyProposal(row, row.Action);
        RowValues::MarkCopied(row);
        QCOMPARE(row.LeftImage, 0);
        QCOMPARE(row.RightImage, 0);
        QCOMPARE(row.DirectImage, 16);
        QCOMPARE(row.Action, int(saUpdateLeft));
        QCOMPARE(row.Direction, 1);
    }
};

QTEST_GUILESS_MAIN(TestRowValues)
#include "tst_rowvalues.moc"
