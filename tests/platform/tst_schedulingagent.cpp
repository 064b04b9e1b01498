#include "platform/SchedulingAgent.h"
#include "tests/support/RecordingSystemctl.h"
#include "tests/support/TempConfigHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(WorkItem)

namespace {

WorkItem Item(int type, int interval, uint16_t weekDays, uint32_t monthDays, QDate begin = QDate::currentDate())
{
    WorkItem item;
    item.ApplicationName = QCoreApplication::applicationFilePath();
    item.WorkingDirectory = QCoreApplication::applicationDirPath();
    item.Parameters = QStringLiteral("-Scan");
    item.Comment = QStringLiteral("Runs Corvane at the scheduled time.");
    item.Trigger.TriggerType = type;
    item.Trigger.BeginDate = begin;
    item.Trigger.StartHour = 9;
    item.Trigger.StartMinute = 30;
    if (type == WorkItemTrigger::Daily)
        item.Trigger.DaysInterval = interval;
    if (type == WorkItemTrigger::Weekly) {
        item.Trigger.WeeksInterval = interval;
        item.Trigger.DaysOfTheWeek = weekDays;
    }
    if (type == WorkItemTrigger::MonthlyDate) {
        item.Trigger.DaysOfMonth = monthDays;
        item.Trigger.Months = 0xFFF;
    }
    return item;
}

QString ReadText(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

QString UnitLine(const QString &path, const QString &key)
{
    for (const QString &line : ReadText(path).split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return {};
}

// Exit code of a start condition as the manager would run it (our lines use only these escapes).
int RunCondition(const QString &line)
{
    QString command = line;
    command.replace(QStringLiteral("$$"), QStringLiteral("$")).replace(QStringLiteral("%%"), QStringLiteral("%"));
    const QString head = QStringLiteral("/bin/sh -c '");
    if (!command.startsWith(head) || !command.endsWith(QLatin1Char('\'')))
        return -1;
    return QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command.mid(head.size()).chopped(1)});
}

}  // namespace

class TestSchedulingAgent : public QObject {
    Q_OBJECT

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

    void itemRoundTrips_data()
    {
        QTest::addColumn<WorkItem>("item");
        QTest::addColumn<QString>("calendar");
        QTest::newRow("daily every 2 days") << Item(1, 2, 0, 0) << QStringLiteral("*-*-* 09:30:00");
        QTest::newRow("weekly Tue+Fri") << Item(2, 1, 0x24, 0) << QStringLiteral("Tue,Fri *-*-* 09:30:00");
        QTest::newRow("weekly Sun+Mon every 3 weeks") << Item(2, 3, 0x03, 0) << QStringLiteral("Mon,Sun *-*-* 09:30:00");
        QTest::newRow("monthly day 15") << Item(3, 0, 0, 0x4000) << QStringLiteral("*-*-15 09:30:00");
        QTest::newRow("monthly day 31") << Item(3, 0, 0, 0x40000000) << QStringLiteral("*-*-31 09:30:00");
        WorkItem odd = Item(1, 1, 0, 0);
        odd.ApplicationName = QStringLiteral("/opt/my progs/100% \"x\" $HOME\\Corvane");
        odd.Comment = QStringLiteral("50% done");
        QTest::newRow("path with blanks, quotes, percent, dollar") << odd << QStringLiteral("*-*-* 09:30:00");
    }

