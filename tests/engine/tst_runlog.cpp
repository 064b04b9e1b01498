#include "engine/RunLog.h"
#include "engine/ResultEntry.h"

#include <QtTest>

namespace {

class RecordingSink : public RunLogSink {
public:
    QStringList lines;
    void Status(const QString &text) override { lines << "status:" + text; }
    void Log(const QString &line, bool error) override { lines << (error ? "red:" : "log:") + line; }
    void ProgressRange(int32_t maximum) override { lines << "range:" + QString::number(maximum); }
    void ProgressPosition(int32_t position) override { lines << "pos:" + QString::number(position); }
};

// One event per word list: the same calls the analysis, the sync and the page make.
void Play(RunLog &log, const QString &call)
{
    const QStringList w = call.split(' ');
    auto n = [&](int i) { return w.value(i).toInt(); };
    EngineTexts texts;
    texts.CurrentItem = "a.txt";
    texts.CurrentLeftPath = "/data/docs/a.txt";
    texts.CurrentRightPath = "/pub/docs/a.txt";
    if (w[0] == "progress") {
        log.SyncProgress(n(1), n(2));
    } else if (w[0] == "failed") {
        log.SyncConnectFailed(n(1));
    } else if (w[0] == "item") {
        if (n(1) == 0 || n(1) == 1)
            texts.CurrentItem = texts.CurrentRightPath;
        texts.FailureReason = w.mid(3).join(' ');
        log.SyncItem(n(1), n(2), texts);
    } else if (w[0] == "precheck") {
        log.PreCheckResult(n(1));
    } else if (w[0] == "analyzed") {
        ResultEntry root;
        root.SetCounts(9, n(1), n(2));
        log.AnalysisEnded(root, w.value(3));
    } else if (w[0] == "unreached") {
        log.AnalysisConnectFailedEnded(w.mid(1).join(' '));
    } else if (w[0] == "unlisted") {
        log.AnalysisFailed(w.value(1), w.mid(2).join(' '));
    } else if (w[0] == "cancelled") {
        log.AnalysisCancelled();
    } else if (w[0] == "syncstart") {
        log.SyncStarted(n(1));
    } else if (w[0] == "synced") {
        log.SyncEnded(n(1), n(2), w.value(3));
    } else {
        QFAIL(qPrintable("unknown call " + call));
    }
}

const QString Colon = QString(QChar(0xFF1A));

}  // namespace

class TestRunLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pageTexts_data()
    {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("start event") << QStringList{"progress 12 0"}
                                     << QStringList{"range:12", "pos:0", "status:Start to analyze files " + Colon,
                                                    "log:Start to analyze files , files total : 12"};
        QTest::newRow("start event of two empty sides") << QStringList{"progress 0 0"} << QStringList{"pos:0"};
        QTest::newRow("progress") << QStringList{"progress 0 7"} << QStringList{"pos:7"};
        QTest::newRow("left unreachable") << QStringList{"failed 1", "unreached"}
                                          << QStringList{"log:Can't connect the left folder!",
                                                         "status:Analysis failed"};
        QTest::newRow("login refused, the reply follows")
            << QStringList{"failed 2", "unreached 530 Login incorrect."}
            << QStringList{"log:Can't connect the right folder!", "red:530 Login incorrect.", "status:Analysis failed"};
        QTest::newRow("listing failed") << QStringList{"unlisted /pub/d/ connection refused"}
                                        << QStringList{"red:Reading the folder /pub/d/ failed: connection refused",
                                                       "status:Analysis failed"};
        QTest::newRow("analysis cancelled") << QStringList{"cancelled"}
                                            << QStringList{"log:Analysis cancelled", "status:Analysis cancelled"};
        QTest::newRow("download fails, the cause follows")
            << QStringList{"item 0 0 In the left folder: cannot write /d/a.txt: Permission denied"}
            << QStringList{"log:/pub/docs/a.txt  File reading error!",
                           "red:In the left folder: cannot write /d/a.txt: Permission denied"};
        QTest::newRow("right unreachable") << QStringList{"failed 2"}
                                           << QStringList{"log:Can't connect the right folder!"};
        QTest::newRow("any other side") << QStringList{"failed 3"}
                                        << QStringList{"log:Can't connect the right folder!"};
        QTest::newRow("download fails") << QStringList{"item 3 0", "item 0 0"}
                                        << QStringList{"status:Writing the file: a.txt......",
                                                       "log:/pub/docs/a.txt  File reading error!"};
        QTest::newRow("upload fails") << QStringList{"item 2 0", "item 1 0"}
                                      << QStringList{"status:Reading the file: a.txt......",
                                                     "log:/pub/docs/a.txt  Transfer failed!"};
        const QString toRight = "log:Move the file a.txt : /data/docs/a.txt -> /pub/docs/a.txt Succeeded,time: 20240229";
        const QString toLeft = "log:Move the file a.txt : /pub/docs/a.txt -> /data/docs/a.txt Succeeded,time: 20240229";
        QTest::newRow("copied, left only") << QStringList{"item 4 1"} << QStringList{toRight};
        QTest::newRow("copied, newer on the left") << QStringList{"item 4 4"} << QStringList{toRight};
        QTest::newRow("copied, right only") << QStringList{"item 4 2"} << QStringList{toLeft};
        QTest::newRow("copied, newer on the right") << QStringList{"item 4 3"} << QStringList{toLeft};
        QTest::newRow("copied, same") << QStringList{"item 4 0"} << QStringList{toLeft};
        QTest::newRow("unknown item kind") << QStringList{"item 9 0"} << QStringList();
        QTest::newRow("same folders") << QStringList{"precheck 1"}
                                      << QStringList{"red:Left and right folders are the same"};
        QTest::newRow("nested folders") << QStringList{"precheck 2"} << QStringList{"red:Cannot Analyze nested folders."};
        QTest::newRow("empty folders") << QStringList{"precheck 3"} << QStringList{"red:A folder of the job is not set."};
        QTest::newRow("analysis starts") << QStringList{"precheck 0"}
                                         << QStringList{"log:Loading Files......",
                                                        "status:Extracting file information:"};
        QTest::newRow("analysis ends") << QStringList{"analyzed 2 3 00:01:05"}
                                       << QStringList{"status:Loading Files......", "range:5", "pos:0",
                                                      "status:Files loading done",
                                                      "log:Files loading done , used time : 00:01:05",
                                                      "log:Changed files in the left folders : 2",
                                                      "log:Changed files in the right folders : 3",
                                                      "status: Analyzing Done!"};
        QTest::newRow("sync ends at the maximum")
            << QStringList{"syncstart 4", "progress 0 3", "synced 1 3 00:00:09"}
            << QStringList{"range:4", "pos:0", "status:Starting the sync\u2026", "pos:3", "pos:4",
                           "log:Sync Done , used time : 00:00:09",
                           "log:Total numbers of error files : 1; Total numbers of synced files : 3",
                           "status:Sync Done!"};
        QTest::newRow("every copy failed") << QStringList{"synced 2 0 00:00:00"}
                                           << QStringList{"pos:0", "log:Sync Done , used time : 00:00:00",
                                                          "log:Total numbers of error files : 2; Total numbers of synced files : 0",
                                                          "status:Sync Done!"};
    }

    void pageTexts()
    {
        QFETCH(QStringList, calls);
        QFETCH(QStringList, expected);
        RecordingSink sink;
        RunLog log(sink);
        log.SetDate(QDate(2024, 2, 29));
        for (const QString &c : calls)
            Play(log, c);
        QCOMPARE(sink.lines, expected);
    }

    void successLineCarriesTodaysDateOnly()
    {
        RecordingSink sink;
        RunLog log(sink);
        const QString before = QDate::currentDate().toString("yyyyMMdd");
        Play(log, "item 4 4");
        const QString after = QDate::currentDate().toString("yyyyMMdd");
        QCOMPARE(sink.lines.size(), 1);
        const QString stamp = sink.lines[0].section("Succeeded,time: ", 1);
        QVERIFY(stamp == before || stamp == after);
        QCOMPARE(stamp.size(), 8);
    }

    void elapsedText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("under a minute") << qint64(59) << "00:00:59";
        QTest::newRow("hour, minutes, seconds") << qint64(3600 + 4 * 60 + 5) << "01:04:05";
        QTest::newRow("last two-digit hour") << qint64(359'999) << "99:59:59";
        QTest::newRow("hours without limit") << qint64(123 * 3600 + 4 * 60 + 5) << "123:04:05";
        QTest::newRow("negative") << qint64(-5) << "00:00:00";
    }

    void elapsedText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(RunLog::ElapsedText(seconds), text);
    }
};

QTEST_GUILESS_MAIN(TestRunLog)
#include "tst_runlog.moc"
