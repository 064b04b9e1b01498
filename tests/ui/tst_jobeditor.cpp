#include "app/DosDateTime.h"
#include "model/JobList.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/StoredDifferences.h"
#include "tests/ui/DriveWidgets.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/JobEditor.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/widgets/ImageButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

std::unique_ptr<Job> job(const QString &name)
{
    auto t = std::make_unique<Job>();
    t->SyncName = name;
    t->LFolder.DeviceType = 1;
    t->LFolder.FolerAllName = QStringLiteral("/data/left");
    t->RFolder.DeviceType = 3;
    t->RFolder.FolerAllName = QStringLiteral("ftp://server/pub");
    return t;
}

// A job whose every field differs from a new job's, with values the editor shows rounded.
std::unique_ptr<Job> unusualJob()
{
    auto t = job(QStringLiteral(" Spaced Job "));
    t->SyncID = QStringLiteral("{ID-1}");
    t->LFolder.validate = 7;
    t->LFolder.PrivateKey = QStringLiteral("k");
    t->RFolder.UserName = QStringLiteral("u");
    t->RFolder.PWD = QStringLiteral("p w");
    t->RFolder.ActiveMode = 1;
    t->RFolder.FactTime = 2;
    t->SyncDirection = 2;
    t->ForcedOrVerified = 3;
    t->IsDeleteFile = 1;
    t->SaveOldFile = 1;
    t->UseTempFile = 1;
    t->CheckNoChange = 4;
    t->EstimateDiskSpace = 1;
    t->IncludeFilterr = {QStringLiteral(".txt"), QStringLiteral(" spaced ")};
    t->ExcludeFilterr = {QStringLiteral("tmp")};
    t->ExcludeEmtpyFolder = 1;
    t->ExcludeHiddenFile = 1;
    t->ExcludeSystemFile = 1;
    t->ExcludeFilter = {0, DosDateTime::PackFields(2009, 3, 15, 14, 5, 7), 1025, 5000000};
    t->IncludeFilter = {-1, 12345, 10484711424LL, 1048577};
    t->StartAnalyze = 1;
    t->ConnectSync = 1;
    t->LogoffAnalyze = 1;
    t->PeriodAnalyze = 1;
    t->Hours = -1;
    t->minutes = 45;
    t->TSsync = 5;
    t->TSanalyze = 6;
    t->TaskScheduler = QStringLiteral("sched");
    t->Conflicts = 8;
    t->EnsureFolderTags = 9;
    return t;
}

struct Editor {
    explicit Editor(JobList &jobs, int index = -1) : form(jobs), list(jobs)
    {
        form.SetJobIndex(index);
        form.show();
    }
    template <class T>
    T *get(const char *name) { return control<T>(form, name); }
    // As the user does before touching a page's controls.
    void page(int index) { click(get<ImageButton>(qPrintable(QStringLiteral("PageButton%1").arg(index)))); }
    // OK for a new job, and the job to the list as the main window does.
    void ok()
    {
        click(get<ImageButton>("OkButton"));
        if (std::unique_ptr<Job> made = form.TakeNewJob())
            list.AddJob(std::move(made));
    }
    JobEditor form;
    JobList &list;
};

}  // namespace

class TestJobEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newJobDefaults()
    {
        JobList jobs;
        Editor e(jobs);
        QCOMPARE(e.form.CurrentPage(), 0);
        QVERIFY(e.get<QRadioButton>("rb_sync")->isChecked());
        QCOMPARE(e.get<QComboBox>("cb_syncdirect")->currentIndex(), -1);
        QVERIFY(e.get<ImageButton>("OkButton")->isVisible());
        QVERIFY(!e.get<ImageButton>("ApplyButton")->isVisible());
        QVERIFY(e.get<QLineEdit>("edit_taskname")->isEnabled());
        for (QCheckBox *box : e.form.findChildren<QCheckBox *>())
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        for (const char *unit : {"Edit_exfilesizemin_b", "Edit_exfilesizemax_b", "Edit_infilesizemin_b", "Edit_infilesizemax_b"}) {
            QCOMPARE(e.get<QComboBox>(unit)->currentText(), QStringLiteral("B"));
            QVERIFY(!e.get<QComboBox>(unit)->isEnabled());
        }
        for (const char *time : {"edit_exfiletimemin", "edit_exfiletimemax", "edit_infiletimemin", "edit_infiletimemax"}) {
            QCOMPARE(e.get<QLineEdit>(time)->text(), QStringLiteral("01-01-1980 00:00"));
            QVERIFY(!e.get<QLineEdit>(time)->isEnabled());
        }
        QCOMPARE(e.get<QSpinBox>("edit_hours")->text(), QStringLiteral("2"));
        QCOMPARE(e.get<QSpinBox>("edit_minutes")->text(), QStringLiteral("0"));
        QVERIFY(!e.get<QSpinBox>("edit_hours")->isEnabled());
        for (const char *list : {"vedit_exclude", "vedit_include"}) {
            QCOMPARE(e.get<QTableWidget>(list)->rowCount(), 1);
            QCOMPARE(e.get<QTableWidget>(list)->item(0, 0)->text(), QStringLiteral("0"));
        }

        type(e.get<QLineEdit>("edit_taskname"), QStringLiteral("Job1"));
        e.ok();
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.Count(), 1);
        const Job &made = *jobs.JobAt(0);
        Job expected;
        expected.SyncName = QStringLiteral("Job1");
        expected.LFolder.DeviceType = 1;
        expected.RFolder.DeviceType = 3;
        expected.Hours = 2;
        expected.minutes = 0;
        QCOMPARE(StoredDifferences(made, expected), QStringList());
        QCOMPARE(made.ListState, 2);
    }

    // Nothing the editor does not show changes, and shown values that it rounds keep their
    // exact stored value.
    void applyWithoutEditsChangesNothing()
    {
        JobList jobs;
        jobs.AddJob(unusualJob());
        Job before;
        before.AssignFrom(*jobs.JobAt(0));
        Editor e(jobs, 0);
        QVERIFY(!e.get<QLineEdit>("edit_taskname")->isEnabled());
        QVERIFY(!e.get<ImageButton>("OkButton")->isVisible());
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        QCOMPARE(StoredDifferences(*jobs.JobAt(0), before), QStringList());
    }

    void direction_data()
    {
        QTest::addColumn<int>("stored");  // -1: a new job
        QTest::addColumn<QString>("shownMode");
        QTest::addColumn<int>("shownItem");
        QTest::addColumn<QString>("clickMode");  // "" leaves the mode
        QTest::addColumn<int>("pickItem");       // -1 leaves the direction box
        QTest::addColumn<int>("expected");

        QTest::newRow("new job, Backup gives Left to Right") << -1 << "rb_sync" << -1 << "rb_backup" << -1 << 1;
        QTest::newRow("stored 2 opens Right to Left") << 2 << "rb_backup" << 1 << "" << -1 << 2;
        QTest::newRow("stored 1 opens Left to Right") << 1 << "rb_backup" << 0 << "" << -1 << 1;
        QTest::newRow("Left to Right turned around") << 1 << "rb_backup" << 0 << "" << 1 << 2;
        QTest::newRow("Synchronize stores 0") << 2 << "rb_backup" << 1 << "rb_sync" << -1 << 0;
        QTest::newRow("box counts only under Backup") << 0 << "rb_sync" << -1 << "" << 1 << 0;
        QTest::newRow("Backup after Synchronize takes the stored way") << 2 << "rb_backup" << 1 << "rb_sync+rb_backup"
                                                                        << -1 << 2;
    }

    void direction()
    {
        QFETCH(int, stored);
        QFETCH(QString, shownMode);
        QFETCH(int, shownItem);
        QFETCH(QString, clickMode);
        QFETCH(int, pickItem);
        QFETCH(int, expected);

        JobList jobs;
        if (stored >= 0) {
            jobs.AddJob(job(QStringLiteral("J")));
            jobs.JobAt(0)->SyncDirection = stored;
        }
        Editor e(jobs, stored >= 0 ? 0 : -1);
        QVERIFY(e.get<QRadioButton>(qPrintable(shownMode))->isChecked());
        QCOMPARE(e.get<QComboBox>("cb_syncdirect")->currentIndex(), shownItem);
        for (const QString &mode : clickMode.split(QLatin1Char('+'), Qt::SkipEmptyParts))
            click(e.get<QRadioButton>(qPrintable(mode)));
        if (pickItem >= 0)
            e.get<QComboBox>("cb_syncdirect")->setCurrentIndex(pickItem);
        if (stored < 0) {
            type(e.get<QLineEdit>("edit_taskname"), QStringLiteral("New"));
            e.ok();
        } else {
            click(e.get<ImageButton>("ApplyButton"));
        }
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->SyncDirection, expected);
    }

    void sizeBound_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("shownValue");  // "" with the box unchecked
        QTest::addColumn<QString>("shownUnit");
        QTest::addColumn<QString>("enter");       // "-" leaves the value; "off" unchecks
        QTest::addColumn<QString>("unit");
        QTest::addColumn<qint64>("expected");

        QTest::newRow("1024 bytes") << 1024LL << "1024" << "B" << "-" << "" << 1024LL;
        QTest::newRow("1025 shows 1 KB, kept") << 1025LL << "1" << "KB" << "-" << "" << 1025LL;
        QTest::newRow("1048576 shows 1024 KB") << 1048576LL << "1024" << "KB" << "-" << "" << 1048576LL;
        QTest::newRow("5000000 shows 4 MB, kept") << 5000000LL << "4" << "MB" << "-" << "" << 5000000LL;
        QTest::newRow("unit changed") << 1025LL << "1" << "KB" << "-" << "B" << 1LL;
        QTest::newRow("same number typed again") << 1025LL << "1" << "KB" << "1" << "KB" << 1025LL;
        QTest::newRow("9999 MB") << -1LL << "" << "B" << "9999" << "MB" << 10484711424LL;
        QTest::newRow("1 KB") << -1LL << "" << "B" << "1" << "KB" << 1024LL;
        QTest::newRow("checked but empty keeps no bound") << -1LL << "" << "B" << "" << "" << -1LL;
        QTest::newRow("emptied keeps the bound") << 2048LL << "2" << "KB" << "" << "" << 2048LL;
        QTest::newRow("unchecked") << 1024LL << "1024" << "B" << "off" << "" << -1LL;
        QTest::newRow("zero") << 0LL << "0" << "B" << "-" << "" << 0LL;
    }

    void sizeBound()
    {
        QFETCH(qint64, stored);
        QFETCH(QString, shownValue);
        QFETCH(QString, shownUnit);
        QFETCH(QString, enter);
        QFETCH(QString, unit);
        QFETCH(qint64, expected);

        JobList jobs;
        jobs.AddJob(job(QStringLiteral("J")));
        jobs.JobAt(0)->IncludeFilter.FileSizeMax = stored;
        Editor e(jobs, 0);
        e.page(1);
        auto *box = e.get<QCheckBox>("cb_infilesizemax");
        auto *value = e.get<QLineEdit>("Edit_infilesizemax");
        auto *units = e.get<QComboBox>("Edit_infilesizemax_b");
        QCOMPARE(box->isChecked(), stored != -1);
        QCOMPARE(value->isEnabled(), stored != -1);
        QCOMPARE(value->text(), shownValue);
        QCOMPARE(units->currentText(), shownUnit);

        if (enter == QLatin1String("off")) {
            click(box);
        } else {
            if (!box->isChecked())
                click(box);
            if (enter != QLatin1String("-"))
                type(value, enter);
            if (!unit.isEmpty())
                units->setCurrentText(unit);
        }
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->IncludeFilter.FileSizeMax, expected);
    }

    // Each of the eight bound controls shows and stores its own field.
    void boundsEachTheirField()
    {
        JobList jobs;
        jobs.AddJob(job(QStringLiteral("J")));
        Job &t = *jobs.JobAt(0);
        t.ExcludeFilter = {DosDateTime::PackFields(2001, 1, 1, 1, 1, 0), DosDateTime::PackFields(2002, 2, 2, 2, 2, 0), 1, 2};
        t.IncludeFilter = {DosDateTime::PackFields(2003, 3, 3, 3, 3, 0), DosDateTime::PackFields(2004, 4, 4, 4, 4, 0), 3, 4};
        Editor e(jobs, 0);
        e.page(1);
        const char *sizes[] = {"Edit_exfilesizemin", "Edit_exfilesizemax", "Edit_infilesizemin", "Edit_infilesizemax"};
        const char *times[] = {"edit_exfiletimemin", "edit_exfiletimemax", "edit_infiletimemin", "edit_infiletimemax"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(e.get<QLineEdit>(sizes[i])->text(), QString::number(i + 1));
            QCOMPARE(e.get<QLineEdit>(times[i])->text(), QStringLiteral("0%1-0%1-200%1 0%1:0%1").arg(i + 1));
            type(e.get<QLineEdit>(sizes[i]), QString::number(10 + i));
            type(e.get<QLineEdit>(times[i]), QStringLiteral("0%1-1%1-201%1 1%1:3%1").arg(i + 5));
        }
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        const int64_t s[] = {t.ExcludeFilter.FileSizeMin, t.ExcludeFilter.FileSizeMax, t.IncludeFilter.FileSizeMin,
                             t.IncludeFilter.FileSizeMax};
        const int32_t m[] = {t.ExcludeFilter.FileTimeMin, t.ExcludeFilter.FileTimeMax, t.IncludeFilter.FileTimeMin,
                             t.IncludeFilter.FileTimeMax};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(s[i], int64_t(10 + i));
            QCOMPARE(m[i], DosDateTime::PackFields(2015 + i, 5 + i, 15 + i, 15 + i, 35 + i, 0));
        }
    }

    void timeBound_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("enter");  // "-" leaves it; "off" unchecks
        QTest::addColumn<int>("expected");

        const int march15 = DosDateTime::PackFields(2009, 3, 15, 14, 5, 0);
        QTest::newRow("shown as MM-DD-YYYY hh:mm") << march15 << "03-15-2009 14:05" << "-" << march15;
        QTest::newRow("seconds kept when untouched") << march15 + 3 << "03-15-2009 14:05" << "-" << march15 + 3;
        QTest::newRow("stored 0 shows the first date, kept") << 0 << "01-01-1980 00:00" << "-" << 0;
        QTest::newRow("entered") << -1 << "01-01-1980 00:00" << "031520091405" << march15;
        QTest::newRow("before 1980 stores 0") << -1 << "01-01-1980 00:00" << "123119792359" << 0;
        QTest::newRow("unchecked") << march15 << "03-15-2009 14:05" << "off" << -1;
    }

    void timeBound()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(QString, enter);
        QFETCH(int, expected);

        JobList jobs;
        jobs.AddJob(job(QStringLiteral("J")));
        jobs.JobAt(0)->ExcludeFilter.FileTimeMin = stored;
        Editor e(jobs, 0);
        e.page(1);
        auto *box = e.get<QCheckBox>("cb_exfiletimemin");
        auto *edit = e.get<QLineEdit>("edit_exfiletimemin");
        QCOMPARE(box->isChecked(), stored != -1);
        QCOMPARE(edit->text(), shown);
        if (enter == QLatin1String("off")) {
            click(box);
            QVERIFY(!edit->isEnabled());
        } else if (enter != QLatin1String("-")) {
            click(box);
            QVERIFY(edit->isEnabled());
            type(edit, enter);
        }
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->ExcludeFilter.FileTimeMin, expected);
    }

    void periodCoupling()
    {
        JobList jobs;
        Editor e(jobs);
        e.page(2);
        auto *syncPeriod = e.get<QCheckBox>("cb_syncperiod");
        auto *anaPeriod = e.get<QCheckBox>("cb_anaperiod");
        auto *hours = e.get<QSpinBox>("edit_hours");
        auto *minutes = e.get<QSpinBox>("edit_minutes");
        click(syncPeriod);
        QVERIFY(anaPeriod->isChecked());
        QVERIFY(!anaPeriod->isEnabled());
        QVERIFY(hours->isEnabled() && minutes->isEnabled());
        click(syncPeriod);
        QVERIFY(anaPeriod->isChecked());
        QVERIFY(anaPeriod->isEnabled());
        click(anaPeriod);
        QVERIFY(!hours->isEnabled() && !minutes->isEnabled());
        QCOMPARE(hours->text(), QStringLiteral("0"));
        QCOMPARE(minutes->text(), QStringLiteral("0"));
    }

    void periodStorage_data()
    {
        QTest::addColumn<int>("storedHours");
        QTest::addColumn<int>("storedMinutes");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");

        QTest::newRow("unchecking stores 0 and 0") << 5 << 30 << "uncheck" << 0 << 0;
        QTest::newRow("emptied hours store -1") << 5 << 30 << "empty hours" << -1 << 30;
        QTest::newRow("typed") << 5 << 30 << "type 123 59" << 123 << 59;
        QTest::newRow("stored -1 shown as 2, kept") << -1 << -1 << "" << -1 << -1;
        QTest::newRow("stored -1, typed 2 again") << -1 << 10 << "type 2 10" << -1 << 10;
        QTest::newRow("stored -1, typed 3") << -1 << 10 << "type 3 10" << 3 << 10;
    }

    void periodStorage()
    {
        QFETCH(int, storedHours);
        QFETCH(int, storedMinutes);
        QFETCH(QString, action);
        QFETCH(int, hours);
        QFETCH(int, minutes);

        JobList jobs;
        jobs.AddJob(job(QStringLiteral("J")));
        Job &t = *jobs.JobAt(0);
        t.PeriodAnalyze = 1;
        t.Hours = storedHours;
        t.minutes = storedMinutes;
        Editor e(jobs, 0);
        e.page(2);
        auto *hoursEdit = e.get<QSpinBox>("edit_hours");
        auto *minutesEdit = e.get<QSpinBox>("edit_minutes");
        QCOMPARE(hoursEdit->text(), storedHours < 0 ? QStringLiteral("2") : QString::number(storedHours));
        if (action == QLatin1String("uncheck")) {
            click(e.get<QCheckBox>("cb_anaperiod"));
        } else if (action == QLatin1String("empty hours")) {
            type(hoursEdit->findChild<QLineEdit *>(), QString());
        } else if (action.startsWith(QLatin1String("type"))) {
            const QStringList v = action.split(QLatin1Char(' '));
            type(hoursEdit->findChild<QLineEdit *>(), v.at(1));
            type(minutesEdit->findChild<QLineEdit *>(), v.at(2));
        }
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        QCOMPARE(t.Hours, hours);
        QCOMPARE(t.minutes, minutes);
    }

    void newJobName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");  // "" no message
        QTest::addColumn<bool>("stored");

        const QString taken = QStringLiteral("A job of that name exists; give the new job another name.");
        QTest::newRow("taken after trimming") << " Job1" << taken << false;
        QTest::newRow("other case is free") << "job1" << "" << true;
        QTest::newRow("deleted job's name is taken") << "Gone" << taken << false;
        QTest::newRow("stored as typed") << " New " << "" << true;
        QTest::newRow("empty is asked for") << "" << "Type a name for the job" << false;
        QTest::newRow("slash") << "a/b" << "cannot be used" << false;
        QTest::newRow("colon") << "a:b" << "cannot be used" << false;
        QTest::newRow("double quote") << "a\"b" << "cannot be used" << false;
        QTest::newRow("dot dot") << ".." << "cannot be used" << false;
        QTest::newRow("only blanks") << "   " << "cannot be used" << false;
        QTest::newRow("control character") << QStringLiteral("a\x01z") << "cannot be used" << false;
        QTest::newRow("tab") << QStringLiteral("a\tz") << "cannot be used" << false;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x") << "cannot be used" << false;
        QTest::newRow("letters beyond the BMP") << QStringLiteral("Job \U0001F600") << "" << true;
    }

    void newJobName()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QFETCH(bool, stored);

        JobList jobs;
        jobs.AddJob(job(QStringLiteral("Job1")));
        jobs.AddJob(job(QStringLiteral("Gone")));
        jobs.MarkJobDeleted(1);
        Editor e(jobs);
        e.form.ShowPage(2);
        auto *edit = e.get<QLineEdit>("edit_taskname");
        edit->setText(name);
        BoxSeen seen;
        QObject *answer = AnswerNextBox(seen);
        e.ok();
        if (!seen.shown)
            delete answer;
        QCOMPARE(seen.shown, !message.isEmpty());
        if (seen.shown) {
            QVERIFY2(seen.text.contains(message), qPrintable(seen.text));
            QCOMPARE(seen.caption, QStringLiteral("Corvane"));
            QCOMPARE(e.form.CurrentPage(), 0);
            QCOMPARE(e.form.focusWidget(), edit);
        }
        QCOMPARE(e.form.Result(), stored);
        QCOMPARE(jobs.Count(), stored ? 3 : 2);
        if (stored)
            QCOMPARE(jobs.JobAt(2)->SyncName, name);
    }

    // A field that cannot be stored is named, and nothing of the job changes, also the
    // fields read before it.
    void badFieldLeavesJobUntouched_data()
    {
        QTest::addColumn<QString>("timeText");
        QTest::newRow("month 13") << "132020101000";
        QTest::newRow("February 30") << "023020201000";
        QTest::newRow("blank digits") << "";
    }

    void badFieldLeavesJobUntouched()
    {
        QFETCH(QString, timeText);
        JobList jobs;
        jobs.AddJob(unusualJob());
        Job before;
        before.AssignFrom(*jobs.JobAt(0));
        Editor e(jobs, 0);
        click(e.get<QRadioButton>("rb_sync"));
        click(e.get<QCheckBox>("cb_savepv"));
        e.page(1);
        e.get<QTableWidget>("vedit_exclude")->item(0, 1)->setText(QStringLiteral("changed"));
        type(e.get<QLineEdit>("Edit_exfilesizemin"), QStringLiteral("7"));
        auto *time = e.get<QLineEdit>("edit_infiletimemax");
        type(time, timeText);
        e.form.ShowPage(0);

        BoxSeen seen;
        AnswerNextBox(seen);
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(seen.shown);
        QVERIFY2(seen.text.contains(QStringLiteral("modified before")) && seen.text.contains(QStringLiteral("Included")),
                 qPrintable(seen.text));
        QVERIFY(e.form.isVisible());
        QVERIFY(!e.form.Result());
        QCOMPARE(e.form.CurrentPage(), 1);
        QCOMPARE(e.form.focusWidget(), time);
        QCOMPARE(StoredDifferences(*jobs.JobAt(0), before), QStringList());

        type(time, QStringLiteral("010220201000"));
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->IncludeFilter.FileTimeMax, DosDateTime::PackFields(2020, 1, 2, 10, 0, 0));
        QCOMPARE(jobs.JobAt(0)->SyncDirection, 0);
        QCOMPARE(jobs.JobAt(0)->ExcludeFilter.FileSizeMin, 7 * 1024);  // the unit shown stays KB
    }

    void nameLists()
    {
        JobList jobs;
        jobs.AddJob(job(QStringLiteral("J")));
        jobs.JobAt(0)->ExcludeFilterr = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        Editor e(jobs, 0);
        e.page(1);
        auto *exclude = e.get<QTableWidget>("vedit_exclude");
        auto *include = e.get<QTableWidget>("vedit_include");
        QCOMPARE(exclude->rowCount(), 3);
        exclude->item(1, 1)->setText(QStringLiteral("  "));

        click(e.get<ImageButton>("bt_addinclude"));
        click(e.get<ImageButton>("bt_addinclude"));
        QCOMPARE(include->rowCount(), 3);
        QCOMPARE(include->item(2, 0)->text(), QStringLiteral("2"));
        include->item(0, 1)->setText(QStringLiteral("first"));
        include->item(1, 1)->setText(QStringLiteral("gone"));
        include->item(2, 1)->setText(QStringLiteral(" third "));
        include->setCurrentCell(1, 1);
        click(e.get<ImageButton>("bt_delinclude"));
        QCOMPARE(include->rowCount(), 2);
        QCOMPARE(include->item(1, 0)->text(), QStringLiteral("1"));

        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->ExcludeFilterr, QStringList({QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(jobs.JobAt(0)->IncludeFilterr, QStringList({QStringLiteral("first"), QStringLiteral(" third ")}));
    }

    // The chooser works on a copy: its OK changes the editor, and only the editor's own OK
    // or Apply changes the job.
    void chosenFolderStoredOnlyByApply_data()
    {
        QTest::addColumn<bool>("apply");
        QTest::newRow("cancel") << false;
        QTest::newRow("apply") << true;
    }

    void chosenFolderStoredOnlyByApply()
    {
        QFETCH(bool, apply);
        QTemporaryDir dir;
        JobList jobs;
        jobs.AddJob(job(QStringLiteral("J")));
        Editor e(jobs, 0);
        WhenShown<LocalFolderChooser>([&dir](LocalFolderChooser *chooser) {
            control<QLineEdit>(*chooser, "Edit_Address")->setText(dir.path());
            click(control<ImageButton>(*chooser, "OkButton"));
        });
        click(e.get<ImageButton>("bt_lbrowse"));
        QCOMPARE(e.get<QLineEdit>("edit_lfolder")->text(), dir.path());
        QCOMPARE(jobs.JobAt(0)->LFolder.FolerAllName, QStringLiteral("/data/left"));
        click(e.get<ImageButton>(apply ? "ApplyButton" : "CancelButton"));
        QCOMPARE(e.form.Result(), apply);
        QCOMPARE(jobs.JobAt(0)->LFolder.FolerAllName, apply ? dir.path() : QStringLiteral("/data/left"));
        QCOMPARE(jobs.JobAt(0)->LFolder.DeviceType, 1);
    }

    // The right side can be made a local folder, and back an FTP folder.
    void rightSideKind()
    {
        QTemporaryDir dir;
        JobList jobs;
        Editor e(jobs);
        type(e.get<QLineEdit>("edit_taskname"), QStringLiteral("Local both"));
        QStringList offered;
        QString preselected;
        WhenShown<QMenu>(
            [&](QMenu *menu) {
                for (QAction *a : menu->actions())
                    offered << a->text();
                preselected = menu->activeAction() ? menu->activeAction()->text() : QString();
                menu->setActiveAction(menu->actions().at(0));
                QTest::keyClick(menu, Qt::Key_Return);
            },
            true);
        WhenShown<LocalFolderChooser>([&dir](LocalFolderChooser *chooser) {
            control<QLineEdit>(*chooser, "Edit_Address")->setText(dir.path());
            click(control<ImageButton>(*chooser, "OkButton"));
        });
        click(e.get<ImageButton>("bt_rbrowse"));
        QCOMPARE(offered, QStringList({QStringLiteral("Local folder"), QStringLiteral("FTP folder"),
                                       QStringLiteral("FTP over TLS folder"), QStringLiteral("SFTP folder")}));
        QCOMPARE(preselected, QStringLiteral("FTP folder"));
        QCOMPARE(e.get<QLineEdit>("edit_rfolder")->text(), dir.path());
        e.ok();
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->RFolder.DeviceType, 1);
        QCOMPARE(jobs.JobAt(0)->RFolder.FolerAllName, dir.path());
        QCOMPARE(jobs.JobAt(0)->LFolder.DeviceType, 1);
    }

    // A remote kind is the address's scheme: host and path stay when only the transport
    // changes, the example shows that scheme, and the key file (with a Browse button) is
    // asked for SFTP alone.
    void rightSideTransport_data()
    {
        QTest::addColumn<int>("kind");  // index in the menu
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("keyFile");
        QTest::newRow("FTP") << 1 << "ftp://host.example/pub" << false;
        QTest::newRow("FTP over TLS") << 2 << "ftps://host.example/pub" << false;
        QTest::newRow("SFTP") << 3 << "sftp://host.example/pub" << true;
    }
    void rightSideTransport()
    {
        QFETCH(int, kind);
        QFETCH(QString, address);
        QFETCH(bool, keyFile);
        JobList jobs;
        Editor e(jobs);
        type(e.get<QLineEdit>("edit_taskname"), QStringLiteral("Remote"));
        type(e.get<QLineEdit>("edit_rfolder"), QStringLiteral("ftp://host.example/pub"));
        WhenShown<QMenu>(
            [kind](QMenu *menu) {
                menu->setActiveAction(menu->actions().at(kind));
                QTest::keyClick(menu, Qt::Key_Return);
            },
            true);
        QString shown;
        QString example;
        bool keyRowShown = false;
        bool browseShown = false;
        const QImage browse = e.get<ImageButton>("bt_rbrowse")->PicNormal().toImage();
        WhenShown<FtpFolderChooser>([&](FtpFolderChooser *chooser) {
            shown = control<QLineEdit>(*chooser, "Edit_ftpip")->text();
            example = control<QLabel>(*chooser, "lb_ftpexample")->text();
            keyRowShown = control<QLineEdit>(*chooser, "Edit_keyfile")->isVisible()
                          && control<ImageButton>(*chooser, "bt_keyfile")->isVisible();
            // The key file's button looks like every other Browse button.
            browseShown = control<ImageButton>(*chooser, "bt_keyfile")->PicNormal().toImage() == browse;
            if (keyRowShown)
                control<QLineEdit>(*chooser, "Edit_keyfile")->setText(QStringLiteral("/home/me/.ssh/id_ed25519"));
            click(control<ImageButton>(*chooser, "OkButton"));
        });
        click(e.get<ImageButton>("bt_rbrowse"));
        QCOMPARE(shown, address);
        QVERIFY2(example.startsWith("For example " + address.section(':', 0, 0) + "://"), qPrintable(example));
        QCOMPARE(keyRowShown, keyFile);
        QVERIFY(browseShown);
        QCOMPARE(e.get<QLineEdit>("edit_rfolder")->text(), address);
        e.ok();
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->RFolder.DeviceType, 3);
        QCOMPARE(jobs.JobAt(0)->RFolder.FolerAllName, address);
        QCOMPARE(jobs.JobAt(0)->RFolder.PrivateKey, keyFile ? QStringLiteral("/home/me/.ssh/id_ed25519") : QString());
    }

    // Folders may be typed or pasted. The right field's text says its kind; a left folder that
    // is not there is made only when the user says so, and No keeps the editor open.
    void typedFolders_data()
    {
        QTest::addColumn<QString>("right");      // typed; "<dir>" stands for an existing folder
        QTest::addColumn<QString>("stored");     // the right side's stored address
        QTest::addColumn<int>("kind");
        QTest::newRow("host and port") << "ftp.example.com:2121/pub/" << "ftp://ftp.example.com:2121/pub" << 3;
        QTest::newRow("full address") << "FTP://Host/Pub" << "ftp://Host/Pub" << 3;
        QTest::newRow("FTP over TLS") << "FTPS://Host:990/Pub/" << "ftps://Host:990/Pub" << 3;
        QTest::newRow("SFTP, absolute path") << "sftp://Host/home/me/site" << "sftp://Host/home/me/site" << 3;
        QTest::newRow("local folder") << "<dir>" << "<dir>" << 1;
    }
    void typedFolders()
    {
        QFETCH(QString, right);
        QFETCH(QString, stored);
        QFETCH(int, kind);
        QTemporaryDir dir;
        right.replace("<dir>", dir.path());
        stored.replace("<dir>", dir.path());
        const QString left = dir.filePath(QStringLiteral("new/left"));
        JobList jobs;
        Editor e(jobs);
        type(e.get<QLineEdit>("edit_taskname"), QStringLiteral("Typed"));
        type(e.get<QLineEdit>("edit_lfolder"), left);
        type(e.get<QLineEdit>("edit_rfolder"), right);

        BoxSeen asked;
        AnswerNextBox(QMessageBox::No, &asked);
        e.ok();
        QCOMPARE(asked.text, QStringLiteral("The left folder \"%1\" does not exist. Create it?").arg(left));
        QVERIFY(!e.form.Result());
        QVERIFY(!QFileInfo::exists(left));
        QCOMPARE(jobs.Count(), 0);

        AnswerNextBox(QMessageBox::Yes);
        e.ok();
        QVERIFY(e.form.Result());
        QVERIFY(QFileInfo(left).isDir());
        QCOMPARE(jobs.JobAt(0)->LFolder.FolerAllName, left);
        QCOMPARE(jobs.JobAt(0)->RFolder.FolerAllName, stored);
        QCOMPARE(jobs.JobAt(0)->RFolder.DeviceType, kind);
    }

    void runningJobRefused()
    {
        JobList jobs;
        jobs.AddJob(unusualJob());
        Job before;
        before.AssignFrom(*jobs.JobAt(0));
        bool running = true;
        {
            JobEditor form(jobs);
            form.SetJobIndex(0);
            form.SetRunCheck([&running] { return running; });
            BoxSeen seen;
            AnswerNextBox(seen);
            QCOMPARE(form.exec(), int(QDialog::Rejected));
            QVERIFY(seen.shown);
            QVERIFY(!form.Result());
        }
        // A run that starts while the editor is open.
        running = false;
        Editor e(jobs, 0);
        e.form.SetRunCheck([&running] { return running; });
        click(e.get<QCheckBox>("cb_savepv"));
        running = true;
        BoxSeen seen;
        AnswerNextBox(seen);
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(seen.shown);
        QVERIFY(e.form.isVisible());
        QCOMPARE(StoredDifferences(*jobs.JobAt(0), before), QStringList());
        running = false;
        click(e.get<ImageButton>("ApplyButton"));
        QVERIFY(e.form.Result());
        QCOMPARE(jobs.JobAt(0)->SaveOldFile, 0);
    }

    void pages()
    {
        JobList jobs;
        Editor e(jobs);
        for (int page : {2, 1, 0}) {
            click(e.get<ImageButton>(qPrintable(QStringLiteral("PageButton%1").arg(page))));
            QCOMPARE(e.form.CurrentPage(), page);
            for (int i = 0; i < 3; ++i) {
                const QColor colour = e.get<QLabel>(qPrintable(QStringLiteral("PageLabel%1").arg(i)))
                                          ->palette().color(QPalette::WindowText);
                QCOMPARE(colour == QColor(38, 87, 136), i == page);
            }
        }
    }
};

WIDGET_TEST_MAIN(TestJobEditor)
#include "tst_jobeditor.moc"
