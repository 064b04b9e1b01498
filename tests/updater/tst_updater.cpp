#include "tests/support/HttpServerFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSettings.h"
#include "updater/UpdaterWindow.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

const QString Success = QStringLiteral(
    "Congratulations. Corvane is completely updated and starts again now.");
const QString Aborted = QStringLiteral("The new files are not all downloaded yet. Stop the update?");

using Files = QMap<QString, QByteArray>;

// Every file below folder with its content, by relative name.
Files FilesIn(const QString &folder)
{
    Files files;
    for (const QString &name : TestFiles::FilesBelow(folder))
        files.insert(name, TestFiles::Read(QDir(folder).filePath(name)));
    return files;
}

}  // namespace

class TestUpdater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The form closes itself after a success; the test's application must go on.
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_server.start());
    }

    void init()
    {
        m_config = std::make_unique<TempConfigHome>();
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(Program()));
        m_launched.clear();
        m_server.clearRules();
        // As a user types it, without the closing slash.
        QVERIFY(TestSettings::WriteString(QStringLiteral("UpdateURL"), UpdateFolder().chopped(1)));
        QVERIFY(TestSettings::WriteString(QStringLiteral("Version"), QStringLiteral("3.1.135")));
    }

    void cleanup()
    {
        m_form.reset();
        m_folder.reset();
        m_config.reset();
    }

    void installsEveryFileWithBackups()
    {
        QVERIFY(TestFiles::Write(Path("Corvane"), "old program"));
        QFile::setPermissions(Path("Corvane"), QFile::permissions(Path("Corvane")) | QFile::ExeOwner);
        QVERIFY(TestFiles::Write(Path("Corvane.BAK"), "backup of an earlier update"));
        QVERIFY(TestFiles::Write(Path("keep.txt"), "not listed"));
        const QByteArray program(5000, 'p');
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Corvane"), program));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/help/Corvane.txt"), "help"));
        WriteIni("3.1.136", {QStringLiteral("Corvane"), QStringLiteral("help/Corvane.txt")});

        MessageBoxAnswerer answerer;
        RunUntilClosed();
        QCOMPARE(answerer.texts(), QStringList{Success});
        QCOMPARE(answerer.seen.first().caption, QStringLiteral("Corvane Update"));
        QCOMPARE(answerer.seen.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(m_launched, QStringList{Path("Corvane")});
        QCOMPARE(TestSettings::ReadString(QStringLiteral("Version")), std::optional<QString>("3.1.136"));
        const Files expected{{"Corvane", program},
                             {"Corvane.BAK", "old program"},
                             {"help/Corvane.txt", "help"},
                             {"keep.txt", "not listed"},
                             {"Update.ini", FilesIn(Program()).value("Update.ini")}};
        QCOMPARE(FilesIn(Program()), expected);
        QVERIFY(QFileInfo(Path("Corvane")).isExecutable());
        QVERIFY(!QFileInfo(Path("help/Corvane.txt")).isExecutable());
        // The rows in listed order; 5,000 bytes are 4 KB.
        QCOMPARE(Cell(0, 0), QStringLiteral("Corvane"));
        QCOMPARE(Cell(0, 1), QStringLiteral("4 KB"));
        QCOMPARE(Cell(1, 0), QStringLiteral("help/Corvane.txt"));
        QCOMPARE(Cell(1, 1), QStringLiteral("0 KB"));
    }

    // Any failure before everything is in place leaves the program folder as it was.
    void failedRunChangesNothing_data()
    {
        QTest::addColumn<QStringList>("names");  // listed, relative to the update folder
        QTest::addColumn<QString>("failing");     // path on the server answered with 500
        QTest::addColumn<QString>("message");     // part of the error box
        QTest::addColumn<bool>("backupFolderInTheWay");
        QTest::addColumn<QString>("link");  // "out" in the program folder leads there, from the program folder
        const QStringList two{QStringLiteral("Corvane"), QStringLiteral("lib.so")};
        const QStringList throughOut{QStringLiteral("Corvane"), QStringLiteral("out/evil")};
        QTest::newRow("second download fails")
            << two << "/update/Corvane/lib.so" << "lib.so" << false << QString();
        QTest::newRow("second backup cannot be made")
            << two << QString() << "Unable to create backup file." << true << QString();
        QTest::newRow("climbs out") << QStringList{QStringLiteral("Corvane"), QStringLiteral("../evil")}
                                    << QString() << "../evil" << false << QString();
        QTest::newRow("absolute") << QStringList{QStringLiteral("/tmp/evil")} << QString()
                                  << "/tmp/evil" << false << QString();
        // QDir takes a name starting with ":" as a resource path, not one below the folder.
        QTest::newRow("resource name") << QStringList{QStringLiteral(":evil")} << QString() << ":evil" << false
                                       << QString();
        QTest::newRow("outside the update folder")
            << QStringList{m_server.url(QStringLiteral("/other/Corvane"))} << QString()
            << "/other/Corvane" << false << QString();
        QTest::newRow("update folder's sibling")
            << QStringList{m_server.url(QStringLiteral("/update/Corvane-other/Corvane"))} << QString()
            << "/update/Corvane-other/Corvane" << false << QString();
        QTest::newRow("link to the program folder's sibling")
            << throughOut << QString() << "out/evil" << false << "../Corvane-other";
        QTest::newRow("link to a folder in the sibling, not made yet")
            << throughOut << QString() << "out/evil" << false << "../Corvane-other/new";
        QTest::newRow("link to the folder above") << throughOut << QString() << "out/evil" << false << "..";
        QTest::newRow("nothing listed") << QStringList{} << QString() << "lists no files" << false << QString();
    }

    // A description that cannot be read is said once: the window coming to the front again
    // (after the box, or after another window) does not start the run again.
    void unreadableDescriptionSaidOnce()
    {
        QFile::remove(Path("Update.ini"));
        MessageBoxAnswerer answerer;
        Start();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 1, 20000);
        QVERIFY2(answerer.seen.first().text.contains("cannot be read"), qPrintable(answerer.seen.first().text));
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(m_form.get());
        QTest::qWait(300);
        QCOMPARE(answerer.seen.size(), 1);
    }

    void failedRunChangesNothing()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, failing);
        QFETCH(QString, message);
        QFETCH(bool, backupFolderInTheWay);
        QFETCH(QString, link);
        QVERIFY(TestFiles::Write(Path("Corvane"), "old program"));
        QVERIFY(TestFiles::Write(QDir(Sibling()).filePath(QStringLiteral("kept")), "another program's file"));
        if (!link.isEmpty())
            QVERIFY(QFile::link(link, Path("out")));
        QVERIFY(TestFiles::Write(Path("lib.so"), "old library"));
        if (backupFolderInTheWay)
            QVERIFY(TestFiles::Write(Path("lib.BAK/inside"), "a folder where the backup should go"));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Corvane"), "new program"));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/lib.so"), "new library"));
        QVERIFY(m_server.put(QStringLiteral("other/Corvane"), "not ours"));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane-other/Corvane"), "not ours"));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/out/evil"), "evil"));
        if (!failing.isEmpty())
            m_server.fail(failing, 500);
        WriteIni("3.1.136", names);
        const Files before = FilesIn(m_folder->path());

        MessageBoxAnswerer answerer;
        Start();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.seen.size(), 1, 20000);
        QVERIFY2(answerer.seen.first().text.contains(message), qPrintable(answerer.seen.first().text));
        QCOMPARE(answerer.seen.first().caption, QStringLiteral("Corvane Update"));
        QCOMPARE(answerer.seen.first().icon, QMessageBox::Critical);
        QTRY_VERIFY(Button("Update")->isEnabled());
        // Nothing changed beside the program folder either.
        QCOMPARE(FilesIn(m_folder->path()), before);
        QVERIFY(!QFile::exists(QDir(m_folder->path()).filePath(QStringLiteral("../evil"))));
        QCOMPARE(TestSettings::ReadString(QStringLiteral("Version")), std::optional<QString>("3.1.135"));
        QVERIFY(m_launched.isEmpty());
        QVERIFY(m_form->isVisible());
    }

    // Links that lead back inside the program folder are no reason to refuse.
    void installsThroughLinksThatStayInside_data()
    {
        QTest::addColumn<QString>("startIn");  // the program folder as the updater is given it
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("lands");    // relative to the program folder
        QTest::newRow("program folder reached through a link") << "Corvane-link" << "help/a.txt" << "help/a.txt";
        QTest::newRow("link to a folder inside") << "Corvane" << "docs/a.txt" << "realdocs/a.txt";
    }

    void installsThroughLinksThatStayInside()
    {
        QFETCH(QString, startIn);
        QFETCH(QString, listed);
        QFETCH(QString, lands);
        QVERIFY(QFile::link(QStringLiteral("Corvane"), m_folder->filePath(QStringLiteral("Corvane-link"))));
        QVERIFY(QDir().mkpath(Path("realdocs")));
        QVERIFY(QFile::link(QStringLiteral("realdocs"), Path("docs")));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/") + listed, "new text"));
        WriteIni("3.1.136", {listed});

        MessageBoxAnswerer answerer;
        RunUntilClosed(m_folder->filePath(startIn));
        QCOMPARE(answerer.texts(), QStringList{Success});
        QCOMPARE(TestFiles::Read(QDir(Program()).filePath(lands)), QByteArray("new text"));
        QCOMPARE(TestSettings::ReadString(QStringLiteral("Version")), std::optional<QString>("3.1.136"));
    }

    // a.exe and a.dll both back up to a.BAK: the second must not replace the first.
    void backupsOfOneRunDoNotCollide()
    {
        QVERIFY(TestFiles::Write(Path("a.exe"), "old exe"));
        QVERIFY(TestFiles::Write(Path("a.dll"), "old dll"));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/a.exe"), "new exe"));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/a.dll"), "new dll"));
        WriteIni("3.1.136", {QStringLiteral("a.exe"), QStringLiteral("a.dll")});
        MessageBoxAnswerer answerer;
        RunUntilClosed();
        Files files = FilesIn(Program());
        files.remove("Update.ini");
        QCOMPARE(files, (Files{{"a.exe", "new exe"}, {"a.dll", "new dll"},
                               {"a.BAK", "old exe"}, {"a.1.BAK", "old dll"}}));
    }

    void closingDuringATransferAsks()
    {
        QVERIFY(TestFiles::Write(Path("Corvane"), "old program"));
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Corvane"), QByteArray(100000, 'n')));
        m_server.stall(QStringLiteral("/update/Corvane/Corvane"));
        WriteIni("3.1.136", {QStringLiteral("Corvane")});
        const Files before = FilesIn(m_folder->path());

        MessageBoxAnswerer answerer(QMessageBox::No);
        Start();
        QTRY_COMPARE_WITH_TIMEOUT(Cell(0, 1), QStringLiteral("1 KB"), 20000);
        QVERIFY(!Button("Update")->isEnabled());
        QTest::mouseClick(Button("Close"), Qt::LeftButton);
        QCOMPARE(answerer.texts(), QStringList{Aborted});
        QCOMPARE(answerer.seen.first().caption, QStringLiteral("Corvane Update"));
        QCOMPARE(answerer.seen.first().icon, QMessageBox::Question);
        QVERIFY(m_form->isVisible());

        // The transfer still waits on the server; Yes ends it.
        answerer.setAnswer(QMessageBox::Yes);
        QTest::mouseClick(Button("Close"), Qt::LeftButton);
        QCOMPARE(answerer.seen.size(), 2);
        QVERIFY(!m_form->isVisible());
        QCOMPARE(FilesIn(m_folder->path()), before);
        QCOMPARE(TestSettings::ReadString(QStringLiteral("Version")), std::optional<QString>("3.1.135"));
        QVERIFY(m_launched.isEmpty());
    }

