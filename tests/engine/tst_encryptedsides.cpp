#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/RowTree.h"
#include "engine/Synchronisation.h"
#include "folders/FileEntry.h"
#include "folders/StateFile.h"
#include "model/Job.h"
#include "tests/support/ChangesRows.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/SshServerFixture.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TlsFtpServerFixture.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

namespace {

constexpr int64_t Old = 1500000000;
// A server that stopped answering held a cancelled SFTP run for its 20 s time-out.
constexpr int CancelBoundMs = 5000;

}  // namespace

// Jobs whose right side is on an FTP over TLS or an SFTP server on loopback, analysed and
// synchronised by the engine as the window and corvane-cli run them.
class TestEncryptedSides : public QObject {
    Q_OBJECT

    TempConfigHome m_config;  // the certificates accepted
    QTemporaryDir m_dir;
    std::unique_ptr<TlsFtpServerFixture> m_ftps;
    std::unique_ptr<SshServerFixture> m_ssh;
    std::unique_ptr<Job> m_job;
    std::unique_ptr<AnalysisResult> m_result;
    std::unique_ptr<RowTree> m_rows;

    QString Left(const QString &rel = {}) const { return m_dir.filePath("left") + (rel.isEmpty() ? "" : "/" + rel); }
    QString Right(const QString &rel = {}) const
    {
        const QString root = m_ftps ? m_ftps->root() : m_ssh->root();
        return root + "/pub" + (rel.isEmpty() ? "" : "/" + rel);
    }

    QStringList Analyse(RecordingListener &listener) { return AnalyseChanges(*m_job, listener, m_result, m_rows); }

private Q_SLOTS:
    void initTestCase_data()
    {
        QTest::addColumn<QString>("transport");
        QTest::newRow("ftps") << "ftps";
        QTest::newRow("sftp key") << "sftp key";
        QTest::newRow("sftp password") << "sftp password";
    }

    void init()
    {
        QFETCH_GLOBAL(QString, transport);
        QVERIFY(QDir().mkpath(Left()));
        m_job = std::make_unique<Job>();
        m_job->SyncName = "Job";
        m_job->LFolder.DeviceType = 1;
        m_job->LFolder.FolerAllName = Left();
        if (transport == "ftps") {
            m_ftps = std::make_unique<TlsFtpServerFixture>();
            QVERIFY(QDir().mkpath(Right()));
            QVERIFY(m_ftps->start());
            m_job->RFolder = m_ftps->source();
            return;
        }
        m_ssh = std::make_unique<SshServerFixture>();
        QVERIFY(QDir().mkpath(Right()));
        QVERIFY(m_ssh->start());
        if (transport == "sftp key") {
            m_job->RFolder = m_ssh->keySource();
            return;
        }
        if (m_ssh->passwordUser().isEmpty())
            QSKIP("password login needs a test account, which only root can make");
        m_job->RFolder = m_ssh->passwordSource();
    }

