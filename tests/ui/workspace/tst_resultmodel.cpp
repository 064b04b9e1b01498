#include "engine/Row.h"
#include "engine/RowTree.h"
#include "engine/SyncAction.h"
#include "model/Job.h"
#include "tests/support/HandMadeResult.h"
#include "tests/support/ModalGuard.h"
#include "ui/workspace/IconCache.h"
#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QScreen>
#include <QtTest>

namespace {

using M = ResultModel;

ResultEntry *Add(HandMadeResult &made, ResultEntry &parent, const QString &title, int32_t action,
                 bool folder = false)
{
    ResultEntry *r = made.Add(parent, title, action, folder);
    if (folder)
        return r;
    if (FileEntry *left = HandMadeResult::LeftOf(*r)) {
        left->FileTime = 0x5A4B3C2D;
        left->FileSize = 1234567;
    }
    if (FileEntry *right = HandMadeResult::RightOf(*r)) {
        right->FileTime = 0x5A4B0000;  // midnight
        right->FileSize = 0;
    }
    return r;
}

// root: a (left only), b (right only), same, up (update left), sub/ { c (update right), d (same), e (left only) }
void MakeResult(HandMadeResult &made)
{
    ResultEntry &root = made.Root;
    Add(made, root, "a.txt", saLeftOnly);
    Add(made, root, "b.txt", saRightOnly);
    Add(made, root, "same.txt", saSame);
    Add(made, root, "up.txt", saUpdateLeft);
    ResultEntry *sub = Add(made, root, "sub", saSame, true);
    sub->SetCounts(3, 0, 2);
    Add(made, *sub, "c.txt", saUpdateRight);
    Add(made, *sub, "d.txt", saSame);
    Add(made, *sub, "e.txt", saLeftOnly);
    root.SetCounts(7, 2, 3);
}

}  // namespace

class TestResultModel : public QObject {
    Q_OBJECT

    Job m_job;
    std::unique_ptr<HandMadeResult> m_result;
    std::unique_ptr<RowTree> m_rows;
    std::unique_ptr<IconCache> m_icons;
    std::unique_ptr<ResultModel> m_model;

