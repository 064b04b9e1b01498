#include "app/Settings.h"
#include "platform/Registry.h"
#include "platform/RunAtLogon.h"
#include "platform/SchedulingAgent.h"
#include "scheduling/ScheduledStarts.h"
#include "tests/support/ModalAnswer.h"
#include "tests/support/RecordingSystemctl.h"
#include "tests/support/TempConfigHome.h"
#include "ui/config/OptionsDialog.h"
#include "ui/config/ScheduleDialog.h"
#include "ui/widgets/ImageButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

const QString SettingsKey = QStringLiteral("\\Software\\Corvane");

void Click(QWidget *w)
{
    QVERIFY(w->isVisible());
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

QStringList Rows(QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *r = list->topLevelItem(i);
        rows << r->text(0) + QLatin1Char('|') + r->text(1);
    }
    return rows;
}

}  // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

    WorkItem Item(const QString &application)
    {
        WorkItem item;
        item.ApplicationName = application;
        item.Trigger.TriggerType = WorkItemTrigger::Daily;
        item.Trigger.DaysInterval = 1;
        item.Trigger.BeginDate = QDate::currentDate();
        return item;
    }

private Q_SLOTS:
    void init()
    {
        m_config = std::make_unique<TempConfigHome>();
        m_systemctl = std::make_unique<RecordingSystemctl>();
    }
    void cleanup()
    {
        m_systemctl.reset();
        m_config.reset();
    }

    void runAtLogonBox_data()
    {
        QTest::addColumn<QString>("entryProgram");  // empty: no entry
        QTest::addColumn<bool>("checked");
        const QString self = QCoreApplication::applicationFilePath();
        QTest::newRow("no entry") << QString() << false;
        QTest::newRow("this program") << self << true;
        QTest::newRow("other letter case") << self.toUpper() << false;
        QTest::newRow("another program") << QStringLiteral("/usr/bin/true") << false;
    }

    void runAtLogonBox()
    {
        QFETCH(QString, entryProgram);
        QFETCH(bool, checked);
        if (!entryProgram.isEmpty())
            QVERIFY(RunAtLogon::Write(entryProgram));
        Settings settings;
        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        QCOMPARE(f.ChkRun->isChecked(), checked);

        // Apply with the box checked makes the entry start exactly this program.
        f.show();
        f.ChkRun->setChecked(true);
        Click(f.ApplyBtn);
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QCOMPARE(RunAtLogon::Read(), std::optional<QString>(QCoreApplication::applicationFilePath()));
    }

    void applyStoresTheGeneralSettings()
    {
        Settings settings;
        {
            OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
            f.show();
            f.ChkRun->setChecked(true);
            f.cbCheckUpdate->setChecked(true);
            Click(f.ApplyBtn);
        }
        QVERIFY(settings.CheckUpdate);
        QVERIFY(QFile::exists(RunAtLogon::EntryPath()));
        RegistryKey key;
        QVERIFY(key.Open(RegistryHive::CurrentUser, SettingsKey, false));
        QCOMPARE(key.ReadDword(QStringLiteral("CheckUpdate")), std::optional<uint32_t>(1));
        key.Close();

        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        f.show();
        QVERIFY(f.ChkRun->isChecked());
        QVERIFY(f.cbCheckUpdate->isChecked());
        f.ChkRun->setChecked(false);
        f.cbCheckUpdate->setChecked(false);
        Click(f.ApplyBtn);
        QVERIFY(!settings.CheckUpdate);
        QVERIFY(!QFile::exists(RunAtLogon::EntryPath()));
        QVERIFY(key.Open(RegistryHive::CurrentUser, SettingsKey, false));
        QCOMPARE(key.ReadDword(QStringLiteral("CheckUpdate")), std::optional<uint32_t>(0));
    }

    void closeBoxStoresNothing()
    {
        Settings settings;
        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        f.show();
        f.ChkRun->setChecked(true);
        f.cbCheckUpdate->setChecked(true);
        Click(f.SMCLoseBtn);
        QCOMPARE(f.result(), int(QDialog::Rejected));
        QVERIFY(!settings.CheckUpdate);
        QVERIFY(!QFile::exists(RunAtLogon::EntryPath()));
        QVERIFY(!RegistryKey::KeyExists(RegistryHive::CurrentUser, SettingsKey));
    }

    void versionLabel_data()
    {
        QTest::addColumn<QString>("stored");  // "-" : no key
        QTest::addColumn<QString>("shown");
        QTest::newRow("no key") << "-" << "Version: 3.1.135";
        QTest::newRow("blank") << "  " << "Version: 3.1.135";
        QTest::newRow("newer") << "3.2.7" << "Version: 3.2.7";
    }

    void versionLabel()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        if (stored != QLatin1String("-")) {
            RegistryKey key;
            QVERIFY(key.Open(RegistryHive::CurrentUser, SettingsKey, true));
            QVERIFY(key.WriteString(QStringLiteral("Version"), stored));
        }
        Settings settings;
        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        QCOMPARE(f.LabelVer->text(), shown);
    }

    void pagesSwitch()
    {
        {
            RegistryKey key;
            QVERIFY(key.Open(RegistryHive::CurrentUser, SettingsKey, true));
            QVERIFY(key.WriteDword(QStringLiteral("CheckUpdate"), 0));
        }
        Settings settings;
        int checks = 0;
        OptionsDialog f(nullptr, settings, [&] { ++checks; }, m_systemctl->program());
        f.show();
        Click(f.CheckUpdateBtn);
        QCOMPARE(checks, 1);
        QVERIFY(f.ApplyBtn->isVisible() && !f.AddScheduleBtn->isVisible() && !f.ScheduleListView->isVisible());

        f.cbCheckUpdate->setChecked(true);
        Click(f.SchedulePageBtn);
        QVERIFY(!f.ApplyBtn->isVisible() && f.AddScheduleBtn->isVisible() && f.RemoveScheduleBtn->isVisible()
                && f.ClearAllBtn->isVisible() && f.ScheduleListView->isVisible());
        // Back on the first page the unsaved change is gone.
        Click(f.GeneralPageBtn);
        QVERIFY(f.ApplyBtn->isVisible());
        QVERIFY(!f.cbCheckUpdate->isChecked());
    }

    void listShowsOnlyThisProgramsItems()
    {
        const QString self = QCoreApplication::applicationFilePath();
        SchedulingAgent agent(m_systemctl->program());
        QVERIFY(agent.NewWorkItem(QStringLiteral("mine"), Item(self)));
        QVERIFY(agent.NewWorkItem(QStringLiteral("other"), Item(QStringLiteral("/usr/bin/true"))));
        QVERIFY(agent.NewWorkItem(QStringLiteral("uppercase"), Item(self.toUpper())));
        // Unreadable files are skipped.
        QFile broken(SchedulingAgent::UnitFolder() + QStringLiteral("/broken.timer"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("[Unit]\nX-Corvane-TriggerType=9\n");
        broken.close();

        Settings settings;
        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        f.show();
        Click(f.SchedulePageBtn);
        QCOMPARE(Rows(f.ScheduleListView), QStringList{QStringLiteral("mine|Daily")});
    }

    void addListsTheNewItem()
    {
        Settings settings;
        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        f.show();
        Click(f.SchedulePageBtn);
        WhenShown<ScheduleDialog>([](ScheduleDialog *s) {
            s->comScheduleTask->setCurrentIndex(1);
            s->dtpStartTime->setTime(QTime(9, 30, 15));
            s->CheckBoxDays[0]->setChecked(false);
            s->CheckBoxDays[1]->setChecked(true);
            s->CheckBoxDays[4]->setChecked(true);
            QTest::mouseClick(s->findChild<QWidget *>(QStringLiteral("OkButton")), Qt::LeftButton);
        });
        Click(f.AddScheduleBtn);

        QCOMPARE(f.ScheduleListView->topLevelItemCount(), 1);
        const QTreeWidgetItem *row = f.ScheduleListView->topLevelItem(0);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-\\d{4}_\\d{6}$")).match(row->text(0)).hasMatch(),
                 qPrintable(row->text(0)));
        QCOMPARE(row->text(1), QStringLiteral("Weekly"));
        QCOMPARE(row->text(2), QLocale().toString(QTime(9, 30, 0), QLocale::LongFormat));
        const auto item = SchedulingAgent(m_systemctl->program()).Activate(row->text(0));
        QVERIFY(item);
        QCOMPARE(item->Trigger.DaysOfTheWeek, uint16_t(0x24));
        QCOMPARE(item->Trigger.WeeksInterval, 1);
        QCOMPARE(item->Parameters, QStringLiteral("-Scan"));
        QCOMPARE(item->ApplicationName, QCoreApplication::applicationFilePath());
    }

    void takenNamesGetAFreeOne()
    {
        ScheduledStarts task(nullptr, m_systemctl->program());
        QVERIFY(task.CreateWorkItem(QStringLiteral("03-05-2009_093015"), 2, 15, QTime(9, 30)));
        QCOMPARE(task.FreeWorkItemName(QStringLiteral("03-05-2009_093015")), QStringLiteral("03-05-2009_093015_2"));
        QVERIFY(task.CreateWorkItem(QStringLiteral("03-05-2009_093015_2"), 1, 2, QTime(9, 30)));
        QCOMPARE(task.FreeWorkItemName(QStringLiteral("03-05-2009_093015")), QStringLiteral("03-05-2009_093015_3"));
        // No day given: Monday.
        QCOMPARE(task.CurrentWorkItem()->Trigger.DaysOfTheWeek, uint16_t(0x02));
        QVERIFY(task.OpenWorkItem(QStringLiteral("03-05-2009_093015")));
        QCOMPARE(task.CurrentWorkItem()->Trigger.DaysOfMonth, uint32_t(0x4000));
        QCOMPARE(task.CurrentWorkItem()->Trigger.Months, uint16_t(0xFFF));
    }

    void failuresAreShown()
    {
        const QString busError = QStringLiteral("Failed to connect to bus: No medium found");
        Settings settings;
        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        f.show();
        Click(f.SchedulePageBtn);

        BoxSeen box;
        AnswerNextBox(box);
        Click(f.RemoveScheduleBtn);
        QCOMPARE(box.text, QStringLiteral("Please select the specific item for this operation!"));

        m_systemctl->setFailure(busError);
        WhenShown<ScheduleDialog>([](ScheduleDialog *s) {
            QTest::mouseClick(s->findChild<QWidget *>(QStringLiteral("OkButton")), Qt::LeftButton);
        });
        // Said for a person; the manager's own words stay under "Details".
        QString text, details;
        WhenShown<QMessageBox>([&](QMessageBox *shown) {
            text = shown->text();
            details = shown->detailedText();
            shown->accept();
        });
        Click(f.AddScheduleBtn);
        QCOMPARE(text, QStringLiteral("Scheduled runs need the user's service manager (systemd --user), which is "
                                      "not running in this session."));
        QCOMPARE(details, busError);
        QCOMPARE(f.ScheduleListView->topLevelItemCount(), 0);
        QVERIFY(QDir(SchedulingAgent::UnitFolder()).entryList(QDir::Files).isEmpty());
    }

    void removeAndClearAll()
    {
        SchedulingAgent agent(m_systemctl->program());
        for (const char *name : {"a", "b", "c"})
            QVERIFY(agent.NewWorkItem(QLatin1String(name), Item(QCoreApplication::applicationFilePath())));
        Settings settings;
        OptionsDialog f(nullptr, settings, {}, m_systemctl->program());
        f.show();
        Click(f.SchedulePageBtn);
        QCOMPARE(f.ScheduleListView->topLevelItemCount(), 3);

        f.ScheduleListView->setCurrentItem(f.ScheduleListView->topLevelItem(1));
        Click(f.RemoveScheduleBtn);
        QCOMPARE(Rows(f.ScheduleListView), QStringList({QStringLiteral("a|Daily"), QStringLiteral("c|Daily")}));
        QVERIFY(!agent.Exists(QStringLiteral("b")));

        // The manager refuses: one message, every row stays.
        m_systemctl->setFailure(QStringLiteral("Access denied"));
        BoxSeen box;
        AnswerNextBox(box);
        Click(f.ClearAllBtn);
        QCOMPARE(box.text, QStringLiteral("The scheduled run could not be removed."));
        QCOMPARE(f.ScheduleListView->topLevelItemCount(), 2);

        m_systemctl->setFailure({});
        Click(f.ClearAllBtn);
        QCOMPARE(f.ScheduleListView->topLevelItemCount(), 0);
        QVERIFY(agent.Enum().isEmpty());
        Click(f.ClearAllBtn);  // an empty list: nothing happens
        QCOMPARE(f.ScheduleListView->topLevelItemCount(), 0);
    }

private:
    std::unique_ptr<TempConfigHome> m_config;
    std::unique_ptr<RecordingSystemctl> m_systemctl;
};

WIDGET_TEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
