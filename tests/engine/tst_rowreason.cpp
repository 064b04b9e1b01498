#include "app/DosDateTime.h"
#include "engine/DecisionRules.h"
#include "engine/Pairing.h"
#include "engine/ResultEntry.h"
#include "engine/RowReason.h"
#include "engine/RowTree.h"
#include "folders/FileEntry.h"
#include "model/Job.h"
#include "tests/support/RecordingListener.h"

#include <QtTest>

namespace {

// A copy of the file "f" on one side as listed or recorded: time and size, or absent.
struct Copy {
    int32_t Time = 0;
    int64_t Size = -1;  // -1: absent; -2: a folder of the name
};

const int32_t T1402 = DosDateTime::PackFields(2026, 12, 9, 14, 2, 0);
const int32_t T1540 = DosDateTime::PackFields(2026, 12, 9, 15, 40, 0);
const int32_t T1600 = DosDateTime::PackFields(2026, 12, 9, 16, 0, 0);

void Add(FileEntry &level, const Copy &copy)
{
    if (copy.Size == -1)
        return;
    FileEntry *entry = level.AddChild(QStringLiteral("f"));
    entry->FileTime = copy.Time;
    if (copy.Size == -2) {
        entry->IsFolder = 1;
        entry->AddChild(QStringLiteral("inner"));
    } else {
        entry->FileSize = copy.Size;
    }
}

}  // namespace

Q_DECLARE_METATYPE(Copy)

