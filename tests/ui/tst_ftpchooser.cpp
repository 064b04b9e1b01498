#include "engine/RunGate.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/ModalAnswer.h"
#include "tests/ui/DriveWidgets.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/RemoteFolderDialog.h"
#include "ui/widgets/ImageButton.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

namespace {

// "name(child,child(...))" of the tree, children in name order, marking expanded nodes "+".
QString shape(QTreeWidgetItem *item)
{
    QStringList children;
    for (int i = 0; i < item->childCount(); ++i)
        children << shape(item->child(i));
    children.sort();
    QString s = item->text(0);
    if (item->childCount())
        s += (item->isExpanded() ? QStringLiteral("+(") : QStringLiteral("(")) + children.join(QLatin1Char(',')) + QLatin1Char(')');
    return s;
}

QString shape(QTreeWidget *tree)
{
    QStringList top;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        top << shape(tree->topLevelItem(i));
    top.sort();
    return top.join(QLatin1Char(','));
}

QTreeWidgetItem *find(QTreeWidget *tree, const QString &path)
{
    QTreeWidgetItem *item = nullptr;
    for (const QString &name : path.split(QLatin1Char('/'))) {
        QTreeWidgetItem *next = nullptr;
        const int count = item ? item->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem *c = item ? item->child(i) : tree->topLevelItem(i);
            if (c->text(0) == name)
                next = c;
        }
        if (!next)
            return nullptr;
        item = next;
    }
    return item;
}

}  // namespace

class TestFtpChooser : public QObject {
    Q_OBJECT

    FtpServerFixture m_server;

    void makeFolders(const QStringList &folders)
    {
        for (const QString &f : folders)
            QVERIFY(QDir(m_server.root()).mkpath(f));
    }

    JobSide side(const QString &address) const
    {
        JobSide s;
        s.DeviceType = 3;
        s.FolerAllName = address;
        s.UserName = m_server.user();
        s.PWD = m_server.password();
        return s;
    }

