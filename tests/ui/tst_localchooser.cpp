#include "tests/support/ModalAnswer.h"
#include "tests/ui/DriveWidgets.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/config/SideFolderChooser.h"
#include "ui/widgets/ImageButton.h"

#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

JobSide side(const QString &path)
{
    JobSide s;
    s.DeviceType = 1;
    s.FolerAllName = path;
    s.UserName = QStringLiteral("kept");
    return s;
}

// Answers the name box with name (or cancels it) and keeps its caption and prompt.
struct NameBox {
    bool shown = false;
    QString caption, prompt;
};

QObject *AnswerName(NameBox &seen, const QString &name, bool accept = true)
{
    return WhenShown<QInputDialog>([&seen, name, accept](QInputDialog *box) {
        seen.shown = true;
        seen.caption = box->windowTitle();
        seen.prompt = box->labelText();
        box->setTextValue(name);
        if (accept)
            box->accept();
        else
            box->reject();
    });
}

}  // namespace

class TestLocalChooser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opening_data()
    {
        QTest::addColumn<QString>("folder");  // relative to a temporary folder; "" none
        QTest::addColumn<bool>("selected");
        QTest::newRow("existing folder") << "Data/Sub" << true;
        QTest::newRow("missing folder") << "Missing" << false;
        QTest::newRow("a file") << "file.txt" << false;
        QTest::newRow("empty") << "" << false;
    }

    void opening()
    {
        QFETCH(QString, folder);
        QFETCH(bool, selected);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Data/Sub")));
        QFile(dir.filePath(QStringLiteral("file.txt"))).open(QIODevice::WriteOnly);
        const QString path = folder.isEmpty() ? QString() : dir.filePath(folder);

        LocalFolderChooser chooser;
        chooser.SetFolderSource(side(path));
        chooser.show();
        auto *tree = control<QTreeWidget>(chooser, "strv1");
        auto *address = control<QLineEdit>(chooser, "Edit_Address");
        if (selected) {
            QVERIFY(tree->currentItem());
            QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Sub"));
            QCOMPARE(address->text(), path);
        } else {
            QVERIFY(!tree->currentItem());
            QCOMPARE(address->text(), QString());
        }
    }

    // The address follows the tree and may be typed; OK stores it exactly and nothing else.
    void okStoresTheAddress()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("A/B")));
        LocalFolderChooser chooser;
        chooser.SetFolderSource(side(dir.filePath(QStringLiteral("A"))));
        chooser.show();
        auto *tree = control<QTreeWidget>(chooser, "strv1");
        auto *address = control<QLineEdit>(chooser, "Edit_Address");
        tree->currentItem()->setExpanded(true);
        QCOMPARE(tree->currentItem()->childCount(), 1);
        tree->setCurrentItem(tree->currentItem()->child(0));
        QCOMPARE(address->text(), dir.filePath(QStringLiteral("A/B")));

        // A typed folder that is not there: OK asks to make it. No keeps the dialog open.
        const QString typed = dir.filePath(QStringLiteral("typed/not there"));
        address->setText(QStringLiteral(" ") + typed + QStringLiteral(" "));
        BoxSeen box;
        AnswerNextBox(QMessageBox::No, &box);
        click(control<ImageButton>(chooser, "OkButton"));
        QCOMPARE(box.text, QStringLiteral("The folder \"%1\" does not exist. Create it?").arg(typed));
        QVERIFY(!chooser.Result());
        QVERIFY(!QFileInfo::exists(typed));
        AnswerNextBox(QMessageBox::Yes);
        click(control<ImageButton>(chooser, "OkButton"));
        QVERIFY(chooser.Result());
        QVERIFY(QFileInfo(typed).isDir());
        QCOMPARE(chooser.FolderSource().FolerAllName, typed);
        QCOMPARE(chooser.FolderSource().DeviceType, 1);
        QCOMPARE(chooser.FolderSource().UserName, QStringLiteral("kept"));
    }

    void cancelLeavesResultClear()
    {
        LocalFolderChooser chooser;
        chooser.SetFolderSource(side(QString()));
        chooser.show();
        click(control<ImageButton>(chooser, "CancelButton"));
        QVERIFY(!chooser.Result());
        QVERIFY(!chooser.isVisible());
    }

    // A job page's Browse: the chooser's OK is refused while the job's run is in progress.
    void sideChosenUnlessRunning_data()
    {
        QTest::addColumn<bool>("running");
        QTest::newRow("idle") << false;
        QTest::newRow("running") << true;
    }

    void sideChosenUnlessRunning()
    {
        QFETCH(bool, running);
        QTemporaryDir dir;
        JobSide left = side(QStringLiteral("/before"));
        WhenShown<LocalFolderChooser>([&dir](LocalFolderChooser *chooser) {
            control<QLineEdit>(*chooser, "Edit_Address")->setText(dir.path());
            click(control<ImageButton>(*chooser, "OkButton"));
        });
        BoxSeen box;
        QObject *boxTimer = AnswerNextBox(box);
        const bool changed = ChooseSideFolder(nullptr, left, 1, [running] { return running; });
        if (!box.shown)
            delete boxTimer;
        QCOMPARE(changed, !running);
        QCOMPARE(box.shown, running);
        QCOMPARE(left.FolerAllName, running ? QStringLiteral("/before") : dir.path());
    }

    void makeFolder_data()
    {
        QTest::addColumn<QString>("parent");   // "<tmp>" is replaced by the temporary folder
        QTest::addColumn<QString>("name");     // typed into the name box; "<cancel>" cancels it
        QTest::addColumn<QString>("made");     // folder expected afterwards ("" none)
        QTest::addColumn<QString>("message");  // part of the message box ("" none)

        QTest::newRow("below the address") << "<tmp>/Data" << "New" << "<tmp>/Data/New" << "";
        QTest::newRow("address with a final slash") << "<tmp>/Data/" << "New" << "<tmp>/Data/New" << "";
        QTest::newRow("missing parents are made") << "<tmp>/Data/x/y" << "New" << "<tmp>/Data/x/y/New" << "";
        QTest::newRow("name kept as typed") << "<tmp>/Data" << " Two words " << "<tmp>/Data/ Two words " << "";
        QTest::newRow("double quote passes") << "<tmp>/Data" << "a\"b" << "<tmp>/Data/a\"b" << "";
        QTest::newRow("question mark") << "<tmp>/Data" << "a?b" << ""
                                       << "The name you entered does not meet the requirement!!";
        QTest::newRow("slash") << "<tmp>/Data" << "a/b" << "" << "The name you entered does not meet the requirement!!";
        QTest::newRow("blank name") << "<tmp>/Data" << "   " << "" << "";
        QTest::newRow("box cancelled") << "<tmp>/Data" << "<cancel>" << "" << "";
        QTest::newRow("empty address") << "" << "New" << "" << "full path";
        QTest::newRow("relative address") << "Data" << "New" << "" << "full path";
        QTest::newRow("parent is a file") << "<tmp>/file.txt" << "New" << "" << "is a file";
    }

    void makeFolder()
    {
        QFETCH(QString, parent);
        QFETCH(QString, name);
        QFETCH(QString, made);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Data")));
        QFile(dir.filePath(QStringLiteral("file.txt"))).open(QIODevice::WriteOnly);
        parent.replace(QStringLiteral("<tmp>"), dir.path());
        made.replace(QStringLiteral("<tmp>"), dir.path());
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        LocalFolderChooser chooser;
        chooser.SetFolderSource(side(dir.filePath(QStringLiteral("Data"))));
        chooser.show();
        auto *address = control<QLineEdit>(chooser, "Edit_Address");
        address->setText(parent);

        NameBox named;
        BoxSeen box;
        QObject *nameTimer = AnswerName(named, name, name != QLatin1String("<cancel>"));
        QObject *boxTimer = AnswerNextBox(box);
        click(control<ImageButton>(chooser, "MakeFolderButton"));
        if (!named.shown)
            delete nameTimer;
        if (!box.shown)
            delete boxTimer;

        QCOMPARE(box.shown, !message.isEmpty());
        if (box.shown) {
            QVERIFY2(box.text.contains(message), qPrintable(box.text));
            QCOMPARE(box.caption, QStringLiteral("Corvane"));
        }
        if (named.shown) {
            QCOMPARE(named.caption, QStringLiteral("Enter New Folder Name"));
            QCOMPARE(named.prompt, QStringLiteral("Create a new folder \n\n") + parent.trimmed());
        }
        if (made.isEmpty()) {
            QCOMPARE(address->text(), parent);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
            QVERIFY(QDir(dir.filePath(QStringLiteral("Data"))).isEmpty());
        } else {
            QVERIFY(QFileInfo(made).isDir());
            QCOMPARE(address->text(), made);
            auto *tree = control<QTreeWidget>(chooser, "strv1");
            QVERIFY(tree->currentItem());
            QCOMPARE(tree->currentItem()->text(0), name);
        }
        // The side changes only with OK.
        QVERIFY(!chooser.Result());
        QCOMPARE(chooser.FolderSource().FolerAllName, dir.filePath(QStringLiteral("Data")));
    }
};

WIDGET_TEST_MAIN(TestLocalChooser)
#include "tst_localchooser.moc"
