#include "engine/DecisionRules.h"
#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"
#include "folders/StateFile.h"

#include <QtTest>

namespace {

// Trees written as state-file text: a size of -1 makes a folder, the fourth field is the time.
void Build(const QByteArray &text, FileEntry &root)
{
    QVERIFY2(StateFile::Parse(text, root), text.constData());
}

// "path=mark" for every file of a listing, in pre-order.
void Marks(const FileEntry &level, const QString &prefix, QStringList &out)
{
    for (int i = 0; i < level.ChildCount(); ++i) {
        const FileEntry &e = *level.Child(i);
        if (e.IsFolder) {
            QCOMPARE(e.StateMark, 0);
            Marks(e, prefix + e.Name() + "/", out);
        } else {
            out << prefix + e.Name() + "=" + QString::number(e.StateMark);
        }
    }
}

}  // namespace

class TestDecisionRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decideAction_data()
    {
        QTest::addColumn<int>("leftMark");
        QTest::addColumn<int>("rightMark");
        QTest::addColumn<int>("leftTime");
        QTest::addColumn<int>("rightTime");
        QTest::addColumn<int>("action");

        const int early = 0x38A16000, late = 0x38A16001;
        const char *names[] = {"not recorded", "unchanged", "changed"};
        // Whenever a side has no record, times alone decide, whatever the other side's mark.
        for (int other = 0; other < 3; ++other) {
            for (int side = 0; side < (other == 0 ? 1 : 2); ++side) {
                const int l = side == 0 ? 0 : other, r = side == 0 ? other : 0;
                const QByteArray tag = QByteArray(names[l]) + "/" + names[r];
                QTest::newRow(tag + " left later") << l << r << late << early << int(saUpdateRight);
                QTest::newRow(tag + " left earlier") << l << r << early << late << int(saUpdateLeft);
                QTest::newRow(tag + " equal") << l << r << early << early << int(saSame);
            }
        }
        QTest::newRow("both unchanged, times differ") << 1 << 1 << late << early << int(saSame);
        QTest::newRow("both unchanged, equal") << 1 << 1 << early << early << int(saSame);
        QTest::newRow("right changed, left later") << 1 << 2 << late << early << int(saUpdateLeft);
        QTest::newRow("right changed, left earlier") << 1 << 2 << early << late << int(saUpdateLeft);
        QTest::newRow("left changed, right later") << 2 << 1 << early << late << int(saUpdateRight);
        QTest::newRow("left changed, left later") << 2 << 1 << late << early << int(saUpdateRight);
        QTest::newRow("both changed, left later") << 2 << 2 << late << early << int(saUpdateRight);
        QTest::newRow("both changed, right later") << 2 << 2 << early << late << int(saUpdateLeft);
        QTest::newRow("both changed, equal") << 2 << 2 << early << early << int(saUpdateLeft);
        // Signed comparison: a word with the top bit set is earlier than any positive one.
        QTest::newRow("signed times") << 0 << 0 << int(0x80000000) << early << int(saUpdateLeft);
    }

    void decideAction()
    {
        QFETCH(int, leftMark);
        QFETCH(int, rightMark);
        QFETCH(int, leftTime);
        QFETCH(int, rightTime);
        QFETCH(int, action);
        FileEntry l, r;
        l.StateMark = leftMark;
        r.StateMark = rightMark;
        l.FileTime = leftTime;
        r.FileTime = rightTime;
        l.FileSize = 1;
        r.FileSize = 999;  // sizes never take part
        QCOMPARE(int(DecideAction(l, r)), action);
    }

    void markChanges_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<QByteArray>("state");
        QTest::addColumn<QStringList>("marks");

        const QByteArray files = "L::3\r\na:0:/a:10:1:32\r\nb:0:/b:20:1:32\r\nc:0:/c:30:1:32\r\n";
        QTest::newRow("same, other, absent")
            << files << QByteArray("S::2\r\na:0:/a:10:5:32\r\nb:0:/b:21:1:32\r\n")
            << QStringList{"a=1", "b=2", "c=0"};
        QTest::newRow("no state file") << files << QByteArray("::0\r\n")
                                       << QStringList{"a=0", "b=0", "c=0"};
        QTest::newRow("letter case differs") << files << QByteArray("S::1\r\nA:0:/A:10:1:32\r\n")
                                             << QStringList{"a=0", "b=0", "c=0"};
        QTest::newRow("names are not trimmed") << files << QByteArray("S::1\r\na :0:/a :10:1:32\r\n")
                                               << QStringList{"a=0", "b=0", "c=0"};
        QTest::newRow("recorded as folder") << files << QByteArray("S::1\r\na:0:/:0:-1:-1\r\n")
                                            << QStringList{"a=0", "b=0", "c=0"};
        QTest::newRow("first record of the name decides")
            << files << QByteArray("S::3\r\nb:0:/b:99:1:32\r\nb:0:/b:20:1:32\r\na:0:/a:10:1:32\r\n")
            << QStringList{"a=1", "b=2", "c=0"};
        QTest::newRow("nested folders")
            << QByteArray("L::1\r\nd:1:/d:0:-1:-1\r\ne:2:/d/e:0:-1:-1\r\nf:0:/d/e/f:7:1:32\r\ng:0:/d/e/g:8:1:32\r\n")
            << QByteArray("S::1\r\nd:1:/:0:-1:-1\r\ne:2:/d/:0:-1:-1\r\ng:0:/d/e/g:9:1:32\r\nf:0:/d/e/f:7:1:32\r\n")
            << QStringList{"d/e/f=1", "d/e/g=2"};
        QTest::newRow("file recorded at another level")
            << QByteArray("L::1\r\nd:1:/d:0:-1:-1\r\nf:0:/d/f:7:1:32\r\n")
            << QByteArray("S::2\r\nf:0:/f:7:1:32\r\nd:0:/:0:-1:-1\r\n")
            << QStringList{"d/f=0"};
        // Every recorded folder of the name is searched, so the last one found wins.
        QTest::newRow("folder recorded twice")
            << QByteArray("L::1\r\nd:2:/d:0:-1:-1\r\nf:0:/d/f:7:1:32\r\ng:0:/d/g:8:1:32\r\n")
            << QByteArray("S::2\r\nd:2:/:0:-1:-1\r\nf:0:/d/f:6:1:32\r\ng:0:/d/g:8:1:32\r\n"
                          "d:1:/:0:-1:-1\r\nf:0:/d/f:7:1:32\r\n")
            << QStringList{"d/f=1", "d/g=1"};
        QTest::newRow("empty listing folder") << QByteArray("L::1\r\nd:0:/d:0:-1:-1\r\n")
                                              << QByteArray("S::1\r\nd:1:/:0:-1:-1\r\nf:0:/d/f:1:1:1\r\n")
                                              << QStringList();
    }

    void markChanges()
    {
        QFETCH(QByteArray, listing);
        QFETCH(QByteArray, state);
        QFETCH(QStringList, marks);
        FileEntry l, s;
        Build(listing, l);
        Build(state, s);
        MarkChanges(l, s);
        QStringList out;
        Marks(l, "", out);
        QCOMPARE(out, marks);
    }

    void markSeesEntriesAddedAfterALookup()
    {
        // The name index is built on first use; records added later must still be found.
        FileEntry listing, state;
        Build("L::2\r\nx:0:/x:5:1:32\r\ny:0:/y:6:1:32\r\n", listing);
        Build("S::1\r\nx:0:/x:5:1:32\r\n", state);
        MarkChanges(listing, state);
        StateFile::FindEntry("/y", state)->FileTime = 6;
        MarkChanges(listing, state);
        QStringList out;
        Marks(listing, "", out);
        QCOMPARE(out, (QStringList{"x=1", "y=1"}));
    }

    void countFile_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("toLeft");
        QTest::addColumn<int>("toRight");
        QTest::newRow("same") << int(saSame) << 0 << 0;
        QTest::newRow("left only") << int(saLeftOnly) << 0 << 1;
        QTest::newRow("right only") << int(saRightOnly) << 1 << 0;
        QTest::newRow("update left") << int(saUpdateLeft) << 1 << 0;
        QTest::newRow("update right") << int(saUpdateRight) << 0 << 1;
    }

    void countFile()
    {
        QFETCH(int, action);
        QFETCH(int, toLeft);
        QFETCH(int, toRight);
        ResultEntry target;
        target.SetCounts(4, 2, 3);
        CountFile(target, action);
        QCOMPARE(target.FileCount(), 5);
        QCOMPARE(target.ToLeftCount(), 2 + toLeft);
        QCOMPARE(target.ToRightCount(), 3 + toRight);
    }
};

QTEST_GUILESS_MAIN(TestDecisionRules)
#include "tst_decisionrules.moc"
