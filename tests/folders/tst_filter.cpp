#include "app/DosDateTime.h"
#include "folders/FileFilter.h"
#include "model/Job.h"

#include <QtTest>

namespace {

using Bounds = QList<qint64>;  // time min, time max, size min, size max; -1 = none
const Bounds None{-1, -1, -1, -1};

FilterBounds ToBounds(const Bounds &b)
{
    return {int32_t(b[0]), int32_t(b[1]), b[2], b[3]};
}

qint64 At(int y, int mo, int d, int h, int mi)
{
    return DosDateTime::PackFields(y, mo, d, h, mi, 0);
}

const qint64 May2008 = At(2008, 5, 17, 14, 30);

}  // namespace

class TestFileFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rules_data()
    {
        QTest::addColumn<QStringList>("include");
        QTest::addColumn<QStringList>("exclude");
        QTest::addColumn<Bounds>("includeBounds");
        QTest::addColumn<Bounds>("excludeBounds");
        QTest::addColumn<int>("hiddenFlag");   // ExcludeHiddenFile
        QTest::addColumn<int>("systemFlag");   // ExcludeSystemFile
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("attr");
        QTest::addColumn<bool>("excluded");
        QTest::addColumn<bool>("included");

        const QStringList none;
        auto row = [&](const char *tag, QStringList inc, QStringList exc, Bounds ib, Bounds eb, int hidden,
                       int system, const char *name, qint64 time, qint64 size, int attr, bool excluded,
                       bool included) {
            QTest::newRow(tag) << inc << exc << ib << eb << hidden << system << QString::fromUtf8(name) << time
                               << size << attr << excluded << included;
        };

        // Name fragments: plain case-sensitive substrings of the name, no wildcards.
        row("no rules", none, none, None, None, 0, 0, "anything.bin", May2008, 5, 32, false, true);
        row("include .txt: notes.txt", {".txt"}, none, None, None, 0, 0, "notes.txt", May2008, 5, 32, false, true);
        row("include .txt: a.txt.bak", {".txt"}, none, None, None, 0, 0, "a.txt.bak", May2008, 5, 32, false, true);
        row("include .txt: NOTES.TXT", {".txt"}, none, None, None, 0, 0, "NOTES.TXT", May2008, 5, 32, false, false);
        row("include *.txt is literal", {"*.txt"}, none, None, None, 0, 0, "a.txt", May2008, 5, 32, false, false);
        row("include ? is literal", {"a?c"}, none, None, None, 0, 0, "abc", May2008, 5, 32, false, false);
        row("second include entry hits", {"zz", ".c"}, none, None, None, 0, 0, "main.c", May2008, 5, 32, false,
            true);
        row("empty include entry never hits", {""}, none, None, None, 0, 0, "a", May2008, 5, 32, false, false);
        row("exclude tmp: tmpfile.doc", none, {"tmp"}, None, None, 0, 0, "tmpfile.doc", May2008, 5, 32, true,
            true);
        row("exclude tmp: x.tmp", none, {"tmp"}, None, None, 0, 0, "x.tmp", May2008, 5, 32, true, true);
        row("exclude tmp: X.TMP", none, {"tmp"}, None, None, 0, 0, "X.TMP", May2008, 5, 32, false, true);
        row("empty exclude entry never hits", none, {""}, None, None, 0, 0, "a", May2008, 5, 32, false, true);
        row("non-ASCII fragment", {"ü"}, none, None, None, 0, 0, "Grüße.odt", May2008, 5, 32, false, true);

        // Bounds are inclusive and signed.
        row("exclude size min: 1023", none, none, None, {-1, -1, 1024, -1}, 0, 0, "f", May2008, 1023, 32, true,
            true);
        row("exclude size min: 1024", none, none, None, {-1, -1, 1024, -1}, 0, 0, "f", May2008, 1024, 32, false,
            true);
        row("exclude size max: 2049", none, none, None, {-1, -1, -1, 2048}, 0, 0, "f", May2008, 2049, 32, true,
            true);
        row("include size range: 99", none, none, {-1, -1, 100, 200}, None, 0, 0, "f", May2008, 99, 32, false,
            false);
        row("include size range: 100", none, none, {-1, -1, 100, 200}, None, 0, 0, "f", May2008, 100, 32, false,
            true);
        row("include size range: 200", none, none, {-1, -1, 100, 200}, None, 0, 0, "f", May2008, 200, 32, false,
            true);
        row("include size range: 201", none, none, {-1, -1, 100, 200}, None, 0, 0, "f", May2008, 201, 32, false,
            false);
        row("9999 MB bound: at it", none, none, {-1, -1, -1, 10484711424LL}, None, 0, 0, "f", May2008,
            10484711424LL, 32, false, true);
        row("9999 MB bound: a byte over", none, none, {-1, -1, -1, 10484711424LL}, None, 0, 0, "f", May2008,
            10484711425LL, 32, false, false);
        row("include time max: that minute", none, none, {-1, May2008, -1, -1}, None, 0, 0, "f", May2008, 5, 32,
            false, true);
        row("include time max: a minute later", none, none, {-1, May2008, -1, -1}, None, 0, 0, "f",
            At(2008, 5, 17, 14, 31), 5, 32, false, false);
        row("exclude time min: older", none, none, None, {May2008, -1, -1, -1}, 0, 0, "f",
            At(2008, 5, 16, 14, 30), 5, 32, true, true);
        row("exclude time max: newer", none, none, None, {-1, May2008, -1, -1}, 0, 0, "f",
            At(2009, 1, 1, 0, 0), 5, 32, true, true);
        row("time words compare signed", none, none, {May2008, -1, -1, -1}, None, 0, 0, "f",
            At(2050, 1, 1, 0, 0), 5, 32, false, false);

        // Attribute flags test their own bit.
        row("hidden flag: hidden", none, none, None, None, 1, 0, ".profile", May2008, 5, 2, true, true);
        row("hidden flag: hidden archive", none, none, None, None, 1, 0, ".profile", May2008, 5, 34, true, true);
        row("hidden flag: read-only hidden", none, none, None, None, 1, 0, ".x", May2008, 5, 35, true, true);
        row("hidden flag: system only", none, none, None, None, 1, 0, "f", May2008, 5, 4, false, true);
        row("system flag: system", none, none, None, None, 0, 1, "f", May2008, 5, 4, true, true);
        row("system flag: system archive", none, none, None, None, 0, 1, "f", May2008, 5, 36, true, true);
        row("system flag: hidden only", none, none, None, None, 0, 1, ".f", May2008, 5, 2, false, true);
        row("flags off: hidden system", none, none, None, None, 0, 0, ".f", May2008, 5, 6, false, true);
        row("FTP entries carry no attributes", none, none, None, None, 1, 1, "f", May2008, 5, 0, false, true);
    }

    void rules()
    {
        QFETCH(QStringList, include);
        QFETCH(QStringList, exclude);
        QFETCH(Bounds, includeBounds);
        QFETCH(Bounds, excludeBounds);
        QFETCH(int, hiddenFlag);
        QFETCH(int, systemFlag);
        QFETCH(QString, name);
        QFETCH(qint64, time);
        QFETCH(qint64, size);
        QFETCH(int, attr);
        QFETCH(bool, excluded);
        QFETCH(bool, included);

        Job job;
        job.IncludeFilterr = include;
        job.ExcludeFilterr = exclude;
        job.IncludeFilter = ToBounds(includeBounds);
        job.ExcludeFilter = ToBounds(excludeBounds);
        job.ExcludeHiddenFile = hiddenFlag;
        job.ExcludeSystemFile = systemFlag;
        const FileFilter filter(job);
        QCOMPARE(filter.IsExcluded(name, int32_t(time), size, attr), excluded);
        QCOMPARE(filter.IsIncluded(name, int32_t(time), size), included);
        QCOMPARE(filter.Passes(name, int32_t(time), size, attr), !excluded && included);
    }

    void readsTheJobAtEachCall()
    {
        Job job;
        const FileFilter filter(job);
        QVERIFY(filter.Passes(QStringLiteral("a.log"), int32_t(May2008), 1, 32));
        job.ExcludeFilterr = {QStringLiteral(".log")};
        QVERIFY(!filter.Passes(QStringLiteral("a.log"), int32_t(May2008), 1, 32));
    }
};

QTEST_GUILESS_MAIN(TestFileFilter)
#include "tst_filter.moc"