    // Connects as the user would and waits for the work to end.
    void connectChooser(FtpFolderChooser &chooser)
    {
        QSignalSpy ended(&chooser, &FtpFolderChooser::WorkEnded);
        click(control<ImageButton>(chooser, "fptconnectButton"));
        QVERIFY(chooser.Busy());
        QVERIFY(ended.wait(60000));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.start()); }

    void init()
    {
        QDir root(m_server.root());
        for (const QString &e : root.entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot))
            QVERIFY(QDir(root.filePath(e)).removeRecursively() || root.remove(e));
    }

    // The walk lists the top folders, then each folder on the path under its own node.
    void walkDownTheAddress_data()
    {
        QTest::addColumn<QString>("typed");      // %1 is the host and port
        QTest::addColumn<QString>("address");    // normalised
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("selected");

        QTest::newRow("ftp://host/a/b") << "ftp://%1/a/b" << "ftp://%1/a/b" << "a+(b+(c),x),b,top" << "a/b";
        QTest::newRow("host/a/ normalised") << "%1/a/" << "ftp://%1/a" << "a+(b,x),b,top" << "a";
        QTest::newRow("host only: one pass") << "ftp://%1" << "ftp://%1" << "a,b,top" << "";
        QTest::newRow("stops at a folder the server lacks") << "ftp://%1/a/nothere/c" << "ftp://%1/a/nothere/c"
                                                          << "a+(b,x),b,top" << "a";
    }

    void walkDownTheAddress()
    {
        QFETCH(QString, typed);
        QFETCH(QString, address);
        QFETCH(QString, tree);
        QFETCH(QString, selected);
        // A top folder named like a folder on the path must not take its place.
        makeFolders({QStringLiteral("a/b/c"), QStringLiteral("a/x"), QStringLiteral("b/other"), QStringLiteral("top")});
        const QString host = QStringLiteral("127.0.0.1:%1").arg(m_server.port());

        FtpFolderChooser chooser;
        chooser.SetFolderSource(side(typed.arg(host)));
        chooser.show();
        connectChooser(chooser);
        auto *view = control<QTreeWidget>(chooser, "tvFtp");
        QCOMPARE(shape(view), tree);
        QCOMPARE(control<QLineEdit>(chooser, "Edit_ftpip")->text(), address.arg(host));
        if (!selected.isEmpty())
            QCOMPARE(view->currentItem(), find(view, selected));
        QVERIFY(!control<QLabel>(chooser, "Label1")->isVisible());

        click(control<ImageButton>(chooser, "OkButton"));
        QVERIFY(chooser.Result());
        QCOMPARE(chooser.FolderSource().FolerAllName, address.arg(host));
        QCOMPARE(chooser.FolderSource().UserName, m_server.user());
        QCOMPARE(chooser.FolderSource().PWD, m_server.password());
        QCOMPARE(chooser.FolderSource().DeviceType, 3);
    }

    void clickAndDoubleClick()
    {
        makeFolders({QStringLiteral("a/b/c"), QStringLiteral("top/deeper")});
        FtpFolderChooser chooser;
        chooser.SetFolderSource(side(m_server.url(QStringLiteral("/a"))));
        chooser.show();
        connectChooser(chooser);
        auto *view = control<QTreeWidget>(chooser, "tvFtp");
        auto *address = control<QLineEdit>(chooser, "Edit_ftpip");

        // A node already showing children leaves the address alone.
        QTreeWidgetItem *a = find(view, QStringLiteral("a"));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(a).center());
        QCOMPARE(address->text(), m_server.url(QStringLiteral("/a")));

        QTreeWidgetItem *top = find(view, QStringLiteral("top"));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(top).center());
        QCOMPARE(address->text(), m_server.url(QStringLiteral("/top")));
        QCOMPARE(top->childCount(), 0);

        QSignalSpy ended(&chooser, &FtpFolderChooser::WorkEnded);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(top).center());
        QVERIFY(control<QLabel>(chooser, "Label1")->isVisible());
        QCOMPARE(control<QLabel>(chooser, "Label1")->text(), QStringLiteral("Please Wait............."));
        QVERIFY(ended.wait(60000));
        QCOMPARE(shape(top), QStringLiteral("top+(deeper)"));
        QVERIFY(!control<QLabel>(chooser, "Label1")->isVisible());

        click(control<ImageButton>(chooser, "OkButton"));
        QCOMPARE(chooser.FolderSource().FolerAllName, m_server.url(QStringLiteral("/top")));
    }

    void connectionFailed()
    {
        makeFolders({QStringLiteral("a")});
        JobSide wrong = side(m_server.url(QStringLiteral("/a")));
        wrong.PWD = QStringLiteral("wrong");
        FtpFolderChooser chooser;
        chooser.SetFolderSource(wrong);
        chooser.show();
        BoxSeen box;
        AnswerNextBox(box);
        connectChooser(chooser);
        QVERIFY(box.shown);
        // The server's own words say what failed.
        QVERIFY2(box.text.startsWith(QStringLiteral("Connection Failed: 530")), qPrintable(box.text));
        QCOMPARE(box.caption, QStringLiteral("Corvane"));
        QCOMPARE(control<QTreeWidget>(chooser, "tvFtp")->topLevelItemCount(), 0);
        click(control<ImageButton>(chooser, "CancelButton"));
        QVERIFY(!chooser.Result());
    }

    // OK contacts nobody: an address no server answers is stored at once.
    void okWithoutConnecting()
    {
        FtpFolderChooser chooser;
        chooser.SetFolderSource(side(QString()));
        chooser.show();
        control<QLineEdit>(chooser, "Edit_ftpip")->setText(QStringLiteral(" nowhere.invalid/pub/ "));
        control<QLineEdit>(chooser, "Edit_ftpuser")->setText(QStringLiteral("me"));
        control<QLineEdit>(chooser, "Edit_ftppwd")->setText(QStringLiteral("pw!"));
        QCOMPARE(control<QLineEdit>(chooser, "Edit_ftppwd")->displayText(), QStringLiteral("***"));
        click(control<ImageButton>(chooser, "OkButton"));
        QVERIFY(chooser.Result());
        QVERIFY(!chooser.isVisible());
        QCOMPARE(chooser.FolderSource().FolerAllName, QStringLiteral("ftp://nowhere.invalid/pub"));
        QCOMPARE(chooser.FolderSource().UserName, QStringLiteral("me"));
        QCOMPARE(chooser.FolderSource().PWD, QStringLiteral("pw!"));
        QCOMPARE(chooser.FolderSource().DeviceType, 3);
    }

    // While another run holds the FTP session the chooser waits for its turn and stays
    // responsive; Cancel then closes it without touching the server.
    void waitsForTheRunningRun()
    {
        makeFolders({QStringLiteral("a")});
        RunGate gate;
        QVERIFY(gate.Enter());
        FtpFolderChooser chooser;
        chooser.SetRunGate(gate);
        chooser.SetFolderSource(side(m_server.url()));
        chooser.show();
        QSignalSpy ended(&chooser, &FtpFolderChooser::WorkEnded);
        click(control<ImageButton>(chooser, "fptconnectButton"));
        QTRY_COMPARE_WITH_TIMEOUT(gate.Pending(), 2, 60000);
        QVERIFY(chooser.Busy());
        QVERIFY(control<QLabel>(chooser, "Label1")->isVisible());
        QCOMPARE(control<QLabel>(chooser, "Label1")->text(), QStringLiteral("Please Wait............."));
        // The window still takes input while it waits.
        control<QLineEdit>(chooser, "Edit_ftpuser")->setText(QStringLiteral("typed meanwhile"));

        gate.Leave();
        QVERIFY(ended.wait(60000));
        QCOMPARE(shape(control<QTreeWidget>(chooser, "tvFtp")), QStringLiteral("a"));

        QVERIFY(gate.Enter());
        click(control<ImageButton>(chooser, "fptconnectButton"));
        QTRY_COMPARE_WITH_TIMEOUT(gate.Pending(), 2, 60000);
        click(control<ImageButton>(chooser, "CancelButton"));
        QVERIFY(ended.wait(60000));
        QVERIFY(!chooser.isVisible());
        QVERIFY(!chooser.Result());
        QCOMPARE(gate.Pending(), 1);
        gate.Leave();
    }

    void remoteFolderView()
    {
        makeFolders({QStringLiteral("pub/docs/sub"), QStringLiteral("pub/docs/__FileSync__")});
        QFile f(QDir(m_server.root()).filePath(QStringLiteral("pub/docs/a.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        RemoteFolderDialog view;
        view.SetFolder(QStringLiteral("/pub/docs"), side(m_server.url(QStringLiteral("/pub"))));
        QSignalSpy ended(&view, &RemoteFolderDialog::WorkEnded);
        view.show();
        QVERIFY(ended.wait(60000));
        QCOMPARE(shape(control<QTreeWidget>(view, "tvFtp")), QStringLiteral("a.txt,sub"));
        click(control<ImageButton>(view, "CancelButton"));
        QVERIFY(!view.isVisible());
    }
};

WIDGET_TEST_MAIN(TestFtpChooser)
#include "tst_ftpchooser.moc"