    void itemRoundTrips()
    {
        QFETCH(WorkItem, item);
        QFETCH(QString, calendar);
        SchedulingAgent agent(m_systemctl->program());
        QString error;
        QVERIFY2(agent.NewWorkItem(QStringLiteral("03-05-2009_093015"), item, &error), qPrintable(error));
        QCOMPARE(m_systemctl->calls(),
                 QStringList({QStringLiteral("--user daemon-reload"), QStringLiteral("--user enable --now 03-05-2009_093015.timer")}));
        QCOMPARE(agent.Enum(), QStringList{QStringLiteral("03-05-2009_093015")});

        const std::optional<WorkItem> back = agent.Activate(QStringLiteral("03-05-2009_093015"), &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->ApplicationName, item.ApplicationName);
        QCOMPARE(back->WorkingDirectory, item.WorkingDirectory);
        QCOMPARE(back->Parameters, item.Parameters);
        QCOMPARE(back->Comment, item.Comment);
        const WorkItemTrigger &t = back->Trigger;
        QCOMPARE(t.TriggerType, item.Trigger.TriggerType);
        QCOMPARE(t.BeginDate, item.Trigger.BeginDate);
        QCOMPARE(t.StartHour, 9);
        QCOMPARE(t.StartMinute, 30);
        QCOMPARE(t.DaysInterval, item.Trigger.DaysInterval);
        QCOMPARE(t.WeeksInterval, item.Trigger.WeeksInterval);
        QCOMPARE(t.DaysOfTheWeek, item.Trigger.DaysOfTheWeek);
        QCOMPARE(t.DaysOfMonth, item.Trigger.DaysOfMonth);
        QCOMPARE(t.Months, item.Trigger.Months);

        const QString timer = SchedulingAgent::UnitFolder() + QStringLiteral("/03-05-2009_093015.timer");
        QCOMPARE(UnitLine(timer, QStringLiteral("OnCalendar")), calendar);

        const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
        if (analyze.isEmpty())
            QSKIP("systemd-analyze is not installed");
        QProcess p;
        p.start(analyze, {QStringLiteral("calendar"), calendar});
        QVERIFY(p.waitForFinished());
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QVERIFY2(p.readAllStandardOutput().contains("Normalized form: " + calendar.toUtf8()), "the manager reads another time");
    }

    // The manager itself checks the files: the quoting of ExecStart= must name the program.
    void unitFilesPassTheManagersCheck()
    {
        const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
        if (analyze.isEmpty())
            QSKIP("systemd-analyze is not installed");
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("my progs 100% \"x\" $HOME\\"));
        QVERIFY(QDir().mkpath(folder));
        const QString program = folder + QStringLiteral("/Corvane");
        QVERIFY(QFile::copy(QStringLiteral("/bin/true"), program));

        WorkItem item = Item(2, 2, 0x24, 0);
        item.ApplicationName = program;
        item.WorkingDirectory = folder;
        SchedulingAgent agent(m_systemctl->program());
        QString error;
        QVERIFY2(agent.NewWorkItem(QStringLiteral("w1"), item, &error), qPrintable(error));

