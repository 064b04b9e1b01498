#include "engine/TimeLeft.h"

#include <QtTest>

// The time left, fed as a synchronisation feeds it, against runs whose real cost is a fixed
// price per file (round trips) plus a price per byte, with each file's time off by up to a
// fifth either way, after a time spent once before the first file (connecting, logging in).
class TestTimeLeft : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void withinAFactorOfTwoOnceATenthIsDone_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<double>("msPerFile");
        QTest::addColumn<double>("msPerByte");
        QTest::addColumn<double>("msAtStart");

        QList<qint64> small(1000, 1024), mixed, large(20, 100'000'000), skewed, largeFirst(200, 1'000'000);
        // Bytes alone would promise the small files' part of the run for almost nothing.
        largeFirst << QList<qint64>(800, 1024);
        for (int i = 0; i < 400; ++i)
            mixed << (i % 3 == 0 ? 4'000'000 : 200);
        // Many small files and a few large ones, in the order a listing gives them.
        for (int i = 0; i < 300; ++i)
            skewed << (i % 25 == 7 ? 30'000'000 : 2000 + 37 * i);
        QTest::newRow("small files over FTP") << small << 40.0 << 1e-5 << 0.0;
        QTest::newRow("round trips and bytes") << mixed << 60.0 << 2e-5 << 0.0;
        QTest::newRow("large files") << large << 5.0 << 1e-5 << 0.0;
        QTest::newRow("a few large among many small") << skewed << 25.0 << 1e-5 << 0.0;
        QTest::newRow("large files first, then many small") << largeFirst << 40.0 << 2e-5 << 0.0;
        // Counted as the first files' cost, the start would promise four times the rest.
        QTest::newRow("a slow start, then small files") << QList<qint64>(200, 1024) << 40.0 << 1e-5 << 3000.0;
        QTest::newRow("a slow start, then round trips and bytes") << mixed << 60.0 << 2e-5 << 20000.0;
    }

    void withinAFactorOfTwoOnceATenthIsDone()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(double, msPerFile);
        QFETCH(double, msPerByte);
        QFETCH(double, msAtStart);
        QList<double> finishedAt;
        double clock = msAtStart;
        for (int i = 0; i < sizes.size(); ++i) {
            const double jitter = 1.0 + 0.2 * std::sin(i * 12.9898);
            clock += (msPerFile + msPerByte * double(sizes[i])) * jitter;
            finishedAt << clock;
        }
        qint64 totalBytes = 0;
        for (qint64 size : sizes)
            totalBytes += size;

        TimeLeft estimate;
        estimate.Start(int32_t(sizes.size()), totalBytes);
        QCOMPARE(estimate.RemainingMs(), qint64(-1));
        qint64 bytes = 0;
        for (int i = 0; i < sizes.size(); ++i) {
            bytes += sizes[i];
            estimate.Update(i + 1, bytes, qint64(finishedAt[i]));
            if (10 * (i + 1) < sizes.size())
                continue;
            const double real = finishedAt.last() - finishedAt[i];
            const double guessed = double(estimate.RemainingMs());
            QVERIFY2(guessed <= 2 * real + 1000 && 2 * guessed + 1000 >= real,
                     qPrintable(QStringLiteral("after %1 files: %2 ms guessed, %3 ms real").arg(i + 1).arg(guessed).arg(real)));
        }
        QCOMPARE(estimate.RemainingMs(), qint64(0));
    }

    // Four connections finish four files at a time: between the bursts the time left counts
    // down instead of standing at what it was when the last file finished, and the speed is
    // that of the connections together, not of the moment the four files ended.
    void countsDownBetweenFinishedFiles_data()
    {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<QString>("shown");
        QTest::newRow("as the fourth file finished") << qint64(7000) << "223.2 kB/s \u00b7 about 0:10 left";
        QTest::newRow("three seconds later") << qint64(10000) << "156.3 kB/s \u00b7 about 0:07 left";
        QTest::newRow("past the estimate, files still to come") << qint64(30000) << "almost done";
    }
    void countsDownBetweenFinishedFiles()
    {
        QFETCH(qint64, now);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        TimeLeft estimate;
        estimate.Start(8, 8 * 400'000);
        for (int i = 1; i <= 4; ++i)
            estimate.Update(i, i * 400'000, 7000);
        QVERIFY2(estimate.Text(now).endsWith(shown), qPrintable(estimate.Text(now)));
    }

    // The speed of bytes on the wire while a file is under way: from the moment the first
    // bytes moved (connecting is not part of it), over the rolling window.
    void speedOfBytesOnTheWire_data()
    {
        QTest::addColumn<QList<qint64>>("moved");  // bytes at 0, 1, 2, ... seconds
        QTest::addColumn<qint64>("now");
        QTest::addColumn<double>("perSecond");
        QTest::newRow("one second to connect, then 100 kB a second")
            << QList<qint64>{0, 0, 100'000, 200'000, 300'000} << qint64(4000) << 100'000.0;
        QTest::newRow("a stall: the last five seconds count")
            << QList<qint64>{0, 500'000, 1'000'000, 1'000'000, 1'000'000, 1'000'000, 1'000'000, 1'200'000}
            << qint64(7000) << 40'000.0;
    }
    void speedOfBytesOnTheWire()
    {
        QFETCH(QList<qint64>, moved);
        QFETCH(qint64, now);
        QFETCH(double, perSecond);
        TimeLeft estimate;
        estimate.Start(1, 10'000'000);
        QCOMPARE(estimate.BytesPerSecond(now), 0.0);
        for (qsizetype s = 0; s < moved.size(); ++s)
            estimate.Moved(moved[s], s * 1000);
        QCOMPARE(estimate.BytesPerSecond(now), perSecond);
    }

    void text()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        TimeLeft estimate;
        estimate.Start(4, 4000);
        QCOMPARE(estimate.Text(), QString("0 of 4 files \u00b7 0 bytes of 3.9 kB \u00b7 time left not known yet"));
        estimate.Update(1, 1000, 1000);
        estimate.Update(2, 2000, 2000);
        QCOMPARE(estimate.Text(), QString("2 of 4 files \u00b7 2.0 kB of 3.9 kB \u00b7 1,000 bytes/s \u00b7 about 0:02 left"));
    }
};

QTEST_GUILESS_MAIN(TestTimeLeft)
#include "tst_timeleft.moc"