    void cleanup()
    {
        m_rows.reset();
        m_result.reset();
        m_ftps.reset();
        m_ssh.reset();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    // The server's identity is asked about once; the copies go both ways, names with blanks
    // and non-ASCII characters included, and the next analysis finds both sides in step.
    void syncBothWays()
    {
        QVERIFY(TestFiles::Write(Left("a.txt"), "left", Old));
        QVERIFY(TestFiles::Write(Left("sub dir/ü ñ é.txt"), "accents", Old));
        QVERIFY(TestFiles::Write(Right("r b.txt"), "right", Old));
        const QByteArray big(300000, 'b');
        QVERIFY(TestFiles::Write(Right("big.bin"), big, Old));
        if (m_ssh && !m_job->RFolder.PWD.isEmpty())
            m_job->RFolder = m_ssh->passwordSource();  // the files just laid out go to the login user

        RecordingListener first;
        first.acceptServers = true;
        QCOMPARE(Analyse(first), (QStringList{"a.txt 1 2", "big.bin 2 1", "r b.txt 2 1", "sub dir/ü ñ é.txt 1 2"}));
        QCOMPARE(first.Events("T").size(), 1);
        const QString fingerprint = m_ftps ? m_ftps->fingerprint() : m_ssh->hostKeyFingerprint();
        QCOMPARE(first.Events("T").first(), "T " + fingerprint);

        RecordingListener sync;
        Synchronisation run(*m_rows, *m_result, m_dir.filePath("program"), sync, *m_job);
        run.Execute();
        QCOMPARE(run.ErrorCount(), 0);
        // The speed shown counts the bytes of the copies as they move: the files' bytes, and
        // little more (the state file, a listing), however often the transfer reports.
        const qint64 files = 4 + 7 + 5 + big.size();
        QVERIFY2(run.BytesMoved() >= files && run.BytesMoved() < files + 16384, qPrintable(QString::number(run.BytesMoved())));
        QCOMPARE(TestFiles::Read(Right("a.txt")), QByteArray("left"));
        QCOMPARE(TestFiles::Read(Right("sub dir/ü ñ é.txt")), QByteArray("accents"));
        QCOMPARE(TestFiles::Read(Left("r b.txt")), QByteArray("right"));
        QVERIFY(TestFiles::Read(Right("__FileSync__/Job")).contains("ü ñ é.txt"));
        // Nothing of the safe copies is left over.
        QCOMPARE(TestFiles::FilesBelow(Right()).size(), 5);

        RecordingListener again;
        QCOMPARE(Analyse(again), QStringList());
        QVERIFY(m_result->Completed);
        QVERIFY(again.Events("T").isEmpty());
    }

    // A server's identity the user does not accept: no connection, the reason names the
    // fingerprint, and nothing is written on either side.
    void refusedIdentityWritesNothing()
    {
        QVERIFY(TestFiles::Write(Left("a.txt"), "left", Old));
        RecordingListener listener;
        QCOMPARE(Analyse(listener), QStringList());
        QVERIFY(!m_result->Reached);
        const QString fingerprint = m_ftps ? m_ftps->fingerprint() : m_ssh->hostKeyFingerprint();
        QVERIFY2(m_result->FailureReason.contains(fingerprint), qPrintable(m_result->FailureReason));
        QCOMPARE(listener.Events("C"), QStringList{"C 2"});
        QCOMPARE(TestFiles::FilesBelow(Right()), QStringList());
        QCOMPARE(TestFiles::FilesBelow(Left()), QStringList{"a.txt"});
    }

    // Cancel once the first copies are done: the server's state file records exactly those,
    // so the next analysis proposes only the files not copied.
    void cancelKeepsTheCopiesDone()
    {
        const QStringList names{"a.txt", "b.txt", "c.txt", "d.txt"};
        for (const QString &name : names)
            QVERIFY(TestFiles::Write(Left(name), name.toUtf8(), Old));
        if (m_ssh && !m_job->RFolder.PWD.isEmpty())
            m_job->RFolder = m_ssh->passwordSource();
        RecordingListener first;
        first.acceptServers = true;
        QCOMPARE(Analyse(first).size(), names.size());

        RecordingListener sync;
        sync.onEvent = [&](const QString &e) {
            if (e.startsWith("I 4"))
                m_job->CancelFlag = 1;
        };
        Synchronisation run(*m_rows, *m_result, m_dir.filePath("program"), sync, *m_job);
        run.Execute();
        QCOMPARE(run.Ended(), Synchronisation::Outcome::Cancelled);
        QVERIFY2(run.UnsavedStates().isEmpty(), qPrintable(run.UnsavedStates().value(0).second));
        QStringList copied;
        for (const QString &e : sync.Events("I 4"))
            copied << e.section(' ', 3).section('/', -1);
        QVERIFY2(!copied.isEmpty() && copied.size() < names.size(), qPrintable(copied.join('|')));

        FileEntry state;
        QVERIFY(StateFile::Parse(TestFiles::Read(Right("__FileSync__/Job")), state));
        QStringList recorded;
        for (const QString &name : names)
            if (StateFile::RecordedEntry("/" + name, state))
                recorded << name;
        copied.sort();
        QCOMPARE(recorded, copied);

        QStringList rest;
        for (const QString &name : names)
            if (!copied.contains(name))
                rest << name + " 1 2";
        RecordingListener again;
        QCOMPARE(Analyse(again), rest);
    }

    // Cancel during an upload to an SFTP server whose connection has gone silent: the run
    // ends within the short time a cancel gives, and the file is not in place on the server.
    void cancelWhileServerSilent()
    {
        QFETCH_GLOBAL(QString, transport);
        if (transport != "sftp key")
            QSKIP("the silent connection is an sshd process");
        QVERIFY(m_ssh->trustHostKey());
        QVERIFY(TestFiles::Write(Left("big.bin"), QByteArray(256 << 20, 'x'), Old));
        RecordingListener listener;
        QCOMPARE(Analyse(listener), QStringList{"big.bin 1 2"});

        RecordingListener sync;
        std::atomic<bool> uploading{false};
        sync.onEvent = [&](const QString &event) {
            if (event.startsWith("I 2 "))
                uploading = true;
        };
        Synchronisation run(*m_rows, *m_result, m_dir.filePath("program"), sync, *m_job);
        std::atomic<bool> ended{false};
        std::thread worker([&] {
            run.Execute();
            ended = true;
        });
        QVERIFY(QTest::qWaitFor([&] { return uploading.load(); }, 20000));
        m_ssh->silenceConnections(true);
        QTest::qWait(500);
        QVERIFY(!ended);
        QElapsedTimer clock;
        clock.start();
        m_job->CancelFlag = 1;
        const bool endedInTime = QTest::qWaitFor([&] { return ended.load(); }, 30000);
        const qint64 elapsed = clock.elapsed();
        m_ssh->silenceConnections(false);
        worker.join();
        QVERIFY(endedInTime);
        QVERIFY2(elapsed < CancelBoundMs, qPrintable(QString::number(elapsed)));
        QVERIFY(!QFile::exists(Right("big.bin")));
        QCOMPARE(TestFiles::Read(Left("big.bin")).size(), 256 << 20);
    }

    // A key file locked with a passphrase: the passphrase is asked for (again when wrong, three
    // times at most), used for the run and the synchronisation after it, and never written to
    // the job; without one the job stays unreached and nothing is written on either side.
    void lockedKeyFile_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("reason");
        QTest::newRow("right passphrase") << QStringList{SshServerFixture::lockedKeyPassphrase()} << 1 << "";
        QTest::newRow("wrong, then right") << QStringList{"wrong", SshServerFixture::lockedKeyPassphrase()} << 2 << "";
        QTest::newRow("cancelled") << QStringList{} << 1 << "needs a passphrase, and none was given";
        QTest::newRow("wrong three times") << QStringList{"a", "b", "c", "d"} << 3 << "passphrase given for the key file";
    }
    void lockedKeyFile()
    {
        QFETCH_GLOBAL(QString, transport);
        QFETCH(QStringList, answers);
        QFETCH(int, asked);
        QFETCH(QString, reason);
        if (transport != "sftp key")
            QSKIP("a key file belongs to SFTP");
        m_job->RFolder.PrivateKey = m_ssh->lockedKey();
        const JobSide stored = m_job->RFolder;
        QVERIFY(m_ssh->trustHostKey());
        QVERIFY(TestFiles::Write(Left("a.txt"), "left", Old));

        RecordingListener listener;
        listener.passphrases = answers;
        const QStringList rows = Analyse(listener);
        QCOMPARE(listener.Events("K"), QStringList(asked, "K " + m_ssh->lockedKey()));
        QCOMPARE(m_job->RFolder, stored);
        if (!reason.isEmpty()) {
            QVERIFY(!m_result->Reached);
            QVERIFY2(m_result->FailureReason.contains(reason), qPrintable(m_result->FailureReason));
            QCOMPARE(listener.Events("C"), QStringList{"C 2"});
            QCOMPARE(TestFiles::FilesBelow(Right()), QStringList());
            QCOMPARE(TestFiles::FilesBelow(Left()), QStringList{"a.txt"});
            return;
        }
        QCOMPARE(rows, QStringList{"a.txt 1 2"});
        RecordingListener sync;
        Synchronisation run(*m_rows, *m_result, m_dir.filePath("program"), sync, *m_job);
        run.Execute();
        QCOMPARE(run.ErrorCount(), 0);
        QVERIFY(sync.Events("K").isEmpty());
        QCOMPARE(TestFiles::Read(Right("a.txt")), QByteArray("left"));
    }
};

QTEST_GUILESS_MAIN(TestEncryptedSides)
#include "tst_encryptedsides.moc"
