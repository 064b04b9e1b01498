#include "engine/RunGate.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/DriveWidgets.h"
#include "tests/ui/MainWindowUnderTest.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/JobEditor.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/config/OptionsDialog.h"
#include "ui/config/ScheduleDialog.h"
#include "ui/widgets/ImageButton.h"
#include "ui/workspace/JobEditorCommands.h"
#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QtTest>

#include <memory>

namespace {

constexpr int Wait = 30000;

}  // namespace

// The window as a keyboard user meets it: the first start, every shortcut and menu key,
// Enter and Escape in every dialog, and one job made, analysed, changed and synchronised
// with keys alone.
class TestKeyboard : public QObject {
    Q_OBJECT

public Q_SLOTS:
    void OpenUrl(const QUrl &url) { m_opened << url; }

private:
    std::unique_ptr<MainWindowUnderTest> m_ui;
    QList<QUrl> m_opened;

    QString Path(const QString &rel) const { return m_ui->Path(rel); }
    void AddJob(const QString &name)
    {
        auto job = std::make_unique<Job>();
        job->SyncName = name;
        job->LFolder.DeviceType = 1;
        job->LFolder.FolerAllName = Path(name + "/left");
        job->RFolder.DeviceType = 1;
        job->RFolder.FolerAllName = Path(name + "/right");
        QDir().mkpath(job->LFolder.FolerAllName);
        QDir().mkpath(job->RFolder.FolerAllName);
        m_ui->Jobs.AddJob(std::move(job));
    }
    void Open()
    {
        UseJobEditor(m_ui->Make(), m_ui->Jobs);
        QVERIFY(m_ui->Show());
        m_ui->Window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_ui->Window.get()));
    }
    template <class T> T *Find(const char *name) const { return m_ui->Find<T>(name); }
    QAction *Action(const char *name) const { return Find<QAction>(name); }
    // The key goes where the keyboard is: the focused control of the active window. A window
    // a dialog covered is made active again, as the window system does once the dialog is gone.
    void Press(QKeySequence keys)
    {
        QWidget *window = m_ui->Window.get();
        if (!QApplication::activeModalWidget() && window && window->isVisible()
            && QApplication::activeWindow() != window) {
            // The offscreen platform does not hand the activation back by itself after a
            // popup or dialog closes, as a window system does.
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
        }
        // A popup that was just closed may still hold the focus for a moment; a key must not
        // reach it (its letters would choose its items).
        if (!QTest::qWaitFor([] { return !QApplication::activePopupWidget(); }, 2000))
            QApplication::activePopupWidget()->close();
        QWidget *target = QApplication::focusWidget();
        if (!target || !target->isVisible() || qobject_cast<QMenu *>(target))
            target = QApplication::activeWindow();
        QVERIFY(target);
        const QKeyCombination combination = keys[0];
        QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
    }
    JobPage *Shown() const { return m_ui->Shown(); }
    QString Status() const { return m_ui->Status(); }