private:
    QString UpdateFolder() const { return m_server.url(QStringLiteral("/update/Corvane/")); }
    // The program folder has a sibling whose name starts with its own.
    QString Program() const { return m_folder->filePath(QStringLiteral("Corvane")); }
    QString Sibling() const { return m_folder->filePath(QStringLiteral("Corvane-other")); }
    QString Path(const char *name) const { return QDir(Program()).filePath(QString::fromUtf8(name)); }

    void WriteIni(const QString &version, const QStringList &names)
    {
        QByteArray text = "[Version]\r\nVer=" + version.toUtf8() + "\r\n[HTTP]\r\n";
        for (int i = 0; i < names.size(); ++i) {
            const QString url = names[i].startsWith(QLatin1String("http:")) ? names[i] : UpdateFolder() + names[i];
            text += "File" + QByteArray::number(i + 1) + "=" + url.toUtf8() + "\r\n";
        }
        QVERIFY(TestFiles::Write(Path("Update.ini"), text));
    }

    void Start(const QString &folder = {})
    {
        m_form = std::make_unique<UpdaterWindow>(folder.isEmpty() ? Program() : folder, [this](const QString &p) {
            m_launched << p;
            return true;
        });
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void RunUntilClosed(const QString &folder = {})
    {
        Start(folder);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isVisible(), 20000);
    }

    QString Cell(int row, int column) const
    {
        const QTreeWidgetItem *item = m_form->findChild<QTreeWidget *>()->topLevelItem(row);
        return item ? item->text(column) : QStringLiteral("<no row>");
    }

    QPushButton *Button(const char *text) const
    {
        for (QPushButton *b : m_form->findChildren<QPushButton *>())
            if (b->text() == QLatin1String(text))
                return b;
        return nullptr;
    }

    HttpServerFixture m_server;
    std::unique_ptr<TempConfigHome> m_config;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<UpdaterWindow> m_form;
    QStringList m_launched;
};

WIDGET_TEST_MAIN(TestUpdater)
#include "tst_updater.moc"
