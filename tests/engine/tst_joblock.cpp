#include "engine/JobLock.h"
#include "engine/SidePaths.h"
#include "model/Job.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestJobLock : public QObject {
    Q_OBJECT

private:
    static void Place(Job &job, const QString &left)
    {
        job.SyncName = QStringLiteral("Job");
        job.LFolder.DeviceType = 1;
        job.LFolder.FolerAllName = left;
    }

private Q_SLOTS:
    // One run of a job at a time, whether the other run is in this process or another; a
    // lock its holder left behind (a killed run) or gave up never keeps a run out, and a
    // released lock leaves nothing in the user's folder.
    void oneRunAtATime_data()
    {
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("acquired");
        QTest::newRow("no other run") << "" << true;
        QTest::newRow("a run in this process") << "held here" << false;
        QTest::newRow("a run in another process") << "held by a process" << false;
        QTest::newRow("a file a killed run left") << "left by a dead run" << true;
        QTest::newRow("a run that has ended") << "released" << true;
    }
    void oneRunAtATime()
    {
        QFETCH(QString, other);
        QFETCH(bool, acquired);
        QTemporaryDir dir;
        Job job;
        Place(job, dir.path());
        const QString path = SidePaths::LockFile(job);
        std::unique_ptr<JobLock> first;
        QProcess holder;
        if (other == "held here" || other == "released") {
            first = std::make_unique<JobLock>(job);
            QVERIFY(first->Acquire());
            if (other == "released")
                first.reset();
        } else if (other == "held by a process") {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            holder.start("flock", {path, "-c", "echo held; sleep 30"});
            QVERIFY(holder.waitForReadyRead(5000));
        } else if (other == "left by a dead run") {
            QVERIFY(TestFiles::Write(path, "999999999\ncorvane-cli\nhost\n"));
        }

        {
            JobLock lock(job);
            QCOMPARE(lock.Acquire(), acquired);
            if (acquired)
                QVERIFY(QFileInfo::exists(path));
        }
        if (acquired)
            QVERIFY2(!QFileInfo::exists(path), "the lock file stays after the run");
        // The refused run leaves the holder's lock alone: a third run is still refused.
        if (first) {
            JobLock third(job);
            QVERIFY(!third.Acquire());
        }
        holder.kill();
        holder.waitForFinished();
    }

    // A left folder that is not there is not made: the run must still find it missing.
    void missingLeftFolderIsNotMade()
    {
        QTemporaryDir dir;
        Job job;
        Place(job, dir.filePath("gone"));
        JobLock lock(job);
        QVERIFY(lock.Acquire());
        QVERIFY(!QFileInfo::exists(dir.filePath("gone")));
    }
};

QTEST_GUILESS_MAIN(TestJobLock)
#include "tst_joblock.moc"
