// Every input the fuzzers keep (seeds and the inputs of faults found and fixed) and the
// hostile inputs too large to keep as files, replayed through the parsers' checks.
#include "tests/fuzz/ParserChecks.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

class TestFuzzCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void corpus_data();
    void corpus();
    void hostile_data();
    void hostile();

private:
    void Run(const QString &target, const QByteArray &input);
};

void TestFuzzCorpus::Run(const QString &target, const QByteArray &input)
{
    const ParserChecks::Check check = ParserChecks::ForTarget(target);
    QVERIFY2(check, qPrintable(QStringLiteral("no check named %1").arg(target)));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString fault = check(input, QDir(folder.path()).canonicalPath());
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestFuzzCorpus::corpus_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    const QDir root(QStringLiteral(CORVANE_SOURCE_DIR "/tests/fuzz/corpus"));
    const QStringList targets = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(!targets.isEmpty());
    for (const QString &target : targets) {
        QDirIterator it(root.filePath(target), QDir::Files);
        int files = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            QTest::newRow(qPrintable(target + u'/' + it.fileName())) << target << path;
            ++files;
        }
        QVERIFY2(files > 0, qPrintable(target + QStringLiteral(" has no seeds")));
    }
}

void TestFuzzCorpus::corpus()
{
    QFETCH(QString, target);
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    Run(target, file.readAll());
}

void TestFuzzCorpus::hostile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("input");

    const QByteArray megabyte(1 << 20, 'a');
    const QByteArray blanks(1 << 20, ' ');
    QByteArray job = "<Tast><SyncName>j</SyncName><SyncDirection>1</SyncDirection></Tast>\n";
    QTest::newRow("tasklist: ten thousand jobs")
        << "tasklist" << QByteArray("<?xml version=\"1.0\"?>\n<TaskList>\n" + job.repeated(10000) + "</TaskList>\n");
    QTest::newRow("tasklist: nested deeper than any real file")
        << "tasklist" << QByteArray("<TaskList>" + QByteArray("<a>").repeated(20000) + QByteArray("</a>").repeated(20000) + "</TaskList>");
    QTest::newRow("statefile: count beyond the lines") << "statefile" << QByteArray("C:/x::3\r\na:0:/:1:2:3\r\n");
    QTest::newRow("statefile: lines beyond the count") << "statefile" << QByteArray("C:/x::0\r\na:0:/:1:2:3\r\n");
    QTest::newRow("statefile: a megabyte name") << "statefile" << QByteArray("C:/x::1\r\n" + megabyte + ":0:/:1:2:3\r\n");
    QTest::newRow("statefile: nested deeper than any real tree")
        << "statefile" << QByteArray("C:/x::1\r\n" + QByteArray("d:1:/:0:-1:16\r\n").repeated(100000));
    QTest::newRow("mlsdline: a megabyte name") << "mlsdline" << QByteArray("type=file;size=1; " + megabyte);
    QTest::newRow("mlsdline: megabyte facts") << "mlsdline" << QByteArray(QByteArray("size=1;").repeated(150000) + " f");
    QTest::newRow("listline: a megabyte name")
        << "listline" << QByteArray("-rw-r--r-- 1 u g 12 Jan 02 2020 " + megabyte);
    QTest::newRow("listline: a megabyte of blanks, Unix") << "listline" << QByteArray("-rw-r--r-- 1 u g 12 Jan 02" + blanks + "x");
    QTest::newRow("listline: a megabyte of blanks, DOS") << "listline" << QByteArray("12-09-26  04:56" + blanks + "PM" + blanks + "x");
    QTest::newRow("listline: a megabyte of digits, DOS") << "listline" << QByteArray("12-09-26  04:56PM  " + QByteArray(1 << 20, '7'));
    QTest::newRow("updateini: a megabyte line") << "updateini" << QByteArray("[HTTP]\r\nf=" + megabyte + "\r\n");
    QTest::newRow("installname: a megabyte of steps") << "installname" << QByteArray("a/").repeated(1 << 19);
    QTest::newRow("transferjournal: nested arrays")
        << "transferjournal" << QByteArray(QByteArray("[").repeated(100000) + QByteArray("]").repeated(100000));
}

void TestFuzzCorpus::hostile()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, input);
    Run(target, input);
}

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
