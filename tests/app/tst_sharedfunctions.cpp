#include "app/DosDateTime.h"
#include "app/ExecutableFolder.h"
#include "app/SharedFunctions.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSharedFunctions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parseDateTimeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");  // invalid: the text is refused

        const QDateTime may17(QDate(2008, 5, 17), QTime(14, 30), Qt::LocalTime);
        QTest::newRow("editor text") << "05-17-2008 14:30" << may17;
        QTest::newRow("separators are not read") << "05/17/2008T14.30" << may17;
        QTest::newRow("midnight") << "01-01-1980 00:00"
                                  << QDateTime(QDate(1980, 1, 1), QTime(0, 0), Qt::LocalTime);
        QTest::newRow("empty") << "" << QDateTime();
        QTest::newRow("masked but blank") << "  -  -       :  " << QDateTime();
        QTest::newRow("too short") << "05-17-2008 14:3" << QDateTime();
        QTest::newRow("one-digit month shifts fields") << "5-17-2008 14:30" << QDateTime();
        QTest::newRow("letters") << "ab-cd-efgh ij:kl" << QDateTime();
        QTest::newRow("month 13") << "13-01-2008 10:00" << QDateTime();
        QTest::newRow("February 30") << "02-30-2008 10:00" << QDateTime();
        QTest::newRow("hour 24") << "05-17-2008 24:00" << QDateTime();
        QTest::newRow("minute 60") << "05-17-2008 14:60" << QDateTime();
    }

    void parseDateTimeText()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const QDateTime got = ParseDateTimeText(text);
        QCOMPARE(got.isValid(), expected.isValid());
        if (expected.isValid())
            QCOMPARE(got, expected);
    }

    void isValidFolderName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("letters and blanks") << "My New Folder" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("non-ASCII and dots") << "Übung.2008 (alt)" << true;
        QTest::newRow("double quote is allowed") << "say \"hi\"" << true;
        for (const char *c : {"\\", "/", ":", "*", "?", ">", "<", "|"})
            QTest::addRow("contains %s", c) << QStringLiteral("a%1b").arg(QLatin1String(c)) << false;
        QTest::newRow("only a question mark") << "?" << false;
    }

    void isValidFolderName()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(IsValidFolderName(name), valid);
    }

    void currentUserName()
    {
        QProcess id;
        id.start(QStringLiteral("id"), {QStringLiteral("-un")});
        QVERIFY(id.waitForFinished());
        QCOMPARE(GetCurrentUserName(), QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed());
    }

    void executableFolderIgnoresWorkingDirectory()
    {
        const QString before = ExecutableFolder();
        QTemporaryDir elsewhere;
        const QString oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        const QString after = ExecutableFolder();
        QDir::setCurrent(oldCwd);
        QCOMPARE(after, before);
        QVERIFY(before.endsWith(QLatin1Char('/')));
        QVERIFY(QFileInfo::exists(before + QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    }

    void dosDateTimeRoundTrip_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QDateTime>("expected");
        auto at = [](int y, int mo, int d, int h, int mi, int s) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
        };
        QTest::newRow("first moment") << at(1980, 1, 1, 0, 0, 0) << at(1980, 1, 1, 0, 0, 0);
        QTest::newRow("last moment") << at(2107, 12, 31, 23, 59, 59) << at(2107, 12, 31, 23, 59, 58);
        QTest::newRow("odd second rounds down") << at(2008, 5, 17, 14, 30, 31) << at(2008, 5, 17, 14, 30, 30);
        QTest::newRow("before 1980") << at(1979, 12, 31, 23, 59, 59) << QDateTime();
        QTest::newRow("after 2107") << at(2108, 1, 1, 0, 0, 0) << QDateTime();
        QTest::newRow("invalid") << QDateTime() << QDateTime();
    }

    void dosDateTimeRoundTrip()
    {
        QFETCH(QDateTime, time);
        QFETCH(QDateTime, expected);
        const int32_t packed = DosDateTime::Pack(time);
        if (!expected.isValid()) {
            QCOMPARE(packed, 0);
            return;
        }
        QCOMPARE(DosDateTime::Unpack(packed), expected);
        QCOMPARE(DosDateTime::FromEpochSeconds(time.toSecsSinceEpoch()), packed);
    }

    void dosDateTimeLayoutAndOrder()
    {
        // Year 2008 - 1980 = 28, May, 17th; 14:30:00.
        QCOMPARE(DosDateTime::PackFields(2008, 5, 17, 14, 30, 0),
                 int32_t((28u << 25) | (5u << 21) | (17u << 16) | (14u << 11) | (30u << 5)));
        QCOMPARE(DosDateTime::Pack(ParseDateTimeText(QStringLiteral("05-17-2008 14:30"))),
                 DosDateTime::PackFields(2008, 5, 17, 14, 30, 0));
        // Signed words are chronological up to 2043; from 2044 the sign bit is set.
        QVERIFY(DosDateTime::PackFields(2043, 12, 31, 23, 59, 58) > DosDateTime::PackFields(1980, 1, 1, 0, 0, 0));
        QVERIFY(DosDateTime::PackFields(2044, 1, 1, 0, 0, 0) < 0);
        QVERIFY(!DosDateTime::Unpack(0).isValid());
        QVERIFY(!DosDateTime::Unpack(-1).isValid());
    }
};

QTEST_GUILESS_MAIN(TestSharedFunctions)
#include "tst_sharedfunctions.moc"
