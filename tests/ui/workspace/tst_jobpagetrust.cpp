#include "model/JobList.h"
#include "platform/KnownHosts.h"
#include "platform/gui/Power.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/SshServerFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/RealJobPages.h"
#include "ui/widgets/ImageButton.h"
#include "ui/workspace/JobPage.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QInputDialog>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

// The job page asks about an SFTP server's unknown host key while the analysis waits, on
// the interface thread, and goes on or stops as the user answers.
class TestJobPageTrust : public QObject {
    Q_OBJECT

    // A job from dir's left/ to right.
    static std::unique_ptr<Job> SftpJob(const QTemporaryDir &dir, const JobSide &right)
    {
        auto job = std::make_unique<Job>();
        job->SyncName = "Job";
        job->LFolder.DeviceType = 1;
        job->LFolder.FolerAllName = dir.filePath("left");
        job->RFolder = right;
        return job;
    }

    static void ShowPage(JobPage &page, const QTemporaryDir &dir)
    {
        page.SetProgramFolder(dir.filePath("program"));
        page.resize(1100, 760);
        page.show();
        page.SetJob(0);
        page.PageShown();
    }

private Q_SLOTS:
    void unknownHostKey_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }
    void unknownHostKey()
    {
        QFETCH(bool, accept);
        SshServerFixture server;
        QTemporaryDir dir;
        QVERIFY(TestFiles::Write(dir.filePath("left/a.txt"), "a", 1500000000));
        QVERIFY(TestFiles::Write(server.root() + "/pub/r.txt", "r", 1500000000));
        QVERIFY(server.start());
        JobList jobs;
        jobs.AddJob(SftpJob(dir, server.keySource()));
        NoPower power;
        JobPage page(jobs, power);
        ShowPage(page, dir);
        // The right address shows its transport.
        QCOMPARE(page.findChild<QLineEdit *>("Edit_RFolder")->text(), server.keySource().FolerAllName);
        QVERIFY(server.keySource().FolerAllName.startsWith("sftp://"));

        BoxSeen question;
        AnswerNextBox(accept ? QMessageBox::Yes : QMessageBox::No, &question);
        QTest::mouseClick(page.findChild<ImageButton *>("BitBtn_Analyze"), Qt::LeftButton);
        auto *status = page.findChild<QLabel *>("Label_ActionStatus");
        auto *memo = page.findChild<QTextEdit *>("memo1");
        QVERIFY(QTest::qWaitFor([&] { return status->text().contains("Done") || memo->toPlainText().contains("Can't connect"); },
                                60000));
        const QString log = memo->toPlainText();
        QVERIFY(question.shown);
        QVERIFY2(question.text.contains("ssh-ed25519 key fingerprint is " + server.hostKeyFingerprint()),
                 qPrintable(question.text));
        if (accept) {
            QCOMPARE(status->text(), QString(" Analyzing Done!"));
            QCOMPARE(KnownHosts::LineFor(KnownHosts::UserFile(), "127.0.0.1", server.port()), 1);
        } else {
            QVERIFY2(log.contains("Can't connect the right folder!"), qPrintable(log));
            QVERIFY(!QFile::exists(KnownHosts::UserFile()));
        }
    }

    // A locked key file: a hidden entry asks for its passphrase, which lets the analysis in;
    // Cancel ends it with the reason in the log and leaves the job as it was.
    void lockedKeyFile_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("passphrase typed") << true;
        QTest::newRow("cancelled") << false;
    }
    void lockedKeyFile()
    {
        QFETCH(bool, answer);
        SshServerFixture server;
        QTemporaryDir dir;
        QVERIFY(TestFiles::Write(dir.filePath("left/a.txt"), "a", 1500000000));
        QVERIFY(QDir().mkpath(server.root() + "/pub"));
        QVERIFY(server.start());
        QVERIFY(server.trustHostKey());
        JobSide stored = server.keySource();
        stored.PrivateKey = server.lockedKey();
        JobList jobs;
        jobs.AddJob(SftpJob(dir, stored));
        NoPower power;
        JobPage page(jobs, power);
        ShowPage(page, dir);

        QString label;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        WhenShown<QInputDialog>([&](QInputDialog *dialog) {
            label = dialog->labelText();
            auto *edit = dialog->findChild<QLineEdit *>();
            echo = edit->echoMode();
            QTest::keyClicks(edit, SshServerFixture::lockedKeyPassphrase());
            auto *buttons = dialog->findChild<QDialogButtonBox *>();
            QTest::mouseClick(buttons->button(answer ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel), Qt::LeftButton);
        });
        QTest::mouseClick(page.findChild<ImageButton *>("BitBtn_Analyze"), Qt::LeftButton);
        auto *status = page.findChild<QLabel *>("Label_ActionStatus");
        auto *memo = page.findChild<QTextEdit *>("memo1");
        QVERIFY(QTest::qWaitFor([&] { return status->text().contains("Done") || status->text().contains("failed"); }, 60000));
        const QString log = memo->toPlainText();
        QVERIFY2(label.contains(server.lockedKey()), qPrintable(label));
        QCOMPARE(echo, QLineEdit::Password);
        QCOMPARE(jobs.JobAt(0)->RFolder, stored);
        if (answer) {
            QCOMPARE(status->text(), QString(" Analyzing Done!"));
        } else {
            QVERIFY2(log.contains("Can't connect the right folder!"), qPrintable(log));
            QVERIFY2(log.contains("needs a passphrase, and none was given"), qPrintable(log));
        }
    }
};

WIDGET_TEST_MAIN(TestJobPageTrust)
#include "tst_jobpagetrust.moc"
