#include "platform/FtpListParser.h"

#include <QTest>

class TestFtpListParser : public QObject {
    Q_OBJECT

private:
    static QDateTime now() { return QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC); }
    static QDateTime utc(int y, int mo, int d, int h, int mi, int s = 0)
    {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    }

private Q_SLOTS:
    void parseLine_data()
    {
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QDateTime>("modified");
        QTest::addColumn<qint64>("size");

        const QString none;
        const QDateTime never;
        QTest::newRow("mlsd file with blanks")
            << true << QByteArray("modify=20261209045611;perm=radfwMT;size=100000;type=file;unique=fe0; name with blanks")
            << true << "name with blanks" << false << utc(2026, 12, 9, 4, 56, 11) << qint64(100000);
        QTest::newRow("mlsd folder")
            << true << QByteArray("modify=20200102030405;perm=el;size=4096;type=dir;unique=1; sub")
            << true << "sub" << true << utc(2020, 1, 2, 3, 4, 5) << qint64(4096);
        QTest::newRow("mlsd fraction, upper-case facts")
            << true << QByteArray("Type=File;Size=3;Modify=20200102030405.250; A.TXT")
            << true << "A.TXT" << false << utc(2020, 1, 2, 3, 4, 5) << qint64(3);
        QTest::newRow("mlsd name with semicolon blank")
            << true << QByteArray("type=file;size=1;modify=20200102030405; a; b=c.txt")
            << true << "a; b=c.txt" << false << utc(2020, 1, 2, 3, 4, 5) << qint64(1);
        QTest::newRow("mlsd over 4 GiB")
            << true << QByteArray("modify=20261209045611;size=5368709120;type=file; big.bin")
            << true << "big.bin" << false << utc(2026, 12, 9, 4, 56, 11) << qint64(5368709120LL);
        QTest::newRow("mlsd utf-8 name")
            << true << QByteArray("modify=20261209045611;size=2;type=file; \xc3\xbc b.txt")
            << true << QString::fromUtf8("\xc3\xbc b.txt") << false << utc(2026, 12, 9, 4, 56, 11) << qint64(2);
        QTest::newRow("mlsd cdir skipped")
            << true << QByteArray("modify=20261209045611;type=cdir; /pub") << false << none << false << never << qint64(0);
        QTest::newRow("mlsd pdir skipped")
            << true << QByteArray("type=pdir;modify=20261209045611; ..") << false << none << false << never << qint64(0);

        QTest::newRow("unix time this year")
            << false << QByteArray("-rw-r--r--   1 root     root          100000 Dec 09 04:56 sp ace#\xc3\xbc%.txt")
            << true << QString::fromUtf8("sp ace#\xc3\xbc%.txt") << false << utc(2026, 12, 9, 4, 56) << qint64(100000);
        QTest::newRow("unix time that would be in the future is last year")
            << false << QByteArray("-rw-r--r--   1 root     root               7 Dec 20 23:10 late.txt")
            << true << "late.txt" << false << utc(2025, 12, 20, 23, 10) << qint64(7);
        // A server in another zone, or a clock a few hours fast, lists times up to a day ahead.
        QTest::newRow("unix time hours ahead of the clock is this year")
            << false << QByteArray("-rw-r--r--   1 root     root               5 Dec 09 18:00 ahead.txt")
            << true << "ahead.txt" << false << utc(2026, 12, 9, 18, 0) << qint64(5);
        QTest::newRow("unix time two days ahead is last year")
            << false << QByteArray("-rw-r--r--   1 root     root               5 Dec 11 18:00 ahead.txt")
            << true << "ahead.txt" << false << utc(2025, 12, 11, 18, 0) << qint64(5);
        QTest::newRow("unix with year")
            << false << QByteArray("-rw-r--r--   1 root     root            4 Jan 02  2020 a.txt")
            << true << "a.txt" << false << utc(2020, 1, 2, 0, 0) << qint64(4);
        QTest::newRow("unix folder")
            << false << QByteArray("drwxr-xr-x   2 root     root         4096 Dec 09 05:28 sub dir")
            << true << "sub dir" << true << utc(2026, 12, 9, 5, 28) << qint64(4096);
        QTest::newRow("unix leading blanks belong to the name")
            << false << QByteArray("-rw-r--r--   1 root     root            1 Dec 09 05:28   lead")
            << true << "  lead" << false << utc(2026, 12, 9, 5, 28) << qint64(1);
        QTest::newRow("unix link shows its own name")
            << false << QByteArray("lrwxrwxrwx   1 root     root            4 Dec 09 05:28 outside -> /tmp")
            << true << "outside" << false << utc(2026, 12, 9, 5, 28) << qint64(4);
        QTest::newRow("unix without group, numeric owner")
            << false << QByteArray("-rw-r--r-- 1 1000 5368709120 Mar 1 2019 big.bin")
            << true << "big.bin" << false << utc(2019, 3, 1, 0, 0) << qint64(5368709120LL);
        // Lines cut short: no field is read past the end.
        QTest::newRow("unix line cut before the name")
            << false << QByteArray("-rw-r--r--   1 root     root            4 Jan 02  2020 ")
            << false << none << false << never << qint64(0);
        QTest::newRow("unix line of three fields")
            << false << QByteArray("-rw-r--r-- 4 Jan") << false << none << false << never << qint64(0);
        QTest::newRow("mlsd facts without a name")
            << true << QByteArray("type=file;size=1;modify=20200102030405;") << false << none << false << never << qint64(0);
        QTest::newRow("unix total line")
            << false << QByteArray("total 12") << false << none << false << never << qint64(0);

        QTest::newRow("dos folder")
            << false << QByteArray("12-09-26  04:56AM       <DIR>          sub folder")
            << true << "sub folder" << true << utc(2026, 12, 9, 4, 56) << qint64(0);
        QTest::newRow("dos file afternoon, name with blanks")
            << false << QByteArray("12-09-26  04:56PM               100000 name with  blanks")
            << true << "name with  blanks" << false << utc(2026, 12, 9, 16, 56) << qint64(100000);
        QTest::newRow("dos midnight and last century")
            << false << QByteArray("01-02-99  12:05AM                    3 old.txt")
            << true << "old.txt" << false << utc(1999, 1, 2, 0, 5) << qint64(3);
        QTest::newRow("dos noon")
            << false << QByteArray("01-02-20  12:05PM                    3 noon.txt")
            << true << "noon.txt" << false << utc(2020, 1, 2, 12, 5) << qint64(3);
        QTest::newRow("dos four-digit year, 24 hours, over 4 GiB")
            << false << QByteArray("12-09-2026  16:56           5368709120 big.bin")
            << true << "big.bin" << false << utc(2026, 12, 9, 16, 56) << qint64(5368709120LL);
        QTest::newRow("dos line cut before the name")
            << false << QByteArray("01-02-20  12:05PM                    3 ") << false << none << false << never << qint64(0);
        QTest::newRow("dos impossible date")
            << false << QByteArray("13-45-26  04:56AM                    3 x") << false << none << false << never << qint64(0);
        QTest::newRow("garbage")
            << false << QByteArray("hello world") << false << none << false << never << qint64(0);
    }

    void parseLine()
    {
        QFETCH(bool, mlsd);
        QFETCH(QByteArray, line);
        QFETCH(bool, ok);
        FtpEntry e;
        const bool parsed = mlsd ? FtpListParser::ParseMlsdLine(line, e)
                                 : FtpListParser::ParseListLine(line, now(), e);
        QCOMPARE(parsed, ok);
        if (!ok)
            return;
        QTEST(e.name, "name");
        QTEST(e.isFolder, "isFolder");
        QTEST(e.modified, "modified");
        QFETCH(qint64, size);
        QCOMPARE(qint64(e.size), size);
    }

    void listingKeepsServerOrderAcrossLineEnds_data()
    {
        QTest::addColumn<bool>("mlsd");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("mlsd crlf") << true
                                   << QByteArray("type=file;size=1;modify=20200102030405; b\r\n"
                                                 "type=cdir;modify=20200102030405; .\r\n"
                                                 "type=dir;modify=20200102030405; a\r\n");
        QTest::newRow("list lf") << false
                                 << QByteArray("total 2\n"
                                               "-rw-r--r-- 1 u g 1 Jan 02  2020 b\n"
                                               "drwxr-xr-x 2 u g 0 Jan 02  2020 a\n");
    }

    void listingKeepsServerOrderAcrossLineEnds()
    {
        QFETCH(bool, mlsd);
        QFETCH(QByteArray, data);
        const QList<FtpEntry> entries = FtpListParser::ParseListing(data, mlsd, now());
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].name, QStringLiteral("b"));
        QCOMPARE(entries[0].isFolder, false);
        QCOMPARE(entries[1].name, QStringLiteral("a"));
        QCOMPARE(entries[1].isFolder, true);
    }
};

QTEST_GUILESS_MAIN(TestFtpListParser)
#include "tst_ftplistparser.moc"