    QModelIndex IndexOf(const QString &path, int column = M::ColItem) const
    {
        QModelIndex at = m_model->index(0, 0);
        for (const QString &name : path.split('/', Qt::SkipEmptyParts)) {
            QModelIndex found;
            for (int i = 0; i < m_model->rowCount(at); ++i)
                if (m_model->index(i, 0, at).data().toString() == name)
                    found = m_model->index(i, 0, at);
            if (!found.isValid())
                return {};
            at = found;
        }
        return at.siblingAtColumn(column);
    }
    // "direction left/direct/right images" of a row.
    QString State(const QString &path) const
    {
        const QModelIndex row = IndexOf(path);
        return QStringLiteral("%1 %2/%3/%4")
            .arg(row.data(M::DirectionRole).toInt())
            .arg(row.siblingAtColumn(M::ColLeftImage).data(M::ImageIndexRole).toInt())
            .arg(row.siblingAtColumn(M::ColDirectImage).data(M::ImageIndexRole).toInt())
            .arg(row.siblingAtColumn(M::ColRightImage).data(M::ImageIndexRole).toInt());
    }
    void Click(const QString &path, int column) { m_model->DirectionClick(IndexOf(path, column)); }

private Q_SLOTS:
    void init()
    {
        m_job.SyncName = "Daily";
        m_result = std::make_unique<HandMadeResult>();
        MakeResult(*m_result);
        m_rows = std::make_unique<RowTree>(m_job);
        m_icons = std::make_unique<IconCache>([](const QString &) { return QIcon(); });
        m_model = std::make_unique<ResultModel>(*m_icons);
        new QAbstractItemModelTester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     m_model.get());
        m_model->SetRows(m_rows.get());
        m_model->Detach();
        m_rows->BuildView(m_result->Root, RowTree::ModeAll);
        m_model->Attach();
    }

    void cellTexts()
    {
        const QModelIndex root = m_model->index(0, 0);
        QCOMPARE(root.data().toString(), QString("Daily"));
        QCOMPARE(root.siblingAtColumn(M::ColLeftDate).data().toString(), QString());
        QCOMPARE(root.siblingAtColumn(M::ColToLeftCount).data().toString(), QString("2"));
        QCOMPARE(root.siblingAtColumn(M::ColToRightCount).data().toString(), QString("3"));
        QCOMPARE(root.siblingAtColumn(M::ColItem).data(M::ImageIndexRole).toInt(), RowImage::CanMove);

        const QModelIndex sub = IndexOf("sub");
        for (int c : {M::ColLeftDate, M::ColLeftSize, M::ColRightDate, M::ColRightSize})
            QCOMPARE(sub.siblingAtColumn(c).data().toString(), QString("folder"));
        QCOMPARE(sub.siblingAtColumn(M::ColToLeftCount).data().toString(), QString());  // 0 shows nothing
        QCOMPARE(sub.siblingAtColumn(M::ColToRightCount).data().toString(), QString("2"));

        const QModelIndex a = IndexOf("a.txt");
        QCOMPARE(a.siblingAtColumn(M::ColLeftSize).data().toString(), QLocale().toString(1234567));
        QVERIFY(a.siblingAtColumn(M::ColLeftSize).data().toString() != "1234567" || QLocale().groupSeparator().isEmpty());
        QCOMPARE(a.siblingAtColumn(M::ColRightDate).data().toString(), QString("not seen before"));
        QCOMPARE(a.siblingAtColumn(M::ColRightSize).data().toString(), QString("not present"));
        QCOMPARE(a.siblingAtColumn(M::ColToRightCount).data().toString(), QString());
        // Right copy of 0 bytes: it is there, so its size is 0; a time of midnight shows the date only.
        const QModelIndex up = IndexOf("up.txt");
        QCOMPARE(up.siblingAtColumn(M::ColRightSize).data().toString(), QLocale().toString(0));
        const QString midnight = up.siblingAtColumn(M::ColRightDate).data().toString();
        QVERIFY2(!midnight.contains(':'), qPrintable(midnight));
        QVERIFY(up.siblingAtColumn(M::ColLeftDate).data().toString().contains(':'));

        QCOMPARE(a.siblingAtColumn(M::ColLeftDate).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(240, 255, 240));
        QCOMPARE(a.siblingAtColumn(M::ColRightSize).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 240));
        QCOMPARE(a.siblingAtColumn(M::ColDirectImage).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::white));
        QCOMPARE(m_model->headerData(M::ColRightSize, Qt::Horizontal).toString(), QString("R Size"));
    }

    void clicks_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QString>("state");
        const int L = M::ColLeftImage, D = M::ColDirectImage, R = M::ColRightImage;
        QTest::newRow("proposal, update left") << "up.txt" << QList<int>{} << "1 12/6/10";
        QTest::newRow("to right") << "up.txt" << QList<int>{R} << "2 14/6/8";
        QTest::newRow("don't move") << "up.txt" << QList<int>{D} << "0 0/18/0";
        QTest::newRow("twice direct brings the proposal back") << "up.txt" << QList<int>{D, D} << "1 12/6/10";
        QTest::newRow("left after don't move keeps the bars") << "up.txt" << QList<int>{D, L} << "1 12/18/10";
        QTest::newRow("left on a left-only file") << "a.txt" << QList<int>{L} << "2 20/6/8";
        QTest::newRow("right on a right-only file") << "b.txt" << QList<int>{R} << "1 12/6/20";
        QTest::newRow("left on a right-only file keeps the cross") << "b.txt" << QList<int>{D, L} << "1 12/18/0";
        QTest::newRow("same file") << "same.txt" << QList<int>{L, D, R} << "0 0/16/0";
    }
    void clicks()
    {
        QFETCH(QString, row);
        QFETCH(QList<int>, columns);
        QFETCH(QString, state);
        for (int column : columns)
            Click(row, column);
        QCOMPARE(State(row), state);
    }

    void folderClicksReachEveryFileBelow()
    {
        Click("", M::ColLeftImage);  // the root row
        QCOMPARE(State("sub/c.txt"), QString("1 12/6/10"));
        QCOMPARE(State("sub/e.txt"), QString("2 20/6/8"));  // left only: column 4 does nothing
        QCOMPARE(State("sub/d.txt"), QString("0 0/16/0"));
        QCOMPARE(State("sub"), QString("0 24/6/22"));  // the folder row itself is unchanged
        Click("sub", M::ColDirectImage);
        QCOMPARE(State("sub/c.txt"), QString("0 0/18/0"));
        QCOMPARE(State("a.txt"), QString("2 20/6/8"));
    }

    void hoverShowsTheHighlightedPicture()
    {
        m_model->SetHover(IndexOf("a.txt", M::ColRightImage));
        QCOMPARE(State("a.txt"), QString("2 20/6/7"));
        m_model->SetHover(IndexOf("a.txt", M::ColDirectImage));
        QCOMPARE(State("a.txt"), QString("2 20/5/8"));
        m_model->SetHover(IndexOf("b.txt", M::ColLeftImage));
        QCOMPARE(State("a.txt"), QString("2 20/6/8"));
        QCOMPARE(State("b.txt"), QString("1 11/6/20"));
        // A click that changes the row drops the highlight.
        Click("b.txt", M::ColDirectImage);
        QCOMPARE(State("b.txt"), QString("0 0/18/0"));
        m_model->SetHover({});
        QCOMPARE(State("b.txt"), QString("0 0/18/0"));
    }

    // A change of many rows at once, and its undo, reach every row in view: over many
    // folders the model asks the views to repaint at once instead of a signal per folder.
    void bulkChangeRepaintsEveryRowInView_data()
    {
        QTest::addColumn<int>("folders");
        QTest::newRow("a few folders") << 3;
        QTest::newRow("more folders than are repainted one by one") << 40;
    }
    void bulkChangeRepaintsEveryRowInView()
    {
        QFETCH(int, folders);
        m_model->Detach();
        m_result = std::make_unique<HandMadeResult>();
        ResultEntry &root = m_result->Root;
        for (int f = 0; f < folders; ++f) {
            ResultEntry *folder = Add(*m_result, root, QStringLiteral("folder%1").arg(f), saSame, true);
            Add(*m_result, *folder, "x.txt", saUpdateRight);
            Add(*m_result, *folder, "y.txt", saLeftOnly);
            folder->SetCounts(2, 0, 2);
        }
        root.SetCounts(2 * folders, 0, 2 * folders);
        m_rows->BuildView(root, RowTree::ModeAll);
        m_model->Attach();
        ResultView view;
        view.SetResultModel(m_model.get());
        view.resize(700, 400);
        view.expandAll();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // What the window shows now, against the same rows painted afresh.
        const auto shown = [&] {
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            const QPoint at = view.viewport()->mapTo(&view, QPoint());
            return view.screen()
                ->grabWindow(view.winId(), at.x(), at.y(), view.viewport()->width(), view.viewport()->height())
                .toImage();
        };
        const auto painted = [&] { return view.viewport()->grab().toImage(); };
        QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
        const QImage proposal = shown();
        QCOMPARE(proposal, painted());

        QVERIFY(m_model->ApplyToRows(view.selectionModel()->selection(), M::ClickDontMove));
        QCOMPARE(State(QStringLiteral("folder%1/x.txt").arg(folders - 1)), QString("0 0/18/0"));
        const QImage changed = shown();
        QVERIFY(changed != proposal);
        QCOMPARE(changed, painted());

        QVERIFY(m_model->UndoDirections());
        QCOMPARE(shown(), proposal);
    }

    void updatesFromAnotherThreadAreBatched()
    {
        QSignalSpy repainted(m_model.get(), &ResultModel::RowsRepainted);
        Row *sub = m_model->NodeAt(IndexOf("sub"));
        std::thread worker([&] {
            for (int i = 0; i < sub->ChildCount(); ++i) {
                {
                    std::lock_guard lock(m_rows->Mutex());
                    RowValues::MarkCopied(sub->Child(i)->Data);
                }
                m_model->NoteRowUpdated(sub->Child(i));
            }
        });
        worker.join();
        QVERIFY(repainted.wait(2000));
        QCOMPARE(repainted.count(), 1);
        QCOMPARE(State("sub/c.txt"), QString("2 0/16/0"));
    }

    void iconCache()
    {
        int asked = 0;
        IconCache icons([&](const QString &ext) {
            ++asked;
            if (ext == ".none")
                return QIcon();
            QPixmap p(16, 16);
            p.fill(Qt::red);
            return QIcon(p);
        });
        QCOMPARE(IconCache::ExtensionOf("archive.tar.gz"), QString(".gz"));
        QCOMPARE(IconCache::ExtensionOf("README"), QString("README"));
        QCOMPARE(icons.IconIndexFor("a.txt"), 25);
        QCOMPARE(icons.IconIndexFor("b.TXT"), 26);  // case-sensitive
        QCOMPARE(icons.IconIndexFor("c.txt"), 25);
        QCOMPARE(icons.IconIndexFor("x.none"), RowImage::Document);
        QCOMPARE(icons.IconIndexFor("y.none"), RowImage::Document);
        QCOMPARE(asked, 3);  // a type is asked for once
        for (int i = 2; i < 75; ++i)
            QCOMPARE(icons.IconIndexFor(QStringLiteral("f.e%1").arg(i)), 25 + i);
        QCOMPARE(icons.ImageCount(), IconCache::Capacity);
        QCOMPARE(icons.IconIndexFor("f.e76"), RowImage::Document);  // the 76th extension
        QCOMPARE(icons.IconIndexFor("g.txt"), 25);
    }

    // Without an icon theme the common kinds of file still look different: the program's own
    // icon of each kind, one image per kind's look, and the document image for the rest.
    void fallbackIconsWithoutATheme()
    {
        IconCache icons([](const QString &) { return QIcon(); });
        const QStringList files{"notes.txt", "photo.png", "song.mp3", "film.mp4", "backup.zip",
                                "report.pdf", "main.cpp", "tool.exe"};
        QList<QImage> looks;
        for (const QString &file : files) {
            const int index = icons.IconIndexFor(file);
            QVERIFY2(index >= RowImage::FixedCount, qPrintable(file));
            const QImage look = icons.Image(index).toImage();
            QVERIFY2(!looks.contains(look), qPrintable(file + " looks like another kind"));
            looks << look;
        }
        QCOMPARE(icons.IconIndexFor("unknown.qqqzz"), RowImage::Document);
        QCOMPARE(icons.Image(icons.IconIndexFor("other.txt")).toImage(), looks.first());
        // A theme's icon, where there is one, comes first.
        QPixmap red(16, 16);
        red.fill(Qt::red);
        IconCache themed([&](const QString &) { return QIcon(red); });
        QCOMPARE(themed.Image(themed.IconIndexFor("notes.txt")).toImage(), red.toImage());
    }
};

WIDGET_TEST_MAIN(TestResultModel)
#include "tst_resultmodel.moc"