        const QString units = SchedulingAgent::UnitFolder();
        // The user manager's view of the units, without a running manager.
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(analyze, {QStringLiteral("--user"), QStringLiteral("verify"), QStringLiteral("--man=no"), units + QStringLiteral("/w1.timer"),
                          units + QStringLiteral("/w1.service")});
        QVERIFY(p.waitForFinished());
        const QByteArray out = p.readAll();
        QVERIFY2(p.exitCode() == 0 && out.isEmpty(), out.constData());
    }

    void intervalsCountFromTheBeginDate_data()
    {
        QTest::addColumn<WorkItem>("item");
        QTest::addColumn<bool>("runsToday");
        const QDate today = QDate::currentDate();
        QTest::newRow("every 3 days, begun today") << Item(1, 3, 0, 0, today) << true;
        QTest::newRow("every 3 days, begun yesterday") << Item(1, 3, 0, 0, today.addDays(-1)) << false;
        QTest::newRow("every 3 days, begun 3 days ago") << Item(1, 3, 0, 0, today.addDays(-3)) << true;
        QTest::newRow("every 2 weeks, begun today") << Item(2, 2, 0x7F, 0, today) << true;
        QTest::newRow("every 2 weeks, begun a week ago") << Item(2, 2, 0x7F, 0, today.addDays(-7)) << false;
        QTest::newRow("every 2 weeks, begun two weeks ago") << Item(2, 2, 0x7F, 0, today.addDays(-14)) << true;
    }

    void intervalsCountFromTheBeginDate()
    {
        QFETCH(WorkItem, item);
        QFETCH(bool, runsToday);
        SchedulingAgent agent(m_systemctl->program());
        QVERIFY(agent.NewWorkItem(QStringLiteral("w"), item));
        const QString condition = UnitLine(SchedulingAgent::UnitFolder() + QStringLiteral("/w.service"),
                                           QStringLiteral("ExecCondition"));
        QCOMPARE(RunCondition(condition), runsToday ? 0 : 1);
    }

    void unreachableManagerLeavesNothing()
    {
        const QString busError = QStringLiteral("Failed to connect to bus: No medium found");
        SchedulingAgent agent(m_systemctl->program());
        m_systemctl->setFailure(busError);
        QString error;
        QVERIFY(!agent.NewWorkItem(QStringLiteral("w"), Item(1, 1, 0, 0), &error));
        QCOMPARE(error, busError);
        QVERIFY(QDir(SchedulingAgent::UnitFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());

        // A deletion the manager refuses keeps the item as it was.
        m_systemctl->setFailure({});
        QVERIFY(agent.NewWorkItem(QStringLiteral("w"), Item(1, 1, 0, 0)));
        m_systemctl->setFailure(busError);
        QVERIFY(!agent.Delete(QStringLiteral("w"), &error));
        QCOMPARE(error, busError);
        QVERIFY(agent.Activate(QStringLiteral("w")));

        m_systemctl->setFailure({});
        m_systemctl->clearCalls();
        QVERIFY(agent.Delete(QStringLiteral("w")));
        QCOMPARE(m_systemctl->calls(),
                 QStringList({QStringLiteral("--user disable --now w.timer"), QStringLiteral("--user daemon-reload")}));
        QVERIFY(agent.Enum().isEmpty());
        QVERIFY(!agent.Exists(QStringLiteral("w")));
    }

    void missingSystemctlIsReported()
    {
        SchedulingAgent agent(m_config->filePath(QStringLiteral("no-such-systemctl")));
        QString error;
        QVERIFY(!agent.NewWorkItem(QStringLiteral("w"), Item(1, 1, 0, 0), &error));
        QVERIFY(error.contains(QStringLiteral("no-such-systemctl")));
        QVERIFY(!agent.Exists(QStringLiteral("w")));
    }

    void takenNamesAndForeignUnitsAreLeftAlone()
    {
        QVERIFY(QDir().mkpath(SchedulingAgent::UnitFolder()));
        QFile foreign(SchedulingAgent::UnitFolder() + QStringLiteral("/backup.timer"));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("[Unit]\nDescription=someone else's\n[Timer]\nOnCalendar=daily\n");
        foreign.close();

        SchedulingAgent agent(m_systemctl->program());
        QVERIFY(!agent.NewWorkItem(QStringLiteral("backup"), Item(1, 1, 0, 0)));
        QCOMPARE(ReadText(foreign.fileName()), QStringLiteral("[Unit]\nDescription=someone else's\n[Timer]\nOnCalendar=daily\n"));
        QVERIFY(agent.Enum().isEmpty());
        QVERIFY(!agent.Activate(QStringLiteral("backup")));
        QVERIFY(!agent.NewWorkItem(QStringLiteral("a@b"), Item(1, 1, 0, 0)));
        QVERIFY(!agent.NewWorkItem(QStringLiteral("../x"), Item(1, 1, 0, 0)));
    }

private:
    std::unique_ptr<TempConfigHome> m_config;
    std::unique_ptr<RecordingSystemctl> m_systemctl;
};

QTEST_GUILESS_MAIN(TestSchedulingAgent)
#include "tst_schedulingagent.moc"
