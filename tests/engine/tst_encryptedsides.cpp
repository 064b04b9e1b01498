#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/RowTree.h"
#include "engine/Synchronisation.h"
#include "model/Job.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/SshServerFixture.h"
#include "tests/support/TempConfigHome.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TlsFtpServerFixture.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int64_t Old = 1500000000;

void DumpRows(const Row &node, const QString &prefix, QStringList &out)
{
    for (int i = 0; i < node.ChildCount(); ++i) {
        const Row &c = *node.Child(i);
        if (c.Data.Kind == 1)
            DumpRows(c, prefix + c.Data.Name + "/", out);
        else
            out << QStringLiteral("%1%2 %3 %4").arg(prefix, c.Data.Name).arg(c.Data.Action).arg(c.Data.Direction);
    }
}

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

    QStringList Analyse(RecordingListener &listener)
    {
        m_job->CancelFlag = 0;
        m_result = std::make_unique<AnalysisResult>();
        Analysis(*m_job, listener, *m_result).Execute();
        m_rows = std::make_unique<RowTree>(*m_job);
        m_rows->BuildView(*m_result->ResultRoot, RowTree::ModeChanges);
        QStringList rows;
        DumpRows(*m_rows->RootNode(), QString(), rows);
        rows.sort();
        return rows;
    }

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
        if (m_ssh && !m_job->RFolder.PWD.isEmpty())
            m_job->RFolder = m_ssh->passwordSource();  // the files just laid out go to the login user

        RecordingListener first;
        first.acceptServers = true;
        QCOMPARE(Analyse(first), (QStringList{"a.txt 1 2", "r b.txt 2 1", "sub dir/ü ñ é.txt 1 2"}));
        QCOMPARE(first.Events("T").size(), 1);
        const QString fingerprint = m_ftps ? m_ftps->fingerprint() : m_ssh->hostKeyFingerprint();
        QCOMPARE(first.Events("T").first(), "T " + fingerprint);

        RecordingListener sync;
        Synchronisation run(*m_rows, *m_result, m_dir.filePath("program"), sync, *m_job);
        run.Execute();
        QCOMPARE(run.ErrorCount(), 0);
        QCOMPARE(TestFiles::Read(Right("a.txt")), QByteArray("left"));
        QCOMPARE(TestFiles::Read(Right("sub dir/ü ñ é.txt")), QByteArray("accents"));
        QCOMPARE(TestFiles::Read(Left("r b.txt")), QByteArray("right"));
        QVERIFY(TestFiles::Read(Right("__FileSync__/Job")).contains("ü ñ é.txt"));
        // Nothing of the safe copies is left over.
        QCOMPARE(TestFiles::FilesBelow(Right()).size(), 4);

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
};

QTEST_GUILESS_MAIN(TestEncryptedSides)
#include "tst_encryptedsides.moc"
