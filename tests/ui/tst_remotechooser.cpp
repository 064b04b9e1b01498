#include "app/CertificatePins.h"
#include "platform/KnownHosts.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/SshServerFixture.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TlsFtpServerFixture.h"
#include "tests/ui/DriveWidgets.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/RemoteFolderDialog.h"
#include "ui/widgets/ImageButton.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

// The remote folder chooser and view over FTP over TLS and SFTP: the server's identity is
// asked about once, shown as the user can check it, and kept only when accepted.
class TestRemoteChooser : public QObject {
    Q_OBJECT

    TempConfigHome m_config;

    static QStringList topNames(QTreeWidget *tree)
    {
        QStringList names;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            names << tree->topLevelItem(i)->text(0);
        return names;
    }

    // Connects as the user would; with a trust question answered Yes, the chooser connects
    // again by itself, so the work ends twice.
    static void connectChooser(FtpFolderChooser &chooser, int works)
    {
        QSignalSpy ended(&chooser, &FtpFolderChooser::WorkEnded);
        click(control<ImageButton>(chooser, "fptconnectButton"));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), works, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!chooser.Busy(), 60000);
    }

private Q_SLOTS:
    void identityAskedOnce_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::addColumn<bool>("accept");
        QTest::newRow("ftps, accepted") << "ftps" << true;
        QTest::newRow("ftps, refused") << "ftps" << false;
        QTest::newRow("sftp, accepted") << "sftp" << true;
        QTest::newRow("sftp, refused") << "sftp" << false;
    }
    void identityAskedOnce()
    {
        QFETCH(QString, transport);
        QFETCH(bool, accept);
        std::unique_ptr<TlsFtpServerFixture> ftps;
        std::unique_ptr<SshServerFixture> ssh;
        JobSide side;
        QString fingerprint;
        if (transport == "ftps") {
            ftps = std::make_unique<TlsFtpServerFixture>();
            QVERIFY(QDir(ftps->root()).mkpath("pub/docs"));
            QVERIFY(ftps->start());
            side = ftps->source();
            fingerprint = ftps->fingerprint();
        } else {
            ssh = std::make_unique<SshServerFixture>();
            QVERIFY(QDir(ssh->root()).mkpath("pub/docs"));
            QVERIFY(ssh->start());
            side = ssh->keySource();
            fingerprint = ssh->hostKeyFingerprint();
        }

        FtpFolderChooser chooser;
        chooser.SetFolderSource(side);
        chooser.show();
        QCOMPARE(control<QLineEdit>(chooser, "Edit_keyfile")->isVisible(), transport == "sftp");
        BoxSeen question;
        AnswerNextBox(accept ? QMessageBox::Yes : QMessageBox::No, &question);
        connectChooser(chooser, accept ? 2 : 1);
        QVERIFY(question.shown);
        QVERIFY2(question.text.contains(fingerprint), qPrintable(question.text));
        if (transport == "ftps")
            QVERIFY2(question.text.contains("CN = 127.0.0.1") || question.text.contains("CN=127.0.0.1"),
                     qPrintable(question.text));
        else
            QVERIFY2(question.text.contains("ssh-ed25519 key fingerprint is " + fingerprint), qPrintable(question.text));

        auto *tree = control<QTreeWidget>(chooser, "tvFtp");
        if (!accept) {
            QCOMPARE(tree->topLevelItemCount(), 0);
            QVERIFY(CertificatePins::Pin(QStringLiteral("127.0.0.1:%1").arg(ftps ? ftps->port() : 0)).isEmpty());
            QVERIFY(!QFile::exists(KnownHosts::UserFile()));
            click(control<ImageButton>(chooser, "CancelButton"));
            return;
        }
        QVERIFY(tree->topLevelItemCount() > 0);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("pub"));
        // Kept: the next connect asks nothing (the guard fails the test on any box).
        connectChooser(chooser, 1);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("pub"));

        RemoteFolderDialog view;
        view.SetFolder(ftps ? QStringLiteral("/pub") : ssh->root() + "/pub", side);
        QSignalSpy viewed(&view, &RemoteFolderDialog::WorkEnded);
        view.show();
        QVERIFY(viewed.wait(60000));
        QCOMPARE(topNames(control<QTreeWidget>(view, "tvFtp")), QStringList{"docs"});
        click(control<ImageButton>(view, "CancelButton"));
        click(control<ImageButton>(chooser, "OkButton"));
        QCOMPARE(chooser.FolderSource().FolerAllName, side.FolerAllName);
        QCOMPARE(chooser.FolderSource().PrivateKey, side.PrivateKey);
    }
};

WIDGET_TEST_MAIN(TestRemoteChooser)
#include "tst_remotechooser.moc"
