#include "folders/TransferJournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using Entry = TransferJournal::Entry;

Entry EntryOf(int thread, int file, bool aside)
{
    const QString target = QStringLiteral("/pub/t%1/f%2.bin").arg(thread).arg(file);
    return {QStringLiteral("ftp://host/pub"), target, target + QStringLiteral(".cvtmp"),
            aside ? target + QStringLiteral(".aside") : QString(), false};
}

// What a run killed now would find. A read beside a write still under way may see that write
// half done, which a killed writer cannot leave (one write of at most a page ends whole or
// not at all): only a file that stays unreadable counts as one.
QList<Entry> OnDisk(const QString &path)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        TransferJournal read(path);
        if (read.Load())
            return read.Entries();
        QThread::msleep(1);
    }
    return {Entry{QStringLiteral("unreadable"), {}, {}, {}, false}};
}

}  // namespace

class TransferJournalTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Copies on several connections share one journal, and changes made while another
    // thread writes go out in one later write: each copy must still find its own step in
    // the file as soon as the call returns, or a kill then leaves a file nobody recovers.
    void everyStepIsInTheFileWhenItReturns_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<bool>("aside");
        QTest::newRow("one copy") << 1 << false;
        QTest::newRow("four copies, new files") << 4 << false;
        QTest::newRow("four copies, replaced files") << 4 << true;
        QTest::newRow("eight copies, replaced files") << 8 << true;
    }
    void everyStepIsInTheFileWhenItReturns()
    {
        QFETCH(int, threads);
        QFETCH(bool, aside);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("__Run__/Job.journal"));
        TransferJournal journal(path);
        std::atomic<int> missing{0}, failed{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&, t] {
                for (int f = 0; f < 20; ++f) {
                    const Entry copying = EntryOf(t, f, aside);
                    Entry swapping = copying;
                    swapping.Swapping = true;
                    if (!journal.Add(copying) || !journal.Replace(copying, swapping))
                        ++failed;
                    if (!OnDisk(path).contains(swapping))
                        ++missing;
                    if (!journal.Remove(swapping))
                        ++failed;
                    // Written over a longer state, the file must still read, without it.
                    const QList<Entry> after = OnDisk(path);
                    if (after.contains(swapping) || (!after.isEmpty() && after.first().Folder == "unreadable"))
                        ++missing;
                }
            });
        for (std::thread &w : workers)
            w.join();
        QCOMPARE(failed.load(), 0);
        QCOMPARE(missing.load(), 0);
        QVERIFY(journal.Entries().isEmpty());
        QCOMPARE(OnDisk(path), QList<Entry>{});
        journal.Close();
        QVERIFY(!QFile::exists(path));
    }

    // The end of a run removes the journal it wrote once nothing is open, but never one it
    // could not read: that one waits, untouched, for someone to look at it.
    void closingRemovesOnlyAFinishedJournal_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("leaveOneOpen");
        QTest::addColumn<bool>("gone");
        QTest::newRow("written, all done") << QByteArray() << false << true;
        QTest::newRow("written, one open") << QByteArray() << true << false;
        QTest::newRow("read, all done") << QByteArray(R"({"entries":[],"format":1}    )") << false << true;
        QTest::newRow("unreadable, nothing written") << QByteArray("{\"entries\":[{") << false << false;
    }
    void closingRemovesOnlyAFinishedJournal()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, leaveOneOpen);
        QFETCH(bool, gone);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Job.journal"));
        if (!before.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        {
            TransferJournal journal(path);
            journal.Load();
            if (before.isEmpty()) {
                QVERIFY(journal.Add(EntryOf(0, 0, false)));
                QVERIFY(journal.Add(EntryOf(0, 1, true)));
                QVERIFY(journal.Remove(EntryOf(0, 1, true)));
                if (!leaveOneOpen)
                    QVERIFY(journal.Remove(EntryOf(0, 0, false)));
            }
            journal.Close();
        }
        QCOMPARE(!QFile::exists(path), gone);
        if (leaveOneOpen)
            QCOMPARE(OnDisk(path), QList<Entry>{EntryOf(0, 0, false)});
    }

    // A write that fails fails every change it carried: none of them may be taken as noted.
    void aJournalThatCannotBeWrittenSaysSoToEveryCopy()
    {
        QTemporaryDir dir;
        // Its folder is a file: nothing can be written there.
        QFile blocker(dir.filePath(QStringLiteral("__Run__")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TransferJournal journal(dir.filePath(QStringLiteral("__Run__/Job.journal")));
        std::atomic<int> succeeded{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t)
            workers.emplace_back([&, t] {
                for (int f = 0; f < 20; ++f)
                    if (journal.Add(EntryOf(t, f, f % 2 == 0)))
                        ++succeeded;
            });
        for (std::thread &w : workers)
            w.join();
        QCOMPARE(succeeded.load(), 0);
    }

    // A journal read back at the start of a run starts a new count of changes: the first
    // change after it is written, not taken as covered by a write of the journal it replaced.
    void aReplacedJournalWritesItsFirstChange()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Job.journal"));
        TransferJournal journal(path);
        for (int f = 0; f < 3; ++f)
            QVERIFY(journal.Add(EntryOf(0, f, false)));
        journal = TransferJournal(path);
        QVERIFY(journal.Load());
        QCOMPARE(journal.Entries().size(), 3);
        const Entry added = EntryOf(1, 0, true);
        QVERIFY(journal.Add(added));
        QVERIFY(OnDisk(path).contains(added));
    }
};

QTEST_GUILESS_MAIN(TransferJournalTest)
#include "tst_transferjournal.moc"
