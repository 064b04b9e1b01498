#include "startup/CorvaneProgram.h"
#include "tests/support/HttpServerFixture.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/TaskListFiles.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSettings.h"
#include "ui/config/OptionsDialog.h"
#include "ui/widgets/ImageButton.h"
#include "ui/workspace/MainWindow.h"
#include "update/UpdateCheck.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString Offer = QStringLiteral("Corvane 3.1.136 is available. Would you like to update now?");
const QString NoUpdates = QStringLiteral("Corvane is up to date (version 3.1.135).");

}  // namespace

// The update check as the program's start-up and its main window use it.
class TestStartupUpdate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_server.start());
    }

    void init()
    {
        m_config = std::make_unique<TempConfigHome>();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(TestSettings::WriteString(QStringLiteral("UpdateURL"), m_server.url(QStringLiteral("/update/Corvane/"))));
        QVERIFY(TestSettings::WriteString(QStringLiteral("Version"), QStringLiteral("3.1.135")));
    }

    void cleanup()
    {
        m_dir.reset();
        m_config.reset();
    }

    void startupCheckFollowsTheSetting_data()
    {
        QTest::addColumn<uint>("checkUpdate");
        QTest::newRow("off") << 0u;
        QTest::newRow("on") << 1u;
    }

    void startupCheckFollowsTheSetting()
    {
        QFETCH(uint, checkUpdate);
        SetCheckUpdate(checkUpdate);
        Publish("3.1.136");
        MessageBoxAnswerer answerer(QMessageBox::No);
        CorvaneProgram program(Folder());
        QVERIFY(program.Start());
        // The window comes first; the check starts from the event loop.
        QVERIFY(program.Window()->isVisible());
        QVERIFY(!program.Updates()->IsChecking());
        QCoreApplication::processEvents();
        QCOMPARE(program.Updates()->IsChecking(), checkUpdate != 0);
        if (checkUpdate)
            QTRY_COMPARE_WITH_TIMEOUT(answerer.texts(), QStringList{Offer}, 20000);
        QVERIFY(program.Window()->isVisible());
        program.Window()->close();
    }

    void helpMenuChecksInteractively()
    {
        SetCheckUpdate(0);
        Publish("3.1.135");
        MessageBoxAnswerer answerer;
        CorvaneProgram program(Folder());
        QVERIFY(program.Start());
        auto *item = program.Window()->findChild<QAction *>(QStringLiteral("checknewversion1"));
        QVERIFY(item);
        QVERIFY(!item->isVisible());
        item->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.texts(), QStringList{NoUpdates}, 20000);
        program.Window()->close();
    }

    // The options dialog's "Check Now" always ends in a message: a click that shows nothing
    // leaves the user waiting for an answer that never comes.
    void optionsDialogCheckAnswers_data()
    {
        QTest::addColumn<QString>("published");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("newer") << "3.1.136" << QStringList{Offer};
        QTest::newRow("same") << "3.1.135" << QStringList{NoUpdates};
    }

    void optionsDialogCheckAnswers()
    {
        QFETCH(QString, published);
        QFETCH(QStringList, boxes);
        SetCheckUpdate(0);
        Publish(published.toUtf8().constData());
        MessageBoxAnswerer answerer(QMessageBox::No);
        CorvaneProgram program(Folder());
        QVERIFY(program.Start());
        auto *option = program.Window()->findChild<QAction *>(QStringLiteral("Option1"));
        QVERIFY(option && option->isEnabled());
        bool checked = false;
        WhenShown<OptionsDialog>([&](OptionsDialog *options) {
            QSignalSpy finished(program.Updates(), &UpdateCheck::checkFinished);
            QTest::mouseClick(options->CheckUpdateBtn, Qt::LeftButton);
            checked = finished.count() == 1 || finished.wait(20000);
            options->reject();
        });
        option->trigger();
        QVERIFY(checked);
        QCOMPARE(answerer.texts(), boxes);
        program.Window()->close();
    }

    // Yes starts the updater of the program folder (here a script that leaves a mark) and
    // closes the window as its close box does; the program then ends and saves the jobs.
    void acceptingHandsOverToTheUpdater()
    {
        SetCheckUpdate(1);
        Publish("3.1.136");
        TaskListFiles::Write(Folder() + QStringLiteral("tasklist.tkl"), {"One"});
        const QString updater = Folder() + QStringLiteral("Update");
        QVERIFY(TestFiles::Write(updater, "#!/bin/sh\ntouch \"$(dirname \"$0\")/updater-ran\"\n"));
        QVERIFY(QFile::setPermissions(updater, QFile::permissions(updater) | QFile::ExeOwner));

        MessageBoxAnswerer answerer(QMessageBox::Yes);
        {
            CorvaneProgram program(Folder());
            QVERIFY(program.Start());
            auto job = std::make_unique<Job>();
            job->SyncName = QStringLiteral("Two");
            program.Window()->AddJob(std::move(job));
            QTRY_VERIFY_WITH_TIMEOUT(!program.Window()->isVisible(), 20000);
        }  // the program ends: the window writes the jobs as it goes
        QCOMPARE(answerer.texts(), QStringList{Offer});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(Folder() + QStringLiteral("updater-ran")), 20000);
        QCOMPARE(TaskListFiles::Names(Folder() + QStringLiteral("tasklist.tkl")), (QStringList{"One", "Two"}));
    }

private:
    QString Folder() const { return m_dir->path() + QLatin1Char('/'); }

    void SetCheckUpdate(uint value) { QVERIFY(TestSettings::WriteDword(QStringLiteral("CheckUpdate"), value)); }

    void Publish(const char *version)
    {
        QVERIFY(m_server.put(QStringLiteral("update/Corvane/Update.ini"),
                             QByteArray("[Version]\nVer=") + version + "\n[HTTP]\n"));
    }

    HttpServerFixture m_server;
    std::unique_ptr<TempConfigHome> m_config;
    std::unique_ptr<QTemporaryDir> m_dir;
};

WIDGET_TEST_MAIN(TestStartupUpdate)
#include "tst_startupupdate.moc"