private Q_SLOTS:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void init()
    {
        m_ui = std::make_unique<MainWindowUnderTest>();
        m_opened.clear();
    }
    void cleanup() { m_ui.reset(); }

    // No job: the page says what to do and offers the one command that makes sense; the
    // commands that need a job are off rather than silently doing nothing.
    void firstStart()
    {
        Open();
        QCOMPARE(Find<QStackedWidget>("Notebook1")->currentWidget()->objectName(), QString("Default"));
        QVERIFY(Find<QLabel>("EmptyHint")->isVisible());
        QVERIFY(Find<QLabel>("EmptyHint")->text().contains("Add a job"));
        auto *add = Find<QPushButton>("EmptyAddJob");
        QVERIFY(add->isVisible() && add->isEnabled());
        QCOMPARE(QApplication::focusWidget(), add);
        for (const char *name : {"addnewjobFromTemplate1", "Delete1", "ExportTaskList1", "NextJob1", "PreviousJob1",
                                 "Analyze1", "Sync1", "Cancel1", "Donotcopy1", "CopyLefttoRight1", "CopyRighttoLeft1"})
            QVERIFY2(!Action(name)->isEnabled(), name);
        QVERIFY(Action("addnewjob1")->isEnabled());

        // Enter on the offered button opens the editor for a new job; Escape leaves it.
        bool opened = false;
        WhenShown<JobEditor>([&](JobEditor *editor) {
            opened = editor->JobIndex() == -1;
            QTest::keyClick(editor->focusWidget() ? editor->focusWidget() : editor, Qt::Key_Escape);
        });
        QTest::keyClick(add, Qt::Key_Return);
        QVERIFY(opened);
        QCOMPARE(m_ui->Jobs.Count(), 0);
    }

    // Every shortcut runs its command; the menus name them.
    void shortcuts()
    {
        AddJob("One");
        AddJob("Two");
        QVERIFY(TestFiles::Write(Path("One/left/a.txt"), "a"));
        Open();
        QCOMPARE(Shown()->objectName(), QString("CorvaneMain"));
        QVERIFY(Action("addnewjobFromTemplate1")->isEnabled() && Action("Delete1")->isEnabled());

        int editorIndex = -2;
        const auto answerEditor = [&] {
            WhenShown<JobEditor>([&](JobEditor *editor) {
                editorIndex = editor->JobIndex();
                editor->reject();
            });
        };
        answerEditor();
        Press(QKeySequence(Qt::CTRL | Qt::Key_N));
        QTRY_COMPARE(editorIndex, -1);
        answerEditor();
        Press(QKeySequence(Qt::CTRL | Qt::Key_E));
        QTRY_COMPARE(editorIndex, 0);

        // F5 analyses, Ctrl+Enter synchronises.
        Press(QKeySequence(Qt::Key_F5));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString(" Analyzing Done!"), Wait);
        QVERIFY(Action("Sync1")->isEnabled());
        Press(QKeySequence(Qt::CTRL | Qt::Key_Return));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QCOMPARE(TestFiles::Read(Path("One/right/a.txt")), QByteArray("a"));
        // F6 too, after another analysis.
        QVERIFY(TestFiles::Write(Path("One/left/b.txt"), "b"));
        Press(QKeySequence(Qt::Key_F5));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString(" Analyzing Done!"), Wait);
        Press(QKeySequence(Qt::Key_F6));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QCOMPARE(TestFiles::Read(Path("One/right/b.txt")), QByteArray("b"));

        // Escape cancels a run (here one that waits for another to end).
        {
            RunGate::Pass busy(RunGate::Instance());
            Press(QKeySequence(Qt::Key_F5));
            QTRY_VERIFY(Action("Cancel1")->isEnabled());
            Press(QKeySequence(Qt::Key_Escape));
            QTRY_VERIFY(!Action("Cancel1")->isEnabled());
            QVERIFY(Action("Analyze1")->isEnabled());
        }

        // Ctrl+Tab and Ctrl+Shift+Tab go round the jobs.
        JobPage *first = Shown();
        Press(QKeySequence(Qt::CTRL | Qt::Key_Tab));
        QVERIFY(Shown() != first);
        Press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
        QCOMPARE(Shown(), first);
        Press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
        QVERIFY(Shown() != first);

        // F1 opens the help; Alt and a menu's letter opens that menu.
        Press(QKeySequence(Qt::Key_F1));
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(m_opened.first().toLocalFile().endsWith("help/index.html"));
        // Every menu has its Alt key; the Job menu's is pressed.
        for (const auto &[button, key] : {std::pair{"jobbutton", Qt::Key_J}, {"actionbutton", Qt::Key_A},
                                          {"viewbutton", Qt::Key_V}, {"toolsbutton", Qt::Key_T},
                                          {"HelpButton", Qt::Key_H}})
            QCOMPARE(Find<QShortcut>(qPrintable(QString(button) + "Shortcut"))->key(), QKeySequence(Qt::ALT | key));
        bool shown = false;
        WhenShown<QMenu>(
            [&](QMenu *menu) {
                shown = menu->actions().contains(Action("addnewjob1"));
                QTest::keyClick(menu, Qt::Key_Escape);
            },
            true);
        Press(QKeySequence(Qt::ALT | Qt::Key_J));
        QTRY_VERIFY(shown);
        QTRY_VERIFY(!Find<QMenu>("Popup_Job")->isVisible());
        QCOMPARE(Action("addnewjob1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QVERIFY(Action("CopyRighttoLeft1")->text().endsWith("\tCtrl+Left"));

        // Ctrl+Q ends the program as the close box does.
        Press(QKeySequence(Qt::CTRL | Qt::Key_Q));
        QTRY_VERIFY(!m_ui->Window->isVisible());
    }

    // From the folders, Analyze is four Tabs away.
    void tabOrder()
    {
        AddJob("One");
        Open();
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("Edit_LFolder"));
        for (const char *next : {"bt_LBrowse", "Edit_RFolder", "bt_RBrowse", "BitBtn_Analyze", "BitBtn_Sync"}) {
            if (QString(next) == "BitBtn_Sync")
                break;  // disabled before an analysis: not a Tab stop
            Press(QKeySequence(Qt::Key_Tab));
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
        }
        // The button shows that it has the focus.
        auto *analyze = qobject_cast<ImageButton *>(QApplication::focusWidget());
        QVERIFY(analyze);
        const QImage ringed = analyze->grab().toImage();
        analyze->clearFocus();
        QVERIFY(analyze->grab().toImage() != ringed);
    }

    // Enter confirms and Escape cancels every dialog, whatever control has the focus.
    void enterAndEscape_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        for (const char *dialog : {"editor", "local chooser", "FTP chooser", "schedule", "options"}) {
            QTest::addRow("%s, Enter", dialog) << dialog << int(Qt::Key_Return) << true;
            QTest::addRow("%s, Escape", dialog) << dialog << int(Qt::Key_Escape) << false;
        }
    }
    void enterAndEscape()
    {
        QFETCH(QString, dialog);
        QFETCH(int, key);
        QFETCH(bool, accepted);
        std::unique_ptr<SkinnedWindow> window;
        QWidget *typeInto = nullptr;
        if (dialog == "editor") {
            auto *editor = new JobEditor(m_ui->Jobs);
            editor->SetJobIndex(-1);
            typeInto = editor->findChild<QLineEdit *>("edit_taskname");
            window.reset(editor);
        } else if (dialog == "local chooser") {
            auto *chooser = new LocalFolderChooser;
            JobSide side;
            side.DeviceType = 1;
            side.FolerAllName = m_ui->Dir.path();
            chooser->SetFolderSource(side);
            typeInto = chooser->findChild<QLineEdit *>("Edit_Address");
            window.reset(chooser);
        } else if (dialog == "FTP chooser") {
            auto *chooser = new FtpFolderChooser;
            typeInto = chooser->findChild<QLineEdit *>("Edit_ftppwd");
            window.reset(chooser);
        } else if (dialog == "schedule") {
            window.reset(new ScheduleDialog);
        } else {
            window.reset(new OptionsDialog(nullptr, m_ui->ProgramSettings, {}, QStringLiteral("/bin/false")));
        }
        QSignalSpy finished(window.get(), &QDialog::finished);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        if (typeInto) {
            typeInto->setFocus();
            // The chooser's address is a folder that exists: a letter more would not.
            if (dialog != "local chooser")
                QTest::keyClicks(typeInto, "x");
        }
        QWidget *target = typeInto ? typeInto : window.get();
        QTest::keyClick(target, Qt::Key(key));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt() == QDialog::Accepted, accepted);
    }

    // One job made, analysed, one row turned round and synchronised with the keyboard alone.
    void keyboardOnly()
    {
        QDir().mkpath(Path("mine"));
        QDir().mkpath(Path("theirs"));
        QVERIFY(TestFiles::Write(Path("mine/doc.txt"), "old mine", 1500000000));
        QVERIFY(TestFiles::Write(Path("theirs/doc.txt"), "newer theirs", 1600000000));
        Open();
        WhenShown<JobEditor>([&](JobEditor *editor) {
            // The offscreen platform does not move the application's focus to a second
            // window by itself, as a window system does.
            QApplication::setActiveWindow(editor);
            QVERIFY(QTest::qWaitForWindowActive(editor));
            QCOMPARE(QApplication::focusWidget()->objectName(), QString("edit_taskname"));
            QTest::keyClicks(QApplication::focusWidget(), "Keys");
            Press(QKeySequence(Qt::Key_Tab));
            QTest::keyClicks(QApplication::focusWidget(), Path("mine"));
            Press(QKeySequence(Qt::Key_Tab));
            Press(QKeySequence(Qt::Key_Tab));
            QTest::keyClicks(QApplication::focusWidget(), Path("theirs"));
            Press(QKeySequence(Qt::Key_Return));
        });
        Press(QKeySequence(Qt::CTRL | Qt::Key_N));
        QTRY_COMPARE(m_ui->Jobs.Count(), 1);
        QCOMPARE(m_ui->Jobs.JobAt(0)->RFolder.FolerAllName, Path("theirs"));
        QCOMPARE(m_ui->Jobs.JobAt(0)->RFolder.DeviceType, 1);

        Press(QKeySequence(Qt::Key_F5));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString(" Analyzing Done!"), Wait);
        // To the rows: Tab past the folders and the buttons, then down to the file.
        for (int tabs = 0; tabs < 12 && !qobject_cast<ResultView *>(QApplication::focusWidget()); ++tabs) {
            Press(QKeySequence(Qt::Key_Tab));
        }
        QVERIFY(qobject_cast<ResultView *>(QApplication::focusWidget()));
        Press(QKeySequence(Qt::Key_Down));
        Press(QKeySequence(Qt::Key_Down));
        auto *tree = qobject_cast<ResultView *>(QApplication::focusWidget());
        QCOMPARE(tree->currentIndex().data().toString(), QString("doc.txt"));
        QCOMPARE(tree->currentIndex().data(ResultModel::DirectionRole).toInt(), 1);
        Press(QKeySequence(Qt::CTRL | Qt::Key_Right));
        QCOMPARE(tree->currentIndex().data(ResultModel::DirectionRole).toInt(), 2);
        Press(QKeySequence(Qt::CTRL | Qt::Key_Return));
        QTRY_COMPARE_WITH_TIMEOUT(Status(), QString("Sync Done!"), Wait);
        QCOMPARE(TestFiles::Read(Path("theirs/doc.txt")), QByteArray("old mine"));
    }
};

WIDGET_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
