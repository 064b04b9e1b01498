#include "app/CertificatePins.h"
#include "model/JobSide.h"
#include "model/RemoteAddress.h"
#include "platform/CertificateProbe.h"
#include "platform/KnownHosts.h"
#include "platform/Registry.h"
#include "tests/support/ScriptServer.h"
#include "tests/support/SshServerFixture.h"
#include "tests/support/TaskListFiles.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TlsFtpServerFixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// corvane-cli against FTP over TLS and SFTP servers on loopback: what it trusts, what it
// refuses and says, and that a refused run writes nothing on either side.
class TestCliEncrypted : public QObject {
    Q_OBJECT

    TempConfigHome m_config;
    QTemporaryDir m_dir;

    QString Left(const QString &rel = {}) const { return m_dir.filePath("left") + (rel.isEmpty() ? "" : "/" + rel); }

    // The task list of one job "Job" from left/ to right; its path.
    QString WriteTaskList(const JobSide &right)
    {
        const QString tasks = m_dir.filePath("tasks.tkl");
        return TaskListFiles::WriteOneJob(tasks, Left(), right) ? tasks : QString();
    }

    // Runs "sync Job" with right as the job's right side; exit status and stdout.
    std::pair<int, QString> Sync(const JobSide &right)
    {
        const QString tasks = WriteTaskList(right);
        if (tasks.isEmpty())
            return {-1, "task list not saved"};
        QProcess p;
        p.start(QStringLiteral(CORVANE_CLI_PATH), {"--tasklist", tasks, "sync", "Job"});
        if (!p.waitForFinished(120000))
            return {-1, "corvane-cli did not end"};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput())};
    }

    // What the server is made to do, corvane-cli's exit status, and what it must say.
    static void OutcomeColumns()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QStringList>("said");
    }

    // The run ended as the row says: a run done put a.txt on the server, a refused one
    // wrote nothing on either side.
    void CheckOutcome(const QString &serverRoot, int status, const QString &out)
    {
        QFETCH(int, exit);
        QFETCH(QStringList, said);
        QVERIFY2(status == exit, qPrintable(out));
        for (const QString &words : said)
            QVERIFY2(out.contains(words), qPrintable(out));
        if (exit == 0) {
            QCOMPARE(TestFiles::Read(serverRoot + "/pub/a.txt"), QByteArray("left"));
            return;
        }
        QCOMPARE(TestFiles::FilesBelow(serverRoot), QStringList());
        QCOMPARE(TestFiles::FilesBelow(Left()), QStringList{"a.txt"});
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(TestFiles::Write(Left("a.txt"), "left", 1500000000));
        QFile::remove(RegistryKey::HiveFilePath(RegistryHive::CurrentUser));
    }

    void ftps_data()
    {
        OutcomeColumns();
        QTest::newRow("self-signed, not pinned") << "" << 2 << QStringList{"accept it in the Corvane window"};
        QTest::newRow("pinned") << "pin" << 0 << QStringList{};
        QTest::newRow("another certificate than the pinned one") << "pin new" << 2 << QStringList{"is not the one accepted"};
        QTest::newRow("server without TLS") << "clear" << 2 << QStringList{"does not offer TLS"};
        QTest::newRow("wrong password, pinned") << "pin wrong" << 2 << QStringList{"530"};
        QTest::newRow("connection dropped at AUTH TLS")
            << "drop auth" << 2
            << QStringList{"Can't connect the right folder!\nthe server closed the connection when asked for TLS "
                           "(AUTH TLS); nothing was sent in clear"};
        QTest::newRow("connection dropped in the TLS handshake")
            << "drop handshake" << 2 << QStringList{"Can't connect the right folder!\nTLS handshake failed ("};
    }
    void ftps()
    {
        QFETCH(QString, setup);
        TlsFtpServerFixture server;
        QVERIFY(QDir().mkpath(server.root() + "/pub"));
        QVERIFY(server.start(!setup.contains("clear")));
        JobSide right = server.source();
        if (setup.contains("pin")) {
            const RemoteAddress address = RemoteAddress::Parse(right.FolerAllName);
            const std::optional<ServerTrust> shown = CertificateProbe::Inspect(
                QStringLiteral("ftp://127.0.0.1:%1/").arg(server.port()).toUtf8(), address.HostPort());
            QVERIFY(shown);
            QCOMPARE(shown->fingerprint, server.fingerprint());
            QVERIFY(CertificatePins::Store(address.HostPort(), shown->record));
        }
        const QString before = server.fingerprint();
        if (setup.contains("new")) {
            QVERIFY(server.newCertificate());
            QVERIFY(server.start());
        }
        if (setup.contains("wrong"))
            right.PWD = "not the password";
        ScriptServer dropping;
        if (setup.startsWith("drop")) {
            const int port = dropping.start("tlsdropserver.py", {"--at", setup.section(' ', 1)});
            QVERIFY(port > 0);
            right.FolerAllName = QStringLiteral("ftps://127.0.0.1:%1/pub").arg(port);
        }

        const auto [status, out] = Sync(right);
        if (setup.isEmpty() || setup.contains("new"))
            QVERIFY2(out.contains(server.fingerprint()), qPrintable(out));
        if (setup.contains("new"))
            QVERIFY(!out.contains(before));
        CheckOutcome(server.root(), status, out);
    }

    void sftp_data()
    {
        OutcomeColumns();
        QTest::newRow("unknown host key") << "" << 2 << QStringList{"is not known"};
        QTest::newRow("known host key") << "trust" << 0 << QStringList{};
        QTest::newRow("known host key, hashed") << "trust hashed" << 0 << QStringList{};
        QTest::newRow("changed host key") << "trust new" << 2 << QStringList{"known_hosts line 1"};
        QTest::newRow("changed host key, hashed") << "trust hashed new" << 2 << QStringList{"known_hosts line 1"};
        QTest::newRow("key the server does not know") << "trust stranger" << 2 << QStringList{"the server refused the key"};
        QTest::newRow("key locked with a passphrase") << "trust locked" << 2 << QStringList{"needs a passphrase"};
        QTest::newRow("key file missing") << "trust missing" << 2 << QStringList{"cannot read the key file"};
        QTest::newRow("wrong password") << "trust password" << 2 << QStringList{"wrong user name or password"};
    }
    void sftp()
    {
        QFETCH(QString, setup);
        SshServerFixture server;
        QVERIFY(QDir().mkpath(server.root() + "/pub"));
        QVERIFY(server.start());
        if (setup.contains("trust"))
            QVERIFY(server.trustHostKey(setup.contains("hashed")));
        if (setup.contains("new")) {
            QVERIFY(server.newHostKey());
            QVERIFY(server.start());
        }
        JobSide right = server.keySource();
        if (setup.contains("stranger"))
            right.PrivateKey = server.strangerKey();
        if (setup.contains("locked"))
            right.PrivateKey = server.lockedKey();
        if (setup.contains("missing"))
            right.PrivateKey = server.home() + "/no such key";
        if (setup.contains("password")) {
            if (server.passwordUser().isEmpty())
                QSKIP("password login needs a test account, which only root can make");
            right = server.passwordSource();
            right.PWD = "not the password";
        }

        const auto [status, out] = Sync(right);
        if (setup.isEmpty() || setup.contains("new")) {
            // As ssh prints it, and for an unknown key the line that trusts it.
            QVERIFY2(out.contains(server.hostKeyFingerprint()), qPrintable(out));
            QVERIFY2(out.contains("ssh-ed25519 key"), qPrintable(out));
        }
        if (setup.isEmpty())
            QVERIFY2(out.contains(KnownHosts::HostName("127.0.0.1", server.port()) + " ssh-ed25519 AAAA"), qPrintable(out));
        if (setup.contains("new"))
            QVERIFY2(out.contains(KnownHosts::UserFile()), qPrintable(out));
        CheckOutcome(server.root(), status, out);
    }

    // A run killed while it uploads over SFTP, replacing a file: the next run finishes or
    // undoes that copy before it reads anything, and no partial copy takes the file's name.
    void killedUploadRecovered()
    {
        SshServerFixture server;
        const QString right = server.root() + "/pub";
        QVERIFY(TestFiles::Write(right + "/big.bin", "old copy", 1400000000));
        QVERIFY(server.start());
        QVERIFY(server.trustHostKey());
        const QByteArray content(48 * 1024 * 1024, 'n');
        QVERIFY(TestFiles::Write(Left("big.bin"), content, 1500000000));
        const QString tasks = WriteTaskList(server.keySource());
        QVERIFY(!tasks.isEmpty());
        // The newer left copy replaces the server's.
        QProcess p;
        p.start(QStringLiteral(CORVANE_CLI_PATH), {"--tasklist", tasks, "sync", "Job"});
        QVERIFY(p.waitForStarted());
        bool killed = false;
        while (!killed && p.state() == QProcess::Running) {
            for (const QString &f : TestFiles::FilesBelow(right))
                if (f.startsWith("big.bin.cvtmp") && QFileInfo(right + "/" + f).size() > 0) {
                    p.kill();
                    killed = true;
                }
            p.waitForFinished(1);
        }
        p.waitForFinished(10000);
        QVERIFY2(killed, "the copy ended before it could be killed");
        QVERIFY(TestFiles::Read(right + "/big.bin") != content);  // the partial copy took no name

        const auto [status, out] = Sync(server.keySource());
        QVERIFY2(status == 0, qPrintable(out));
        QCOMPARE(TestFiles::Read(right + "/big.bin"), content);
        QStringList left = TestFiles::FilesBelow(right);
        left.removeIf([](const QString &f) { return f.startsWith("__FileSync__/"); });
        QCOMPARE(left, (QStringList{"a.txt", "big.bin"}));
        QVERIFY2(out.contains("Interrupted copy undone, the previous file kept: " + right + "/big.bin"), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestCliEncrypted)
#include "tst_cliencrypted.moc"
