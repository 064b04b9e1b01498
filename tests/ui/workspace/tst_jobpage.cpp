#include "engine/RunGate.h"
#include "engine/SidePaths.h"
#include "engine/SyncAction.h"
#include "folders/TransferJournal.h"
#include "model/JobList.h"
#include "platform/FtpSessionPool.h"
#include "platform/gui/Power.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/DriveWidgets.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/config/RemoteFolderDialog.h"
#include "ui/widgets/ImageButton.h"
#include "ui/workspace/ItemCommands.h"
#include "ui/workspace/JobPage.h"
#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"

#include <QAbstractItemModelTester>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>
#include <QElapsedTimer>
#include <QtTest>
#include <algorithm>
#include <optional>

namespace {

using M = ResultModel;
constexpr int Wait = 30000;
constexpr int64_t Old = 1500000000;  // even seconds: packed times keep two-second steps
constexpr int64_t Newer = 1600000000;

class RecordingPower : public Power {
public:
    void shutDown() override { ++Requests; }
    int Requests = 0;
};

}  // namespace

// The job page driven as a user drives it, against real folders and a real FTP server.
class TestJobPage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;  // left/, right/ (local kind), program/
    std::unique_ptr<FtpServerFixture> m_server;
    JobList m_jobs;
    RecordingPower m_power;
    std::unique_ptr<JobPage> m_page;
    int m_jobCount = 0;

    QString Left(const QString &rel = {}) const { return m_dir.filePath("left") + (rel.isEmpty() ? "" : "/" + rel); }
    QString Right(const QString &rel = {}) const
    {
        const QString base = m_server ? m_server->root() + "/pub" : m_dir.filePath("right");
        return base + (rel.isEmpty() ? "" : "/" + rel);
    }
    QString Program(const QString &rel = {}) const { return m_dir.filePath("program") + "/" + rel; }
    // The files below a folder on one line, which a failed comparison shows whole.
    static QString Files(const QString &folder) { return TestFiles::FilesBelow(folder).join(", "); }

    // A job over left/ and, by the test's global data, the FTP folder /pub or right/.
    Job &AddJob(const QString &name)
    {
        QFETCH_GLOBAL(bool, ftp);
        QDir().mkpath(Left());
        QDir().mkpath(Right());
        auto job = std::make_unique<Job>();
        job->SyncName = name;
        job->LFolder.DeviceType = 1;
        job->LFolder.FolerAllName = Left();
        if (ftp) {
            job->RFolder = m_server->source();
        } else {
            job->RFolder.DeviceType = 1;
            job->RFolder.FolerAllName = Right();
        }
        Job &added = *job;
        m_jobs.AddJob(std::move(job));
        ++m_jobCount;
        return added;
    }

    std::unique_ptr<JobPage> MakePage(int jobIndex)
    {
        auto page = std::make_unique<JobPage>(m_jobs, m_power);
        page->SetProgramFolder(Program());
        page->resize(1100, 760);
        page->show();
        page->SetJob(jobIndex);
        page->PageShown();
        return page;
    }

    template <class T> T *Child(const char *name, JobPage *page = nullptr) const
    {
        T *child = (page ? page : m_page.get())->findChild<T *>(QString::fromLatin1(name));
        Q_ASSERT(child);
        return child;
    }
    QString Status(JobPage *page = nullptr) const { return Child<QLabel>("Label_ActionStatus", page)->text(); }
    QStringList LogLines() const { return Child<QTextEdit>("memo1")->toPlainText().split('\n'); }
    void Click(const char *button, JobPage *page = nullptr)
    {
        QTest::mouseClick(Child<ImageButton>(button, page), Qt::LeftButton);
    }
    // The analysis's start event has just been logged (its worker waits for the page).
    bool StartEventShown() const { return LogLines().last().startsWith("Start to analyze files , files total"); }
    bool Enabled(const char *button) const { return Child<ImageButton>(button)->isEnabled(); }

    // Finds a row by its names below the root row ("docs/a.txt"; "" is the root row).
    QModelIndex IndexOf(const QString &path, int column = M::ColItem) const
    {
        const M &model = m_page->Model();
        QModelIndex at = model.index(0, 0);
        for (const QString &name : path.split('/', Qt::SkipEmptyParts)) {
            QModelIndex found;
            for (int i = 0; i < model.rowCount(at) && !found.isValid(); ++i)
                if (model.index(i, 0, at).data().toString() == name)
                    found = model.index(i, 0, at);
            if (!found.isValid())
                return {};
            at = found;
        }
        return at.siblingAtColumn(column);
    }
    // File rows as "path action direction", in row order.
    QStringList Rows(const QModelIndex &parent = {}, const QString &prefix = {}) const
    {
        const M &model = m_page->Model();
        const QModelIndex at = parent.isValid() ? parent : model.index(0, 0);
        QStringList out;
        for (int i = 0; i < model.rowCount(at); ++i) {
            const QModelIndex row = model.index(i, 0, at);
            const QString path = prefix + row.data().toString();
            if (row.data(M::KindRole).toInt() == 1)
                out << Rows(row, path + "/");
            else
                out << QStringLiteral("%1 %2 %3").arg(path).arg(row.data(M::ActionRole).toInt()).arg(row.data(M::DirectionRole).toInt());
        }
        // Folders list in the platform's order.
        out.sort();
        return out;
    }
    void ClickCell(const QString &path, int column, Qt::MouseButton button = Qt::LeftButton)
    {
        auto *tree = Child<ResultView>("VST1");
        const QModelIndex index = IndexOf(path, column);
        QVERIFY2(index.isValid(), qPrintable(path));
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), button, {}, tree->visualRect(index).center());
    }
    bool Analyse(JobPage *page = nullptr)
    {
        Click("BitBtn_Analyze", page);
        return QTest::qWaitFor([&] { return Status(page) == " Analyzing Done!"; }, Wait);
    }
    // Opens the item menu on a row by a right click, as a user does.
    QMenu *OpenMenu(const QString &path)
    {
        ClickCell(path, M::ColItem, Qt::RightButton);
        QMenu *menu = m_page->Commands().Menu();
        return QTest::qWaitFor([&] { return menu->isVisible(); }, Wait) ? menu : nullptr;
    }
    void ChooseItem(QMenu *menu, ItemCommands::Item item)
    {
        QAction *action = m_page->Commands().Action(item);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    QString EnabledItems() const
    {
        QString out;
        for (int i = 0; i < ItemCommands::ItemCount; ++i)
            if (m_page->Commands().Action(ItemCommands::Item(i))->isEnabled()
                && !m_page->Commands().Action(ItemCommands::Item(i))->isSeparator())
                out += QString::number(i) + ' ';
        return out.trimmed();
    }

    // Answers the chooser Browse opens for a side of this kind: address typed, then OK or Cancel.
    template <class Chooser>
    static void AnswerChooser(const char *addressField, const QString &address, bool ok)
    {
        WhenShown<Chooser>([=](Chooser *chooser) {
            control<QLineEdit>(*chooser, addressField)->setText(address);
            click(control<ImageButton>(*chooser, ok ? "OkButton" : "CancelButton"));
        });
    }
    void AnswerRightChooser(const QString &address, bool ok)
    {
        if (m_server)
            AnswerChooser<FtpFolderChooser>("Edit_ftpip", address, ok);
        else
            AnswerChooser<LocalFolderChooser>("Edit_Address", address, ok);
    }

    // new.txt left only, docs/a.txt left only, old.txt right only, n.txt newer on the left.
    void MakeFiles()
    {
        QVERIFY(TestFiles::Write(Left("new.txt"), "new", Old));
        QVERIFY(TestFiles::Write(Left("docs/a.txt"), "a", Old));
        QVERIFY(TestFiles::Write(Right("old.txt"), "old", Old));
        QVERIFY(TestFiles::Write(Left("n.txt"), "newer left", Newer));
        QVERIFY(TestFiles::Write(Right("n.txt"), "older right", Old));
    }

    // The page of a job over MakeFiles' files, analysed, its tree in focus (null on a failure).
    ResultView *AnalysedTree()
    {
        MakeFiles();
        AddJob("Job");
        m_page = MakePage(0);
        if (!Analyse())
            return nullptr;
        auto *tree = Child<ResultView>("VST1");
        tree->setFocus();
        return tree;
    }
    // Every line of a column's header fits its section (while not sorted by it).
    static bool HeaderShowsWhole(const ResultView *tree, int column)
    {
        const QHeaderView *header = tree->header();
        const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (const QString &line : header->model()->headerData(column, Qt::Horizontal).toString().split('\n'))
            if (header->fontMetrics().horizontalAdvance(line) + margins > header->sectionSize(column))
                return false;
        return true;
    }

    void Select(ResultView *tree, const QString &path, bool add = false)
    {
        tree->selectionModel()->select(IndexOf(path), (add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect)
                                                          | QItemSelectionModel::Rows);
    }

private Q_SLOTS:
    void initTestCase_data()
    {
        QTest::addColumn<bool>("ftp");
        QTest::newRow("ftp") << true;
        QTest::newRow("local") << false;
    }

    void init()
    {
        QFETCH_GLOBAL(bool, ftp);
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(Program());
        m_server.reset();
        if (ftp) {
            m_server = std::make_unique<FtpServerFixture>();
            QVERIFY(QDir().mkpath(m_server->root() + "/pub"));
            QVERIFY(m_server->start());
        }
        m_jobs.Clear();
        m_jobCount = 0;
        m_power.Requests = 0;
    }

    void cleanup()
    {
        m_page.reset();
    }

    void analyseSyncAndRows()
    {
        MakeFiles();
        AddJob("Job");
        m_page = MakePage(0);
        new QAbstractItemModelTester(&m_page->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     m_page.get());
        QVERIFY(!Enabled("BitBtn_Sync"));
        QVERIFY(!Child<QGroupBox>("GroupBox_ResultsFilter")->isEnabled());
        QVERIFY(Analyse());

        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 2", "new.txt 1 2", "old.txt 2 1"}));
        const QStringList log = LogLines();
        QCOMPARE(log.first(), QString("Loading Files......"));
        QVERIFY(log.contains("Start to analyze files , files total : 5"));
        QVERIFY(log.contains("Changed files in the left folders : 1"));
        QVERIFY(log.contains("Changed files in the right folders : 3"));
        QVERIFY(log.filter(QRegularExpression("^Files loading done , used time : \\d\\d:\\d\\d:\\d\\d$")).size() == 1);
        QCOMPARE(Child<QRadioButton>("rb_all")->text(), QString("All(4)"));
        QCOMPARE(Child<QRadioButton>("rb_changed")->text(), QString("Changes(4)"));
        QVERIFY(Child<QRadioButton>("rb_changed")->isChecked());
        QVERIFY(Child<QGroupBox>("GroupBox_ResultsFilter")->isEnabled());
        QVERIFY(Enabled("BitBtn_Sync") && Enabled("BitBtn_Analyze") && !Enabled("BitBtn_cancel"));
        QVERIFY(Child<QWidget>("Panel3")->isHidden());
        // Dates and headers show whole, not cut short with "...".
        auto *tree = Child<ResultView>("VST1");
        const int margins = 2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
        for (const auto &[path, column] : {std::pair{"n.txt", M::ColLeftDate}, {"n.txt", M::ColRightDate},
                                           {"new.txt", M::ColRightDate}, {"new.txt", M::ColRightSize}}) {
            const QString text = IndexOf(path, column).data().toString();
            QCOMPARE(tree->fontMetrics().elidedText(text, Qt::ElideRight, tree->columnWidth(column) - margins), text);
        }
        for (int column = 0; column < M::ColumnCount; ++column)
            QVERIFY2(HeaderShowsWhole(tree, column), qPrintable(QString::number(column)));

        // The user keeps old.txt where it is and turns n.txt around, then synchronises.
        ClickCell("old.txt", M::ColDirectImage);
        ClickCell("n.txt", M::ColLeftImage);
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 1", "new.txt 1 2", "old.txt 2 0"}));
        QCOMPARE(IndexOf("old.txt", M::ColDirectImage).data(M::ImageIndexRole).toInt(), RowImage::DontMove);
        // A folder click reaches the files below it; the folder row keeps its pictures.
        ClickCell("docs", M::ColDirectImage);
        ClickCell("docs", M::ColDirectImage);
        QCOMPARE(IndexOf("docs/a.txt").data(M::DirectionRole).toInt(), 2);

        Click("BitBtn_Sync");
        QVERIFY(!Enabled("BitBtn_Analyze") && Enabled("BitBtn_cancel"));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QVERIFY(LogLines().contains("Total numbers of error files : 0; Total numbers of synced files : 3"));
        QVERIFY(!Enabled("BitBtn_Sync") && Enabled("BitBtn_Analyze"));
        QCOMPARE(TestFiles::Read(Left("n.txt")), QByteArray("older right"));
        QCOMPARE(TestFiles::Read(Right("docs/a.txt")), QByteArray("a"));
        QVERIFY(!QFileInfo::exists(Left("old.txt")));
        for (const char *copied : {"n.txt", "new.txt", "docs/a.txt"})
            QTRY_COMPARE(IndexOf(copied, M::ColDirectImage).data(M::ImageIndexRole).toInt(), RowImage::Same);
        QCOMPARE(IndexOf("old.txt", M::ColDirectImage).data(M::ImageIndexRole).toInt(), RowImage::DontMove);

        // The All view lists every file; filter choices rebuild from the proposal.
        auto *all = Child<QRadioButton>("rb_all");
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(6, all->height() / 2));
        QCOMPARE(Status(), QString("File loading done:"));
        QCOMPARE(Rows().size(), 4);
        QCOMPARE(IndexOf("old.txt").data(M::DirectionRole).toInt(), 1);
        // Another analysis proposes only what the user kept back.
        QVERIFY(Analyse());
        QCOMPARE(Rows(), (QStringList{"old.txt 2 1"}));
    }

    // Browse opens the chooser of the side's kind; its OK becomes the job's side at once and
    // its Cancel changes nothing. The result of the old folders is dropped with the change:
    // synchronising it would copy from and record state for folders no longer in the job.
    void browseChangesTheSide()
    {
        QFETCH_GLOBAL(bool, ftp);
        MakeFiles();
        Job &job = AddJob("Job");
        const JobSide right = job.RFolder;
        m_page = MakePage(0);
        QVERIFY(Enabled("bt_LBrowse") && Enabled("bt_RBrowse"));
        QVERIFY(Analyse());
        const QString otherLeft = m_dir.filePath("otherleft");
        QVERIFY(TestFiles::Write(otherLeft + "/o.txt", "o", Old));

        AnswerChooser<LocalFolderChooser>("Edit_Address", otherLeft, false);
        Click("bt_LBrowse");
        QCOMPARE(job.LFolder.FolerAllName, Left());
        QCOMPARE(Child<QLineEdit>("Edit_LFolder")->text(), Left());
        QVERIFY(Enabled("BitBtn_Sync"));
        QCOMPARE(Rows().size(), 4);

        AnswerChooser<LocalFolderChooser>("Edit_Address", otherLeft, true);
        Click("bt_LBrowse");
        QCOMPARE(job.LFolder.FolerAllName, otherLeft);
        QCOMPARE(job.LFolder.DeviceType, 1);
        QCOMPARE(Child<QLineEdit>("Edit_LFolder")->text(), otherLeft);
        QCOMPARE(Rows(), QStringList());
        QVERIFY(!Enabled("BitBtn_Sync") && Enabled("BitBtn_Analyze"));
        // Also a synchronisation the page starts by itself finds nothing to work from.
        m_page->BitBtn_SyncClick();
        QCOMPARE(Status(), QString("Nothing to synchronize: analyze the job first."));
        QVERIFY(LogLines().filter("Sync Done").isEmpty());
        QVERIFY(!QFileInfo::exists(otherLeft + "/__FileSync__"));
        QVERIFY(!QFileInfo::exists(otherLeft + "/new.txt"));
        QVERIFY(!QFileInfo::exists(Right("o.txt")));

        const QString otherRight = ftp ? m_server->url("/otherright") : m_dir.filePath("otherright");
        QVERIFY(QDir().mkpath(ftp ? m_server->root() + "/otherright" : otherRight));
        AnswerRightChooser(otherRight, false);
        Click("bt_RBrowse");
        QCOMPARE(job.RFolder, right);
        AnswerRightChooser(otherRight, true);
        Click("bt_RBrowse");
        QCOMPARE(job.RFolder.FolerAllName, otherRight);
        QCOMPARE(job.RFolder.DeviceType, right.DeviceType);
        QCOMPARE(job.RFolder.UserName, right.UserName);
        QCOMPARE(Child<QLineEdit>("Edit_RFolder")->text(), otherRight);

        // The next analysis compares the chosen folders.
        QVERIFY(Analyse());
        QCOMPARE(Rows(), QStringList{"o.txt 1 2"});
    }

    // A run that starts while a chooser is open turns its OK into a refusal; while a run is
    // in progress Browse refuses before any chooser opens. The job stays as it was.
    void browseRefusedWhileRunning()
    {
        MakeFiles();
        Job &job = AddJob("Job");
        const JobSide left = job.LFolder;
        const JobSide right = job.RFolder;
        m_page = MakePage(0);
        const QString other = m_dir.filePath("other");
        QVERIFY(QDir().mkpath(other));
        const QString refusal = "This job is being analyzed or synchronized. Wait until it has finished, then change the job.";
        // Another job's run holds the engine, so the run this page starts waits for its turn.
        std::optional<RunGate::Pass> otherRun(std::in_place, RunGate::Instance());

        BoxSeen box;
        WhenShown<LocalFolderChooser>([&](LocalFolderChooser *chooser) {
            control<QLineEdit>(*chooser, "Edit_Address")->setText(other);
            m_page->PeriodTimerTimer();
            AnswerNextBox(box);
            click(control<ImageButton>(*chooser, "OkButton"));
        });
        Click("bt_LBrowse");
        QVERIFY(m_page->RunInProgress());
        QVERIFY(box.shown);
        QCOMPARE(box.text, refusal);
        QCOMPARE(job.LFolder, left);
        QCOMPARE(Child<QLineEdit>("Edit_LFolder")->text(), Left());

        for (const char *browse : {"bt_LBrowse", "bt_RBrowse"}) {
            bool chooserShown = false;
            const QPointer<QObject> chooser = WhenShown<SkinnedWindow>([&](SkinnedWindow *form) {
                chooserShown = true;
                form->reject();
            });
            BoxSeen again;
            AnswerNextBox(again);
            Click(browse);
            delete chooser.data();
            QVERIFY(!chooserShown);
            QCOMPARE(again.text, refusal);
        }
        QCOMPARE(job.LFolder, left);
        QCOMPARE(job.RFolder, right);

        otherRun.reset();
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString(" Analyzing Done!"), Wait);
        QCOMPARE(Rows().size(), 4);
        QVERIFY(Enabled("BitBtn_Sync"));
    }

    // "Open Right Folder" shows the folder of the row's right copy: an FTP folder in the
    // remote folder view, listing its entries; a local one through the desktop.
    void openRightFolder()
    {
        QFETCH_GLOBAL(bool, ftp);
        QVERIFY(TestFiles::Write(Right("docs/r.txt"), "r", Old));
        QVERIFY(TestFiles::Write(Right("docs/more/deep.txt"), "d", Old));
        QVERIFY(TestFiles::Write(Left("l.txt"), "l", Old));
        AddJob("Job");
        m_page = MakePage(0);
        QStringList opened;
        m_page->Commands().SetOpener([&opened](const QString &path) { opened << path; return true; });
        QVERIFY(Analyse());

        QMenu *menu = OpenMenu("l.txt");
        QVERIFY(!m_page->Commands().Action(ItemCommands::OpenRightFolder)->isEnabled());
        menu->close();

        menu = OpenMenu("docs/r.txt");
        QVERIFY(menu);
        QVERIFY(m_page->Commands().Action(ItemCommands::OpenRightFolder)->isEnabled());
        QString listed;
        WhenShown<RemoteFolderDialog>([&listed](RemoteFolderDialog *view) {
            QSignalSpy ended(view, &RemoteFolderDialog::WorkEnded);
            if (view->Busy())
                ended.wait(Wait);
            auto *tree = control<QTreeWidget>(*view, "tvFtp");
            QStringList names;
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                names << tree->topLevelItem(i)->text(0);
            names.sort();
            listed = names.join(',');
            click(control<ImageButton>(*view, "CancelButton"));
        });
        ChooseItem(menu, ItemCommands::OpenRightFolder);
        if (ftp) {
            QCOMPARE(listed, QString("more,r.txt"));
            QCOMPARE(opened, QStringList());
        } else {
            QCOMPARE(opened, QStringList{Right("docs")});
        }
    }

    // A cancelled analysis says so and offers nothing: no rows, Sync disabled, and a
    // synchronisation the page would start by itself is refused with a line.
    void cancelDuringAnalysisOffersNothing()
    {
        MakeFiles();
        AddJob("Job");
        m_page = MakePage(0);
        // Cancel as the start event arrives: the worker waits for the page meanwhile.
        const auto hook = connect(Child<QTextEdit>("memo1"), &QTextEdit::textChanged, this, [this] {
            if (StartEventShown() && Enabled("BitBtn_cancel"))
                Click("BitBtn_cancel");
        });
        Click("BitBtn_Analyze");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Analysis cancelled"), Wait);
        disconnect(hook);
        QCOMPARE(m_page->Model().rowCount(m_page->Model().index(0, 0)), 0);
        QVERIFY(!Enabled("BitBtn_Sync") && Enabled("BitBtn_Analyze") && !Enabled("BitBtn_cancel"));
        QVERIFY(LogLines().filter("Done").isEmpty());
        // Sync after a cancelled analysis copies nothing and writes no state file.
        m_page->BitBtn_SyncClick();
        QCOMPARE(Status(), QString("Nothing to synchronize: analyze the job first."));
        QVERIFY(LogLines().filter("Sync Done").isEmpty());
        QVERIFY(!QFileInfo::exists(Left("__FileSync__/Job")));
        QVERIFY(!QFileInfo::exists(Right("__FileSync__/Job")));
    }

    void cancelDuringSyncWritesStateFiles()
    {
        QFETCH_GLOBAL(bool, ftp);
        // One connection: the copies go one after another, so the counts are exact.
        FtpSessionPool::Global().SetConnections(1);
        const auto restore = qScopeGuard([] { FtpSessionPool::Global().SetConnections(4); });
        for (int i = 0; i < 4; ++i)
            QVERIFY(TestFiles::Write(Left(QStringLiteral("f%1.txt").arg(i)), "x", Old));
        AddJob("Job");
        m_page = MakePage(0);
        QVERIFY(Analyse());
        auto *gauge = Child<QProgressBar>("pb_action");
        const auto hook = connect(gauge, &QProgressBar::valueChanged, this, [this](int value) {
            if (value == 1 && Enabled("BitBtn_cancel"))
                Click("BitBtn_cancel");
        });
        Click("BitBtn_Sync");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync cancelled"), Wait);
        disconnect(hook);
        QVERIFY(LogLines().contains("Total numbers of error files : 0; Total numbers of synced files : 1"));
        QVERIFY(LogLines().contains("Files copied : 1; files not copied : 3"));
        QVERIFY(LogLines().filter("Sync Done").isEmpty());
        QVERIFY(QFileInfo::exists(Left("__FileSync__/Job")));
        if (ftp)
            QVERIFY(QFileInfo::exists(Right("__FileSync__/Job")));
        // The next analysis knows the copied file from the state files.
        QVERIFY(Analyse());
        QCOMPARE(Rows().size(), 3);
    }

    // What a user sees when the server fails: the reason in the log, a status that is not
    // "Done", nothing offered for synchronisation.
    void analysisFailureOffersNothing_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("line");  // a log line, as a pattern
        QTest::newRow("wrong password") << "password" << "^530 Authentication failed\\.$";
        QTest::newRow("server stops between two listings") << "gone"
                                                           << "^Reading the folder /pub/d\\d/ failed: connection (refused|lost .*)$";
    }
    void analysisFailureOffersNothing()
    {
        QFETCH_GLOBAL(bool, ftp);
        QFETCH(QString, failure);
        QFETCH(QString, line);
        if (!ftp)
            QSKIP("a server's failure");
        for (const char *file : {"d1/a.txt", "d2/b.txt", "d3/c.txt"})
            QVERIFY(TestFiles::Write(Right(file), "r", Old));
        Job &job = AddJob("Job");
        if (failure == "password") {
            job.RFolder.PWD = "wrong";
        } else {
            m_server->setExitAt("MLSD", 3);
            QVERIFY(m_server->start());
            job.RFolder = m_server->source();
        }
        m_page = MakePage(0);
        Click("BitBtn_Analyze");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Analysis failed"), Wait);
        const QStringList log = LogLines();
        const qsizetype at = log.indexOf(QRegularExpression(line));
        QVERIFY2(at > 0, qPrintable(log.join('\n')));
        if (failure == "password")
            QCOMPARE(log.at(at - 1), QString("Can't connect the right folder!"));
        QVERIFY(log.filter("Done").isEmpty());
        QCOMPARE(Rows(), QStringList());
        QVERIFY(!Enabled("BitBtn_Sync") && Enabled("BitBtn_Analyze"));
        QCOMPARE(Child<QRadioButton>("rb_changed")->text(), QString("Changes(0)"));
    }

    // The server goes away in the middle of a synchronisation: the run stops, says what it
    // copied and left, counts and shows the failed row, and makes no folder for the files it
    // did not copy.
    void serverLostDuringSync()
    {
        QFETCH_GLOBAL(bool, ftp);
        if (!ftp)
            QSKIP("a server's failure");
        for (const char *file : {"d1/a.txt", "d2/b.txt", "d3/c.txt"})
            QVERIFY(TestFiles::Write(Right(file), "r", Old));
        // The second file's download (the missing state file is asked for with SIZE alone),
        // on one connection, so that exactly one copy was made before.
        FtpSessionPool::Global().SetConnections(1);
        const auto restore = qScopeGuard([] { FtpSessionPool::Global().SetConnections(4); });
        m_server->setExitAt("RETR", 2);
        QVERIFY(m_server->start());
        AddJob("Job").RFolder = m_server->source();
        m_page = MakePage(0);
        QVERIFY(Analyse());
        Click("BitBtn_Sync");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync stopped: connection lost"), Wait);
        const QStringList log = LogLines();
        QVERIFY(log.contains("Files copied : 1; files not copied : 2"));
        QCOMPARE(log.filter(QRegularExpression("^Sync stopped: connection lost: connection (refused|lost)")).size(), 1);
        QVERIFY(log.filter("Sync Done").isEmpty());
        QVERIFY(!Enabled("BitBtn_Sync") && Enabled("BitBtn_Analyze"));
        QCOMPARE(TestFiles::FilesBelow(Left()).filter(QRegularExpression("^d")).size(), 1);
        const QString copied = TestFiles::FilesBelow(Left()).filter(QRegularExpression("^d")).first();
        QStringList folders = QDir(Left()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        folders.removeAll("__FileSync__");
        QCOMPARE(folders, QStringList{copied.section('/', 0, 0)});

        auto *errors = Child<QRadioButton>("rb_errors");
        QCOMPARE(errors->text(), QString("Errors(1)"));
        QTest::mouseClick(errors, Qt::LeftButton, {}, QPoint(6, errors->height() / 2));
        QCOMPARE(Rows().size(), 1);
        QVERIFY(!Rows().first().startsWith(copied));
    }

    // A download that cannot be written is logged with the side, the file and the system's
    // reason; a state file that cannot be written is said in the log and the status.
    void localWriteFailuresSayWhy()
    {
        QFETCH_GLOBAL(bool, ftp);
        if (!ftp)
            QSKIP("a download");
        QVERIFY(TestFiles::Write(Right("docs/a.txt"), "a", Old));
        QVERIFY(TestFiles::Write(Right("b.txt"), "b", Old));
        AddJob("Job");
        m_page = MakePage(0);
        QVERIFY(Analyse());
        // A file where the download needs a folder, a folder where the state file goes (a
        // read-only folder does not refuse the root user these tests may run as).
        QVERIFY(TestFiles::Write(Left("docs"), "in the way", Old));
        QVERIFY(QDir().mkpath(Left("__FileSync__/Job")));
        Click("BitBtn_Sync");
        QTRY_VERIFY_WITH_TIMEOUT(Status().startsWith("The state of the left folder could not be saved: "), Wait);
        const QStringList log = LogLines();
        const qsizetype at = log.indexOf("/pub/docs/a.txt  File reading error!");
        QVERIFY2(at > 0, qPrintable(log.join('\n')));
        QCOMPARE(log.at(at + 1), "In the left folder: cannot write " + Left("docs/a.txt") + ": Not a directory");
        QVERIFY(log.filter(QRegularExpression("^The state of the left folder could not be saved: .*__FileSync__/Job")).size() == 1);
        QCOMPARE(TestFiles::Read(Left("b.txt")), QByteArray("b"));
    }

    // While the sides are listed the page counts folders read and files seen, says that the
    // total is not known yet, and still takes the Cancel.
    void analysisShowsListingProgress()
    {
        QFETCH_GLOBAL(bool, ftp);
        if (!ftp)
            QSKIP("a server that stalls");
        for (const char *file : {"a/x.txt", "a/y.txt", "b/z.txt", "w.txt"})
            QVERIFY(TestFiles::Write(Left(file), "l", Old));
        for (const char *file : {"r1.txt", "d1/a.txt"})
            QVERIFY(TestFiles::Write(Right(file), "r", Old));
        m_server->setStallAt("MLSD", 2);
        QVERIFY(m_server->start());
        AddJob("Job").RFolder = m_server->source();
        m_page = MakePage(0);
        auto *line = Child<QLabel>("Label_Progress");
        Click("BitBtn_Analyze");
        // The left side's three folders and four files, the right side's top folder and its file.
        QTRY_COMPARE_WITH_TIMEOUT(line->text(), QString("Listing: 4 folders read, 5 files seen so far (the total is not known until both sides are listed)"), Wait);
        QVERIFY(line->isVisible());
        QVERIFY(Child<QProgressBar>("pb_action")->value() <= 0);
        Click("BitBtn_cancel");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Analysis cancelled"), Wait);
        QVERIFY(!line->isVisible());
    }

    // Cancel ends a run at once also inside a listing the server stalls or a transfer under
    // way; closing (the owner's cancel and wait) keeps the window's events running meanwhile.
    void cancelActsAtOnce_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("stalled listing") << "listing";
        QTest::newRow("transfer under way") << "transfer";
        QTest::newRow("close during a stalled listing") << "close";
        QTest::newRow("stalled clean-up of an earlier run at the start of a sync") << "recovery";
    }
    void cancelActsAtOnce()
    {
        QFETCH_GLOBAL(bool, ftp);
        QFETCH(QString, where);
        if (!ftp)
            QSKIP("a server that stalls");
        const QByteArray big(1 << 20, 'x');
        if (where == "transfer") {
            QVERIFY(TestFiles::Write(Right("big.bin"), big, Old));
            m_server->setThrottle(64 << 10);
        } else if (where == "recovery") {
            QVERIFY(TestFiles::Write(Right("d1/a.txt"), "r", Old));
            m_server->setStallAt("DELE", 1);
        } else {
            QVERIFY(TestFiles::Write(Right("d1/a.txt"), "r", Old));
            m_server->setStallAt("MLSD", 2);
        }
        QVERIFY(m_server->start());
        Job &job = AddJob("Job");
        job.RFolder = m_server->source();
        m_page = MakePage(0);
        if (where == "recovery") {
            // Between the analysis and the sync another run was killed amid an upload.
            QVERIFY(Analyse());
            QVERIFY(TestFiles::Write(Right("x.txt.part"), "half", Old));
            TransferJournal journal(SidePaths::JournalFile(job));
            QVERIFY(journal.Add({job.RFolder.FolerAllName, "/pub/x.txt", "/pub/x.txt.part", {}, false}));
            Click("BitBtn_Sync");
            QTest::qWait(1500);
        } else if (where == "transfer") {
            QVERIFY(Analyse());
            Click("BitBtn_Sync");
            QTRY_VERIFY_WITH_TIMEOUT(!TestFiles::FilesBelow(Left()).filter(".cvtmp").isEmpty(), Wait);
        } else {
            Click("BitBtn_Analyze");
            QTest::qWait(1500);
            QCOMPARE(Status(), QString("Extracting file information:"));
        }
        QElapsedTimer clock;
        clock.start();
        if (where == "close") {
            QString statusWhileWaiting;
            QTimer::singleShot(0, this, [&] { statusWhileWaiting = Status(); });
            m_page->CancelAndWait();
            QCOMPARE(statusWhileWaiting, QString("Stopping\u2026"));
            QCOMPARE(Status(), QString("Analysis cancelled"));
        } else {
            Click("BitBtn_cancel");
            const QString cancelled = where == "transfer" || where == "recovery" ? "Sync cancelled" : "Analysis cancelled";
            QTRY_COMPARE_WITH_TIMEOUT(Status(), cancelled, Wait);
        }
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!Enabled("BitBtn_Sync"));
        if (where == "recovery") {
            // Not undone: the next run tries again.
            QVERIFY(QFile::exists(Right("x.txt.part")));
        } else if (where == "transfer") {
            QVERIFY(LogLines().contains("Files copied : 0; files not copied : 1"));
            QCOMPARE(TestFiles::FilesBelow(Left()).filter(QRegularExpression("^big")), QStringList());
        } else {
            QCOMPARE(Rows(), QStringList());
        }
    }

    // The gauge moves only while a run runs: empty at rest, full after a completed run, also
    // one that found nothing (a 0 to 0 range would show Qt's endless "busy" bar).
    void progressBarRestsWhenNothingRuns()
    {
        AddJob("Job");
        m_page = MakePage(0);
        auto *gauge = Child<QProgressBar>("pb_action");
        QVERIFY(gauge->maximum() > gauge->minimum());
        QCOMPARE(gauge->value(), gauge->minimum());
        QVERIFY(Analyse());
        QVERIFY(gauge->maximum() > gauge->minimum());
        QCOMPARE(gauge->value(), gauge->maximum());
    }

    void periodTimer_data()
    {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QList<int>>("starts");  // ticks (1-based) that start an analysis, of 20
        QTest::newRow("every tick") << 0 << 0 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
        QTest::newRow("five minutes: every sixth tick") << 0 << 5 << QList<int>{6, 12, 18};
        QTest::newRow("negative period never") << -1 << 30 << QList<int>{};
    }
    void periodTimer()
    {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(QList<int>, starts);
        // Without a left folder every analysis stops at the pre-check with one red line.
        Job &job = AddJob("Job");
        job.LFolder.FolerAllName.clear();
        job.PeriodAnalyze = 1;
        job.Hours = hours;
        job.minutes = minutes;
        m_page = MakePage(0);
        QList<int> seen;
        for (int tick = 1; tick <= 20; ++tick) {
            const int before = LogLines().count("A folder of the job is not set.");
            m_page->PeriodTimerTimer();
            if (LogLines().count("A folder of the job is not set.") > before)
                seen << tick;
        }
        QCOMPARE(seen, starts);
    }

    void shutDownAfterTheRun()
    {
        MakeFiles();
        Job &job = AddJob("Job");
        job.LogoffSync = 1;
        job.StartAnalyze = 1;
        job.StartSync = 1;
        m_page = MakePage(0);
        // The start-up options run the analysis and then the synchronisation.
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QCOMPARE(m_power.Requests, 1);
        QCOMPARE(TestFiles::Read(Right("new.txt")), QByteArray("new"));
    }

    void secondPageWaitsForTheFirst()
    {
        MakeFiles();
        AddJob("One");
        AddJob("Two");
        m_page = MakePage(0);
        std::unique_ptr<JobPage> second = MakePage(1);
        bool sawWaiting = false;
        const auto hook = connect(Child<QTextEdit>("memo1"), &QTextEdit::textChanged, this, [&] {
            if (!StartEventShown() || sawWaiting || Status(second.get()) == " Analyzing Done!")
                return;
            // The first run holds the engine while its start event is handled.
            Click("BitBtn_Analyze", second.get());
            sawWaiting = QTest::qWaitFor(
                [&] { return Status(second.get()) == "Waiting for another job to finish......"; }, Wait);
        });
        QVERIFY(Analyse());
        disconnect(hook);
        QVERIFY(sawWaiting);
        QTRY_COMPARE_WITH_TIMEOUT(Status(second.get()), QString(" Analyzing Done!"), Wait);
        QCOMPARE(Child<QRadioButton>("rb_changed", second.get())->text(), QString("Changes(4)"));
    }

    // Each open item opens the copy it names; an FTP copy is fetched to the program folder first.
    void openItemsOpenTheirCopy()
    {
        QFETCH_GLOBAL(bool, ftp);
        QVERIFY(TestFiles::Write(Left("docs/m.txt"), "left now", Newer));
        QVERIFY(TestFiles::Write(Right("docs/m.txt"), "right now", Old));
        QVERIFY(TestFiles::Write(Left("__Save__/docs/m.txt"), "saved left", Old));
        QVERIFY(TestFiles::Write(Program("__Save__/Job/docs/m.txt"), "saved right", Old));
        AddJob("Job");
        m_page = MakePage(0);
        QStringList opened;
        m_page->Commands().SetOpener([&opened](const QString &path) { opened << path; return true; });
        QVERIFY(Analyse());

        const QString fetched = Program("temp/m.txt");
        const QList<std::pair<ItemCommands::Item, QString>> items{
            {ItemCommands::OpenLeftFile, Left("docs/m.txt")},
            {ItemCommands::OpenRightFile, ftp ? fetched : Right("docs/m.txt")},
            {ItemCommands::OpenLeftFolder, Left("docs")},
            {ItemCommands::OpenPreviousLeft, Left("__Save__/docs/m.txt")},
            {ItemCommands::OpenPreviousRight, Program("__Save__/Job/docs/m.txt")},
        };
        for (const auto &[item, path] : items) {
            QMenu *menu = OpenMenu("docs/m.txt");
            QVERIFY(menu);
            QVERIFY(m_page->Commands().Action(item)->isEnabled());
            opened.clear();
            ChooseItem(menu, item);
            QCOMPARE(opened, QStringList{path});
        }
        if (ftp)
            QCOMPARE(TestFiles::Read(fetched), QByteArray("right now"));
    }

    // A saved copy that went after the menu was shown: the restore says it failed and both
    // folders stay as they were, on either side.
    void restoreWithoutTheSavedCopyChangesNothing_data()
    {
        QTest::addColumn<bool>("left");
        QTest::newRow("left") << true;
        QTest::newRow("right") << false;
    }
    void restoreWithoutTheSavedCopyChangesNothing()
    {
        QFETCH(bool, left);
        QVERIFY(TestFiles::Write(Left("m.txt"), "left now", Newer));
        QVERIFY(TestFiles::Write(Right("m.txt"), "right now", Old));
        AddJob("Job");
        m_page = MakePage(0);
        QVERIFY(Analyse());
        const QString saved = left ? Left("__Save__/m.txt") : Program("__Save__/Job/m.txt");
        QVERIFY(TestFiles::Write(saved, "saved", Old));
        QStringList leftFiles = TestFiles::FilesBelow(Left());
        leftFiles.removeOne("__Save__/m.txt");
        const QStringList rightFiles = TestFiles::FilesBelow(Right());
        const int action = IndexOf("m.txt").data(M::ActionRole).toInt();

        QMenu *menu = OpenMenu("m.txt");
        QVERIFY(menu);
        WhenShown<QMessageBox>([&saved](QMessageBox *box) {
            QVERIFY(QFile::remove(saved));
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        });
        ChooseItem(menu, left ? ItemCommands::RestoreLeftFile : ItemCommands::RestoreRightFile);
        QCOMPARE(LogLines().last(), left ? QString("Restoring the left file failed!") : QString("Restoring the right file failed!"));
        QCOMPARE(TestFiles::Read(Left("m.txt")), QByteArray("left now"));
        QCOMPARE(TestFiles::Read(Right("m.txt")), QByteArray("right now"));
        QCOMPARE(Files(Left()), leftFiles.join(", "));
        QCOMPARE(Files(Right()), rightFiles.join(", "));
        QCOMPARE(IndexOf("m.txt").data(M::ActionRole).toInt(), action);
    }

    // Names of the child rows of a folder row (the root row when empty), in the order shown.
    QStringList Shown(const QString &folder = {}) const
    {
        const QModelIndex at = folder.isEmpty() ? m_page->Model().index(0, 0) : IndexOf(folder);
        QStringList names;
        for (int i = 0; i < m_page->Model().rowCount(at); ++i)
            names << m_page->Model().index(i, 0, at).data().toString();
        return names;
    }

    // Folders first, then names as a file manager orders them; a header click sorts by its
    // column within each folder and survives the next analysis.
    void rowsSorted()
    {
        for (const char *name : {"b10.txt", "B2.txt", "a.txt", "zdir/x.txt", "Adir/y.txt"})
            QVERIFY(TestFiles::Write(Left(name), "x", Old));
        QVERIFY(TestFiles::Write(Left("big.txt"), QByteArray(5000, 'b'), Newer));
        AddJob("Job");
        m_page = MakePage(0);
        QVERIFY(Analyse());
        QCOMPARE(Shown(), (QStringList{"Adir", "zdir", "a.txt", "B2.txt", "b10.txt", "big.txt"}));

        auto *header = Child<ResultView>("VST1")->header();
        const auto clickHeader = [&](int column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                     header->height() / 2));
        };
        clickHeader(M::ColLeftSize);
        QCOMPARE(Shown(), (QStringList{"Adir", "zdir", "a.txt", "B2.txt", "b10.txt", "big.txt"}));
        clickHeader(M::ColLeftSize);  // again: the other way
        QCOMPARE(Shown(), (QStringList{"zdir", "Adir", "big.txt", "b10.txt", "B2.txt", "a.txt"}));
        QVERIFY(Analyse());
        QCOMPARE(Shown(), (QStringList{"zdir", "Adir", "big.txt", "b10.txt", "B2.txt", "a.txt"}));
        clickHeader(M::ColItem);
        QCOMPARE(Shown(), (QStringList{"Adir", "zdir", "a.txt", "B2.txt", "b10.txt", "big.txt"}));
    }

    // At the window's default size every column is in view with a readable header; a file of
    // 0 bytes shows 0; after a synchronisation the copied rows show both copies' dates and sizes.
    void gridReadsRight()
    {
        QVERIFY(TestFiles::Write(Left("empty.txt"), "", Old));
        QVERIFY(TestFiles::Write(Left("full.txt"), "12345", Old));
        QVERIFY(TestFiles::Write(Right("back.txt"), "abc", Old));
        QVERIFY(TestFiles::Write(Left("docs/quarterly-report.txt"), "q", Old));
        AddJob("Job");
        m_page = MakePage(0);
        m_page->resize(892 - 2 * 23, 759 - 145 - 27);  // the notebook of the window's first size
        QVERIFY(Analyse());
        auto *tree = Child<ResultView>("VST1");
        for (int column = 0; column < M::ColumnCount; ++column) {
            QVERIFY2(tree->header()->sectionViewportPosition(column) + tree->header()->sectionSize(column)
                         <= tree->viewport()->width(),
                     qPrintable(QString::number(column)));
            QVERIFY2(HeaderShowsWhole(tree, column), qPrintable(QString::number(column)));
        }
        // A name of twenty letters shows whole in a folder at the first size, beside the others.
        const QString name = "quarterly-report.txt";
        const int margins = 2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
        QVERIFY2(tree->fontMetrics().horizontalAdvance(name) + tree->iconSize().width() + 2 * margins
                     <= tree->visualRect(IndexOf("docs/" + name)).width(),
                 qPrintable(QString::number(tree->visualRect(IndexOf("docs/" + name)).width())));
        QCOMPARE(IndexOf("empty.txt", M::ColLeftSize).data().toString(), QLocale().toString(0));
        QCOMPARE(IndexOf("empty.txt", M::ColRightSize).data().toString(), QString("not present"));

        Click("BitBtn_Sync");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        for (const auto &[name, size] : {std::pair{"empty.txt", 0}, {"full.txt", 5}, {"back.txt", 3}}) {
            for (int column : {M::ColLeftDate, M::ColRightDate})
                QTRY_VERIFY2(IndexOf(name, column).data().toString() != "not seen before", name);
            for (int column : {M::ColLeftSize, M::ColRightSize})
                QCOMPARE(IndexOf(name, column).data().toString(), QLocale().toString(size));
        }
    }

    // Keys on the selected rows set their direction, as the image clicks do; a folder row
    // passes them to every file below it.
    void directionKeys()
    {
        ResultView *tree = AnalysedTree();
        QVERIFY(tree);
        Select(tree, "n.txt");
        Select(tree, "new.txt", true);
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 0", "new.txt 1 0", "old.txt 2 1"}));
        QTest::keyClick(tree, Qt::Key_Left, Qt::ControlModifier);
        // A file only on the left cannot travel to the left: new.txt stays as it was.
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 1", "new.txt 1 0", "old.txt 2 1"}));
        QTest::keyClick(tree, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 2", "new.txt 1 2", "old.txt 2 1"}));
        Select(tree, "docs");
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(IndexOf("docs/a.txt").data(M::DirectionRole).toInt(), 0);
        // The row menu names the keys.
        QMenu *menu = OpenMenu("old.txt");
        QVERIFY(menu);
        QCOMPARE(m_page->Commands().Action(ItemCommands::CopyToLeft)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Left));
        QCOMPARE(m_page->Commands().Action(ItemCommands::DontCopy)->shortcut(), QKeySequence(Qt::Key_Space));
        menu->close();
        // While a synchronisation uses the rows, the keys change nothing.
        Select(tree, "old.txt");
        tree->SetClicksAllowed(false);
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(IndexOf("old.txt").data(M::DirectionRole).toInt(), 1);
        tree->SetClicksAllowed(true);
    }

    void itemCommands()
    {
        MakeFiles();
        QVERIFY(TestFiles::Write(Left("m.txt"), "left now", Newer));
        QVERIFY(TestFiles::Write(Right("m.txt"), "right now", Old));
        AddJob("Job");
        m_page = MakePage(0);
        QVERIFY(Analyse());

        // Both copies, nothing saved: no restore items.
        QMenu *menu = OpenMenu("m.txt");
        QVERIFY(menu);
        QCOMPARE(EnabledItems(), QString("0 1 2 3 5 6 13 14 15 17 19"));
        menu->close();

        // Saved versions of both copies enable the restores; a No changes nothing.
        QVERIFY(TestFiles::Write(Program("__Save__/Job/m.txt"), "saved right", Old));
        QVERIFY(TestFiles::Write(Left("__Save__/m.txt"), "saved left", Old));
        menu = OpenMenu("m.txt");
        QCOMPARE(EnabledItems(), QString("0 1 2 3 5 6 8 9 10 11 13 14 15 17 19"));
        AnswerNextBox(QMessageBox::No);
        ChooseItem(menu, ItemCommands::RestoreRightFile);
        QCOMPARE(TestFiles::Read(Right("m.txt")), QByteArray("right now"));

        // A restore leaves each folder with the files it had: no copy aside, no fresh copy.
        const QStringList leftFiles = TestFiles::FilesBelow(Left());
        const QStringList rightFiles = TestFiles::FilesBelow(Right());
        menu = OpenMenu("m.txt");
        AnswerNextBox(QMessageBox::Yes);
        ChooseItem(menu, ItemCommands::RestoreRightFile);
        QCOMPARE(TestFiles::Read(Right("m.txt")), QByteArray("saved right"));
        QCOMPARE(Files(Right()), rightFiles.join(", "));
        QVERIFY(!QFileInfo::exists(Program("__Save__/Job/m.txt")));
        QCOMPARE(LogLines().last(), QString("Restoring the right file succeeded!"));
        QCOMPARE(IndexOf("m.txt").data(M::ActionRole).toInt(), int(saUpdateLeft));

        menu = OpenMenu("m.txt");
        AnswerNextBox(QMessageBox::Yes);
        ChooseItem(menu, ItemCommands::RestoreLeftFile);
        QCOMPARE(TestFiles::Read(Left("m.txt")), QByteArray("saved left"));
        QVERIFY(!QFileInfo::exists(Left("__Save__/m.txt")));
        QCOMPARE(LogLines().last(), QString("Restoring the left file succeeded!"));
        QCOMPARE(IndexOf("m.txt").data(M::ActionRole).toInt(), int(saUpdateRight));
        QStringList leftAfter = leftFiles;
        leftAfter.removeOne("__Save__/m.txt");
        QCOMPARE(Files(Left()), leftAfter.join(", "));
        QCOMPARE(Files(Right()), rightFiles.join(", "));
        menu = OpenMenu("m.txt");
        QCOMPARE(EnabledItems(), QString("0 1 2 3 5 6 13 14 15 17 19"));
        menu->close();

        // Deleting asks first; No keeps the file.
        menu = OpenMenu("n.txt");
        BoxSeen question;
        AnswerNextBox(QMessageBox::No, &question);
        ChooseItem(menu, ItemCommands::DeleteRightFile);
        QVERIFY2(question.text.contains("n.txt"), qPrintable(question.text));
        QVERIFY(QFileInfo::exists(Right("n.txt")));

        menu = OpenMenu("n.txt");
        AnswerNextBox(QMessageBox::Yes);
        ChooseItem(menu, ItemCommands::DeleteRightFile);
        QVERIFY(!QFileInfo::exists(Right("n.txt")));
        QCOMPARE(IndexOf("n.txt").data(M::ActionRole).toInt(), int(saLeftOnly));
        QCOMPARE(IndexOf("n.txt", M::ColRightDate).data().toString(), QString("not seen before"));
        QCOMPARE(IndexOf("n.txt", M::ColRightImage).data(M::ImageIndexRole).toInt(), RowImage::MoveRight);

        // Its only copy deleted, the row has neither copy; the synchronisation passes it by.
        menu = OpenMenu("n.txt");
        QCOMPARE(EnabledItems(), QString("0 2 5 13 14 15 17 19"));
        AnswerNextBox(QMessageBox::Yes);
        ChooseItem(menu, ItemCommands::DeleteLeftFile);
        QVERIFY(!QFileInfo::exists(Left("n.txt")));
        QCOMPARE(IndexOf("n.txt", M::ColLeftDate).data().toString(), QString("not seen before"));
        QCOMPARE(IndexOf("n.txt", M::ColLeftSize).data().toString(), QString("not present"));
        QCOMPARE(IndexOf("n.txt").data(M::DirectionRole).toInt(), 2);

        // A failed delete says so and leaves the row.
        QVERIFY(QFile::remove(Left("new.txt")));
        menu = OpenMenu("new.txt");
        BoxSeen failure;
        AnswerNextBox(QMessageBox::Yes);
        AnswerNextBox(QMessageBox::Ok, &failure);
        ChooseItem(menu, ItemCommands::DeleteLeftFile);
        QTRY_COMPARE(failure.text, "Deleting the file " + Left("new.txt") + " failed!");
        QCOMPARE(IndexOf("new.txt").data(M::ActionRole).toInt(), int(saLeftOnly));

        QVERIFY(TestFiles::Write(Left("new.txt"), "new", Old));
        Click("BitBtn_Sync");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QVERIFY(LogLines().contains("Total numbers of error files : 0; Total numbers of synced files : 4"));
        QVERIFY(!QFileInfo::exists(Right("n.txt")));
    }

    // Each row says why it goes where it goes, in its tooltip and, for the current row, under
    // the grid; the totals line follows every override, and after a run says what was done.
    void reasonsAndTotals()
    {
        ResultView *tree = AnalysedTree();
        QVERIFY(tree);
        const auto reason = [&] { return Child<QLabel>("Label_RowReason")->text(); };
        const auto totals = [&] { return Child<QLabel>("Label_Totals")->text(); };
        QCOMPARE(IndexOf("new.txt").data(Qt::ToolTipRole).toString(), QString("New on the left \u2192 copy to right"));
        QVERIFY(IndexOf("n.txt").data(Qt::ToolTipRole).toString().startsWith("No sync record on either side; left is later"));
        QVERIFY(!IndexOf("docs").data(Qt::ToolTipRole).isValid());
        // A folder has no reason of its own: the line says what it is for.
        tree->setCurrentIndex(IndexOf("docs"));
        QCOMPARE(reason(), QString("Make a file's row the current one to see here why it goes where it goes."));
        tree->setCurrentIndex(IndexOf("old.txt"));
        QCOMPARE(reason(), QString("New on the right \u2192 copy to left"));
        QTRY_COMPARE(totals(), QString("To left: 1 file (3 bytes) \u00b7 To right: 3 files (14 bytes) \u00b7 Conflicts: 0 "
                                       "\u00b7 Excluded: 0"));

        ClickCell("old.txt", M::ColDirectImage);
        QTRY_COMPARE(totals(), QString("To left: 0 files (0 bytes) \u00b7 To right: 3 files (14 bytes) \u00b7 Conflicts: 0 "
                                       "\u00b7 Excluded: 1"));
        QCOMPARE(reason(), QString("Excluded by you. Proposed: New on the right \u2192 copy to left"));
        ClickCell("n.txt", M::ColLeftImage);
        QTRY_COMPARE(totals(), QString("To left: 1 file (11 bytes) \u00b7 To right: 2 files (4 bytes) \u00b7 Conflicts: 0 "
                                       "\u00b7 Excluded: 1"));
        ClickCell("n.txt", M::ColRightImage);

        // While the run lasts, a progress line counts from what is to travel.
        auto *progress = Child<QLabel>("Label_Progress");
        Click("BitBtn_Sync");
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->text(), QString("0 of 3 files \u00b7 0 bytes of 14 bytes \u00b7 time left not known yet"));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QVERIFY(!progress->isVisible());
        QTRY_COMPARE(totals(), QString("Copied to left: 0 files (0 bytes) \u00b7 to right: 3 files (14 bytes) \u00b7 "
                                       "Failed: 0 \u00b7 Conflicts: 0 \u00b7 Excluded: 1"));
        QCOMPARE(IndexOf("n.txt").data(Qt::ToolTipRole).toString().left(45),
                 QString("Copied to right by the last synchronisation. "));

        // Both copies of n.txt changed since: a conflict, which the later copy wins. A local
        // right side keeps no state file, so only times decide there.
        QFETCH_GLOBAL(bool, ftp);
        if (!ftp)
            return;
        QVERIFY(TestFiles::Write(Left("n.txt"), "left again", Newer + 100));
        QVERIFY(TestFiles::Write(Right("n.txt"), "right again!", Newer + 200));
        QVERIFY(Analyse());
        QCOMPARE(Rows(), (QStringList{"n.txt 3 1", "old.txt 2 1"}));
        QVERIFY2(IndexOf("n.txt").data(Qt::ToolTipRole).toString().startsWith(
                     "Conflict: changed on both sides since the last sync"),
                 qPrintable(IndexOf("n.txt").data(Qt::ToolTipRole).toString()));
        QVERIFY(IndexOf("n.txt").data(Qt::ToolTipRole).toString().endsWith("the later right copy wins \u2192 copy to left"));
        // At the window's first size the line under the grid shows the reason to its end.
        m_page->resize(892 - 2 * 23, 759 - 145 - 27);
        tree->setCurrentIndex(IndexOf("n.txt"));
        auto *why = Child<QLabel>("Label_RowReason");
        QTRY_COMPARE(why->text(), IndexOf("n.txt").data(Qt::ToolTipRole).toString());
        QVERIFY(why->fontMetrics().horizontalAdvance(why->text()) > why->contentsRect().width());
        QVERIFY(why->wordWrap());
        QTRY_VERIFY(why->fontMetrics().boundingRect(why->contentsRect(), Qt::TextWordWrap, why->text()).height()
                    <= why->contentsRect().height());
        QTRY_COMPARE(totals(), QString("To left: 2 files (15 bytes) \u00b7 To right: 0 files (0 bytes) \u00b7 Conflicts: 1 "
                                       "\u00b7 Excluded: 0"));
        // The conflicts view lists only that file, and the find box works on top of it.
        auto *conflicts = Child<QRadioButton>("rb_conflicts");
        QCOMPARE(conflicts->text(), QString("conflicts(1)"));
        QTest::mouseClick(conflicts, Qt::LeftButton, {}, QPoint(6, conflicts->height() / 2));
        QCOMPARE(Rows(), QStringList{"n.txt 3 1"});
        auto *gauge = Child<QProgressBar>("pb_action");
        QCOMPARE(gauge->value(), gauge->maximum());
        auto *find = Child<QLineEdit>("Edit_Find");
        QTest::keyClicks(find, "old");
        QCOMPARE(Rows(), QStringList{});
        find->clear();
        QTest::keyClicks(find, "n.");
        QCOMPARE(Rows(), QStringList{"n.txt 3 1"});
    }

    // Many rows at once: Ctrl+A, a folder row taking the rows below it, one key or menu
    // command for all of them, Backspace back to the proposal and Ctrl+Z undoing the last change.
    void bulkChangesAndUndo()
    {
        ResultView *tree = AnalysedTree();
        QVERIFY(tree);
        const QStringList proposal{"docs/a.txt 1 2", "n.txt 4 2", "new.txt 1 2", "old.txt 2 1"};
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 0", "n.txt 4 0", "new.txt 1 0", "old.txt 2 0"}));
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Rows(), proposal);

        Select(tree, "n.txt");
        QTest::keyClick(tree, Qt::Key_Left, Qt::ControlModifier);
        Select(tree, "old.txt");
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 1", "new.txt 1 2", "old.txt 2 0"}));
        // One step back at a time.
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 1", "new.txt 1 2", "old.txt 2 1"}));
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Rows(), proposal);
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Rows(), proposal);

        // A click on a folder's row selects the rows below it.
        ClickCell("docs", M::ColItem);
        QVERIFY(tree->selectionModel()->isRowSelected(IndexOf("docs/a.txt").row(), IndexOf("docs")));
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(IndexOf("docs/a.txt").data(M::DirectionRole).toInt(), 0);

        // A file only on the right cannot travel to the right: old.txt is left out.
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(tree, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 2", "new.txt 1 2", "old.txt 2 1"}));
        QTest::keyClick(tree, Qt::Key_Space);
        QMenu *menu = OpenMenu("old.txt");
        QVERIFY(menu);
        QVERIFY(m_page->Commands().Action(ItemCommands::UndoDirections)->isEnabled());
        QCOMPARE(m_page->Commands().Action(ItemCommands::BackToProposal)->shortcut(), QKeySequence(Qt::Key_Backspace));
        menu->close();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(tree, Qt::Key_Backspace);
        QCOMPARE(Rows(), proposal);
        QCOMPARE(IndexOf("old.txt", M::ColLeftImage).data(M::ImageIndexRole).toInt(), RowImage::MoveLeft);
    }

    // The count columns of the job's row and of a folder's row say how many files below it
    // are still to copy each way, and follow a click, a change of many rows, its undo, the
    // way back to the proposal and the run, as the totals line does.
    void countsFollowTheRows()
    {
        ResultView *tree = AnalysedTree();
        QVERIFY(tree);
        // "to left/to right" as the grid shows them; a count of 0 shows nothing.
        const auto counts = [&](const QString &path) {
            return IndexOf(path, M::ColToLeftCount).data().toString() + "/"
                + IndexOf(path, M::ColToRightCount).data().toString();
        };
        const auto shown = [&] { return counts("") + " " + counts("docs"); };
        QCOMPARE(shown(), QString("1/3 /1"));
        // The view is told about the folder's changed counts, not only about the clicked row.
        QSignalSpy repainted(&m_page->Model(), &QAbstractItemModel::dataChanged);
        ClickCell("docs/a.txt", M::ColDirectImage);
        QCOMPARE(shown(), QString("1/2 /"));
        const QModelIndex docsCount = IndexOf("docs", M::ColToRightCount);
        QVERIFY(std::any_of(repainted.cbegin(), repainted.cend(), [&](const QList<QVariant> &range) {
            const QModelIndex first = range[0].toModelIndex(), last = range[1].toModelIndex();
            return first.parent() == docsCount.parent() && first.row() <= docsCount.row()
                && last.row() >= docsCount.row() && first.column() <= docsCount.column()
                && last.column() >= docsCount.column();
        }));
        ClickCell("n.txt", M::ColLeftImage);
        QCOMPARE(shown(), QString("2/1 /"));
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shown(), QString("1/2 /"));
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(tree, Qt::Key_Space);
        QCOMPARE(shown(), QString("/ /"));
        QTest::keyClick(tree, Qt::Key_Backspace);
        QCOMPARE(shown(), QString("1/3 /1"));
        QTRY_COMPARE(Child<QLabel>("Label_Totals")->text().left(45),
                     QString("To left: 1 file (3 bytes) \u00b7 To right: 3 files"));
        // Copied files are no longer to copy.
        Click("BitBtn_Sync");
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QTRY_COMPARE(shown(), QString("/ /"));
    }

    // Sync Selected copies only the selected rows; the others keep their directions, and the
    // next analysis proposes them again.
    void syncSelected()
    {
        ResultView *tree = AnalysedTree();
        QVERIFY(tree);
        Select(tree, "new.txt");
        Select(tree, "docs", true);
        QTest::keyClick(tree, Qt::Key_F6, Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QVERIFY(LogLines().contains("Total numbers of error files : 0; Total numbers of synced files : 2"));
        QCOMPARE(TestFiles::Read(Right("new.txt")), QByteArray("new"));
        QCOMPARE(TestFiles::Read(Right("docs/a.txt")), QByteArray("a"));
        QCOMPARE(TestFiles::Read(Right("n.txt")), QByteArray("older right"));
        QVERIFY(!QFileInfo::exists(Left("old.txt")));
        QCOMPARE(IndexOf("n.txt").data(M::DirectionRole).toInt(), 2);
        QCOMPARE(IndexOf("old.txt").data(M::DirectionRole).toInt(), 1);
        QVERIFY(Analyse());
        QCOMPARE(Rows(), (QStringList{"n.txt 4 2", "old.txt 2 1"}));
    }

    // The find box shows the rows whose name holds its text, with their folders, within the
    // view the results filter chose; keys then reach only the rows found.
    void findWithViewFilters()
    {
        MakeFiles();
        QVERIFY(TestFiles::Write(Left("docs/b.log"), "b", Old));
        QVERIFY(TestFiles::Write(Left("same.txt"), "s", Old));
        QVERIFY(TestFiles::Write(Right("same.txt"), "s", Old));
        AddJob("Job");
        m_page = MakePage(0);
        new QAbstractItemModelTester(&m_page->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     m_page.get());
        QVERIFY(Analyse());
        auto *find = Child<QLineEdit>("Edit_Find");
        auto *tree = Child<ResultView>("VST1");
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(find->hasFocus());
        QTest::keyClicks(find, "A.T");
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2"}));
        QVERIFY(tree->isExpanded(IndexOf("docs")));
        find->clear();
        QTest::keyClicks(find, "txt");
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 2", "new.txt 1 2", "old.txt 2 1"}));
        // The All view below the same text adds the file that does not travel.
        auto *all = Child<QRadioButton>("rb_all");
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(6, all->height() / 2));
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "n.txt 4 2", "new.txt 1 2", "old.txt 2 1", "same.txt 0 0"}));
        find->clear();
        QTest::keyClicks(find, "new");
        QCOMPARE(Rows(), (QStringList{"new.txt 1 2"}));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(tree, Qt::Key_Space);
        find->clear();
        QCOMPARE(Rows(), (QStringList{"docs/a.txt 1 2", "docs/b.log 1 2", "n.txt 4 2", "new.txt 1 0", "old.txt 2 1",
                                      "same.txt 0 0"}));
        // Nothing matches: only the job's row.
        QTest::keyClicks(find, "nothing like it");
        QCOMPARE(Rows(), QStringList{});
        QCOMPARE(m_page->Model().rowCount(), 1);
    }
};

WIDGET_TEST_MAIN(TestJobPage)
#include "tst_jobpage.moc"
