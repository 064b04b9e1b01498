#include "model/JobList.h"
#include "platform/FtpSessionPool.h"
#include "tests/support/FtpServerFixture.h"
#include "tests/support/ModalGuard.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/RealJobPages.h"
#include "ui/widgets/ImageButton.h"
#include "ui/workspace/JobPage.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int Wait = 60000;
constexpr int64_t Old = 1500000000;

// What the progress line under the grid says: files done of all, and the time left in ms
// (-1 while it is not known yet).
struct Shown {
    int Done = -1;
    int Total = -1;
    qint64 LeftMs = -1;
};

Shown Read(const QString &line)
{
    static const QRegularExpression files(QStringLiteral("^(\\d+) of (\\d+) files"));
    static const QRegularExpression left(QStringLiteral("about (\\d+):(\\d\\d) left$"));
    Shown shown;
    if (const QRegularExpressionMatch m = files.match(line); m.hasMatch()) {
        shown.Done = m.captured(1).toInt();
        shown.Total = m.captured(2).toInt();
    }
    if (const QRegularExpressionMatch m = left.match(line); m.hasMatch())
        shown.LeftMs = (m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 1000;
    else if (line.endsWith(QStringLiteral("almost done")))
        shown.LeftMs = 0;
    return shown;
}

// A job page over dir's left folder and a server's /pub, analysed, its Sync clicked.
struct SyncingPage {
    JobList jobs;
    NoPower power;
    JobPage page{jobs, power};
    QLabel *status = nullptr;
    QLabel *progress = nullptr;

    bool Start(const QTemporaryDir &dir, const FtpServerFixture &server)
    {
        auto job = std::make_unique<Job>();
        job->SyncName = "Timed";
        job->LFolder.DeviceType = 1;
        job->LFolder.FolerAllName = dir.filePath("left");
        job->RFolder = server.source();
        jobs.AddJob(std::move(job));
        page.SetProgramFolder(dir.filePath("program"));
        page.resize(1100, 760);
        page.show();
        page.SetJob(0);
        page.PageShown();
        status = page.findChild<QLabel *>("Label_ActionStatus");
        progress = page.findChild<QLabel *>("Label_Progress");
        QTest::mouseClick(page.findChild<ImageButton *>("BitBtn_Analyze"), Qt::LeftButton);
        if (!QTest::qWaitFor([this] { return status->text() == QString(" Analyzing Done!"); }, Wait))
            return false;
        QTest::mouseClick(page.findChild<ImageButton *>("BitBtn_Sync"), Qt::LeftButton);
        return true;
    }
};

}  // namespace

// The time left a synchronisation shows, against a real FTP server that answers every command
// late and sends a limited number of bytes a second: once a tenth of the files is done, it is
// within a factor of two of the time the run then really takes to its end.
class TestSyncTimeLeft : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withinAFactorOfTwoOnceATenthIsDone_data()
    {
        QTest::addColumn<int>("connections");
        QTest::newRow("one connection") << 1;
        QTest::newRow("four connections") << 4;
    }
    void withinAFactorOfTwoOnceATenthIsDone()
    {
        QFETCH(int, connections);
        FtpSessionPool::Global().SetConnections(connections);
        const auto restore = qScopeGuard([] { FtpSessionPool::Global().SetConnections(4); });
        QTemporaryDir dir;
        const QString left = dir.filePath("left");
        // Small files cost round trips, a few larger ones bytes too; mixed in name order, so
        // that the first tenth is not all of one kind.
        // About three seconds either way on an idle machine.
        const int files = connections == 1 ? 30 : 100;
        for (int i = 0; i < files; ++i)
            QVERIFY(TestFiles::Write(QStringLiteral("%1/f%2.dat").arg(left).arg(i, 3, 10, QLatin1Char('0')),
                                     QByteArray(i % 5 == 2 ? 48000 : 500, 'x'), Old));
        FtpServerFixture server;
        QVERIFY(QDir().mkpath(server.root() + "/pub"));
        server.setCommandDelay(0.02);
        server.setThrottle(200000);
        QVERIFY(server.start());

        SyncingPage page;
        QVERIFY(page.Start(dir, server));
        QLabel *status = page.status, *progress = page.progress;
        QElapsedTimer clock;
        clock.start();
        Shown atATenth;
        qint64 tenthAt = -1;
        while (status->text() != "Sync Done!" && clock.elapsed() < Wait) {
            QTest::qWait(5);
            const Shown now = Read(progress->text());
            if (tenthAt < 0 && now.Total == files && 10 * now.Done >= files && now.LeftMs >= 0) {
                atATenth = now;
                tenthAt = clock.elapsed();
            }
        }
        QCOMPARE(status->text(), QString("Sync Done!"));
        QVERIFY2(tenthAt >= 0, "the progress line never showed a time left once a tenth was done");
        const qint64 real = clock.elapsed() - tenthAt;
        const QString said = QStringLiteral("after %1 of %2 files: %3 ms shown, %4 ms real")
                                 .arg(atATenth.Done).arg(files).arg(atATenth.LeftMs).arg(real);
        qInfo("%s", qPrintable(said));
        // The line shows whole seconds, rounded up.
        QVERIFY2(atATenth.LeftMs - 1000 <= 2 * real && 2 * atATenth.LeftMs >= real, qPrintable(said));
    }

    // While one big file is copied, the speed shows what arrives, not nothing until the file
    // has finished.
    void speedShowsWhileABigFileIsCopied()
    {
        // A download: what arrives is what the server sends, where an upload's first bytes
        // would only fill the socket's buffers.
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("left")));
        FtpServerFixture server;
        QVERIFY(TestFiles::Write(server.root() + "/pub/big.bin", QByteArray(900000, 'x'), Old));
        server.setThrottle(200000);
        QVERIFY(server.start());
        SyncingPage page;
        QVERIFY(page.Start(dir, server));
        QLabel *status = page.status, *progress = page.progress;
        static const QRegularExpression speed(QStringLiteral("^0 of 1 files \u00b7 .* \u00b7 ([\\d.,]+) ([kM]B)/s \u00b7 "));
        // The last speed shown while the file was still under way.
        QString seen;
        QElapsedTimer clock;
        clock.start();
        while (status->text() != "Sync Done!" && clock.elapsed() < Wait) {
            QTest::qWait(20);
            if (speed.match(progress->text()).hasMatch())
                seen = progress->text();
        }
        const QRegularExpressionMatch m = speed.match(seen);
        QVERIFY2(m.hasMatch(), "no speed was shown while the file was copied");
        // The server's limit holds on average, not from one moment to the next, so the bound is
        // loose; the count itself is checked in tst_encryptedsides.
        const double kBps = QLocale().toDouble(m.captured(1)) * (m.captured(2) == "MB" ? 1024 : 1);
        QVERIFY2(kBps > 0 && kBps < 20000, qPrintable(seen));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("Sync Done!"), Wait);
    }
};

WIDGET_TEST_MAIN(TestSyncTimeLeft)
#include "tst_synctimeleft.moc"