class TestRowReason : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    // Every rule, through marking, pairing and the rows as the window fills them: the text
    // names the rule with the values it compared, and its arrow is the action's travel.
    void reasonOfEachRule_data()
    {
        QTest::addColumn<Copy>("left");
        QTest::addColumn<Copy>("right");
        QTest::addColumn<Copy>("leftRecorded");
        QTest::addColumn<Copy>("rightRecorded");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("text");

        const Copy none;
        QTest::newRow("new on the left") << Copy{T1402, 5} << none << none << none << int(saLeftOnly)
                                         << "New on the left \u2192 copy to right";
        QTest::newRow("new on the right") << none << Copy{T1402, 5} << none << none << int(saRightOnly)
                                          << "New on the right \u2192 copy to left";
        QTest::newRow("gone on the right, left unchanged")
            << Copy{T1402, 5} << none << Copy{T1402, 5} << Copy{T1402, 5} << int(saLeftOnly)
            << "Missing on the right since the last sync; left unchanged (deletions are not carried over) "
               "\u2192 copy to right";
        QTest::newRow("gone on the left, right unchanged")
            << none << Copy{T1402, 5} << Copy{T1402, 5} << Copy{T1402, 5} << int(saRightOnly)
            << "Missing on the left since the last sync; right unchanged (deletions are not carried over) "
               "\u2192 copy to left";
        QTest::newRow("gone on the right, left changed")
            << Copy{T1540, 1310} << none << Copy{T1402, 1204} << none << int(saLeftOnly)
            << "Missing on the right; left changed since the last sync (size 1,204 \u2192 1,310, "
               "9 Dec 2026 14:02 \u2192 9 Dec 2026 15:40) \u2192 copy to right";
        QTest::newRow("gone on the left, right changed")
            << none << Copy{T1540, 7} << none << Copy{T1402, 7} << int(saRightOnly)
            << "Missing on the left; right changed since the last sync (9 Dec 2026 14:02 \u2192 9 Dec 2026 "
               "15:40) \u2192 copy to left";
        QTest::newRow("both unchanged, times differ")
            << Copy{T1402, 5} << Copy{T1600, 5} << Copy{T1402, 5} << Copy{T1600, 5} << int(saSame)
            << "Both copies unchanged since the last sync \u2192 nothing to do";
        QTest::newRow("left changed, right later")
            << Copy{T1540, 1310} << Copy{T1600, 1204} << Copy{T1402, 1204} << Copy{T1600, 1204}
            << int(saUpdateRight)
            << "Left changed since the last sync (size 1,204 \u2192 1,310, 9 Dec 2026 14:02 \u2192 9 Dec 2026 "
               "15:40); right unchanged \u2192 copy to right";
        QTest::newRow("right changed, left later")
            << Copy{T1600, 1204} << Copy{T1540, 1310} << Copy{T1600, 1204} << Copy{T1402, 1204}
            << int(saUpdateLeft)
            << "Right changed since the last sync (size 1,204 \u2192 1,310, 9 Dec 2026 14:02 \u2192 9 Dec 2026 "
               "15:40); left unchanged \u2192 copy to left";
        QTest::newRow("both changed, left later")
            << Copy{T1600, 1} << Copy{T1540, 2} << Copy{T1402, 1} << Copy{T1402, 1} << int(saUpdateRight)
            << "Conflict: changed on both sides since the last sync (left 9 Dec 2026 16:00, right 9 Dec 2026 "
               "15:40); the later left copy wins \u2192 copy to right";
        QTest::newRow("both changed, right later")
            << Copy{T1540, 1} << Copy{T1600, 2} << Copy{T1402, 1} << Copy{T1402, 1} << int(saUpdateLeft)
            << "Conflict: changed on both sides since the last sync (left 9 Dec 2026 15:40, right 9 Dec 2026 "
               "16:00); the later right copy wins \u2192 copy to left";
        QTest::newRow("both changed, same time")
            << Copy{T1540, 1} << Copy{T1540, 2} << Copy{T1402, 1} << Copy{T1402, 1} << int(saUpdateLeft)
            << "Conflict: changed on both sides since the last sync (left 9 Dec 2026 15:40, right 9 Dec 2026 "
               "15:40); same time: the right copy wins \u2192 copy to left";
        QTest::newRow("no records, left later")
            << Copy{T1600, 1} << Copy{T1540, 1} << none << none << int(saUpdateRight)
            << "No sync record on either side; left is later (left 9 Dec 2026 16:00, right 9 Dec 2026 15:40) \u2192 copy to "
               "right";
        QTest::newRow("no records, same time")
            << Copy{T1540, 1204} << Copy{T1540, 1310} << none << none << int(saSame)
            << "No sync record on either side; same time on both sides (9 Dec 2026 15:40), sizes 1,204 and 1,310 are not "
               "compared \u2192 nothing to do";
        QTest::newRow("not recorded on the right, right later")
            << Copy{T1402, 1} << Copy{T1540, 1} << Copy{T1402, 1} << none << int(saUpdateLeft)
            << "No sync record on the right; right is later (left 9 Dec 2026 14:02, right 9 Dec 2026 15:40) "
               "\u2192 copy to left";
        QTest::newRow("not recorded on the left, left later")
            << Copy{T1540, 1} << Copy{T1402, 1} << none << Copy{T1402, 1} << int(saUpdateRight)
            << "No sync record on the left; left is later (left 9 Dec 2026 15:40, right 9 Dec 2026 14:02) "
               "\u2192 copy to right";
        QTest::newRow("a file paired with a folder")
            << Copy{T1540, 1} << Copy{T1402, -2} << none << none << int(saUpdateRight)
            << "No sync record on either side; left is later (left 9 Dec 2026 15:40, right 9 Dec 2026 14:02) (the other "
               "side holds a folder of this name) \u2192 copy to right";
    }

    void reasonOfEachRule()
    {
        QFETCH(Copy, left);
        QFETCH(Copy, right);
        QFETCH(Copy, leftRecorded);
        QFETCH(Copy, rightRecorded);
        QFETCH(int, action);
        QFETCH(QString, text);

        FileEntry leftList, rightList, leftState, rightState;
        ResultEntry result;
        Add(leftList, left);
        Add(rightList, right);
        Add(leftState, leftRecorded);
        Add(rightState, rightRecorded);
        MarkChanges(leftList, leftState);
        MarkChanges(rightList, rightState);
        Job job;
        job.SyncName = QStringLiteral("J");
        RecordingListener listener;
        QVERIFY(Pairing(job, listener).PairLevel(leftList, rightList, result));
        RowTree rows(job);
        rows.BuildView(result, RowTree::ModeAll);
        QCOMPARE(rows.RootNode()->ChildCount(), 1);
        const RowRecord &row = rows.RootNode()->Child(0)->Data;
        QCOMPARE(row.Action, action);
        QCOMPARE(ReasonText(row), text);
        // The conflict count follows the rule, not the text.
        QCOMPARE(row.Reason.Conflict(), QByteArray(QTest::currentDataTag()).startsWith("both changed"));
    }

    // What the user or the last synchronisation did to a row comes first; the rules' reason stays.
    void changesAfterTheProposal_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("prefix");

        QTest::newRow("as proposed") << 2 << false << false << QString();
        QTest::newRow("excluded") << 0 << false << false << "Excluded by you. Proposed: ";
        QTest::newRow("turned around") << 1 << false << false << "Set by you to copy to left. Proposed: ";
        QTest::newRow("copied") << 2 << true << false << "Copied to right by the last synchronisation. Proposed: ";
        QTest::newRow("failed") << 2 << false << true << "The copy to right failed in the last synchronisation. Proposed: ";
    }

    void changesAfterTheProposal()
    {
        QFETCH(int, direction);
        QFETCH(bool, copied);
        QFETCH(bool, failed);
        QFETCH(QString, prefix);
        RowRecord row;
        row.Action = saLeftOnly;
        row.Reason.Why = RowReason::NewLeft;
        RowValues::ApplyProposal(row, row.Action);
        row.Direction = direction;
        if (copied)
            RowValues::MarkCopied(row);
        row.CopyFailed = failed;
        QCOMPARE(ReasonText(row), prefix + "New on the left \u2192 copy to right");
        row.Kind = 1;
        QCOMPARE(ReasonText(row), QString());
    }
};

QTEST_MAIN(TestRowReason)
#include "tst_rowreason.moc"
