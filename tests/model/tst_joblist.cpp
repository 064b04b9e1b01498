#include "model/JobList.h"

#include <QtTest>

namespace {

std::unique_ptr<Job> MakeJob(const QString &name, const QString &id = QString())
{
    auto t = std::make_unique<Job>();
    t->SyncName = name;
    t->SyncID = id;
    return t;
}

}  // namespace

class TestJobList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addAndDelete()
    {
        JobList list;
        list.AddJob(MakeJob(QStringLiteral("Site"), QStringLiteral("id-1")));
        list.AddJob(MakeJob(QStringLiteral("Photos")));
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.JobAt(0)->ListState, 2);
        QCOMPARE(list.TextAt(0), QStringLiteral("id-1"));

        list.MarkJobDeleted(0);
        list.MarkJobDeleted(-1);
        list.MarkJobDeleted(2);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.JobAt(0)->ListState, 1);  // kept, only marked
        QCOMPARE(list.JobAt(1)->ListState, 2);
        QVERIFY(list.JobNameExists(QStringLiteral("Site")));
        QVERIFY(!list.JobAt(-1));
        QVERIFY(!list.JobAt(2));
    }

    void taskNameExists_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("exists");
        QTest::newRow("same") << "Site" << "Site" << true;
        QTest::newRow("blanks around the question") << "Site" << "  Site " << true;
        QTest::newRow("blanks around the stored name") << " Site  " << "Site" << true;
        QTest::newRow("other case") << "Site" << "site" << false;
        QTest::newRow("inner blanks count") << "My Site" << "My  Site" << false;
        QTest::newRow("prefix only") << "Site backup" << "Site" << false;
    }

    void taskNameExists()
    {
        QFETCH(QString, stored);
        QFETCH(QString, asked);
        QFETCH(bool, exists);
        JobList list;
        QVERIFY(!list.JobNameExists(asked));
        list.AddJob(MakeJob(stored));
        QCOMPARE(list.JobNameExists(asked), exists);
    }
};

QTEST_GUILESS_MAIN(TestJobList)
#include "tst_joblist.moc"
