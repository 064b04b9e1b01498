#include "scheduling/ScheduledStarts.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTreeWidget>

namespace {

const QString Caption = QStringLiteral("Corvane");

}  // namespace

ScheduledStarts::ScheduledStarts(QWidget *messageParent, const QString &systemctl, const QString &application)
    : m_parent(messageParent)
    , m_application(application.isEmpty() ? QCoreApplication::applicationFilePath() : application)
    , m_agent(systemctl)
{
}

QString ScheduledStarts::ErrorText(const QString &operation, const QString &error)
{
    // systemctl says this when no user manager runs in the session (a bare X login, ssh, a
    // container); the word "bus" means nothing to the person who clicked "Add".
    if (error.contains(QLatin1String("connect to bus")) || error.contains(QLatin1String("DBUS_SESSION_BUS_ADDRESS"))
        || error.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return QStringLiteral("Scheduled runs need the user's service manager (systemd --user), which is not "
                              "running in this session.");
    if (operation == QLatin1String("NewWorkItem"))
        return QStringLiteral("The scheduled run could not be made.");
    if (operation == QLatin1String("Delete"))
        return QStringLiteral("The scheduled run could not be removed.");
    return QStringLiteral("The scheduled run could not be read.");
}

void ScheduledStarts::ShowError(const QString &operation, const QString &error) const
{
    QMessageBox box(QMessageBox::Critical, Caption, ErrorText(operation, error), QMessageBox::Ok, m_parent);
    box.setDetailedText(error);
    box.exec();
}

QString ScheduledStarts::KindText(int triggerType)
{
    switch (triggerType) {
    case WorkItemTrigger::Daily: return QStringLiteral("Daily");
    case WorkItemTrigger::Weekly: return QStringLiteral("Weekly");
    case WorkItemTrigger::MonthlyDate: return QStringLiteral("Monthly");
    default: return {};
    }
}

bool ScheduledStarts::OpenWorkItem(const QString &name)
{
    QString error;
    m_current = m_agent.Activate(name, &error);
    if (!m_current)
        ShowError(QStringLiteral("Activate"), error);
    return m_current.has_value();
}

bool ScheduledStarts::CreateWorkItem(const QString &name, int kind, int count, const QTime &start)
{
    WorkItem item;
    item.ApplicationName = m_application;
    item.WorkingDirectory = QFileInfo(m_application).absolutePath();
    item.Parameters = QStringLiteral("-Scan");
    item.Comment = QStringLiteral("Runs Corvane at the scheduled time.");
    WorkItemTrigger &t = item.Trigger;
    t.BeginDate = QDate::currentDate();
    t.StartHour = start.hour();
    t.StartMinute = start.minute();
    switch (kind) {
    case 0:
        t.TriggerType = WorkItemTrigger::Daily;
        t.DaysInterval = count;
        break;
    case 1: {
        t.TriggerType = WorkItemTrigger::Weekly;
        t.WeeksInterval = count;
        // Monday first here; the trigger counts from Sunday (0x01).
        static constexpr uint16_t Bits[7] = {0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x01};
        for (int i = 0; i < 7; ++i)
            if (WorkItemDays[i])
                t.DaysOfTheWeek |= Bits[i];
        if (t.DaysOfTheWeek == 0)
            t.DaysOfTheWeek = 0x02;
        break;
    }
    case 2:
        t.TriggerType = WorkItemTrigger::MonthlyDate;
        t.DaysOfMonth = count >= 1 && count <= 31 ? 1u << (count - 1) : 0;
        t.Months = 0xFFF;
        break;
    default:
        break;  // the agent refuses it
    }
    QString error;
    if (m_agent.NewWorkItem(name, item, &error)) {
        m_current = item;
        return true;
    }
    ShowError(QStringLiteral("NewWorkItem"), error);
    return false;
}

int ScheduledStarts::DeleteWorkItem(const QString &name, QString *error)
{
    QString reason;
    if (m_agent.Delete(name, &reason))
        return 0;
    if (error)
        *error = reason;
    else
        ShowError(QStringLiteral("Delete"), reason);
    return 1;
}

void ScheduledStarts::ListWorkItems(QTreeWidget *listView)
{
    listView->clear();
    const QIcon icon = QFileIconProvider().icon(QFileInfo(m_application));
    const QLocale locale;
    for (const QString &name : m_agent.Enum()) {
        m_current = m_agent.Activate(name);
        if (!m_current || m_current->ApplicationName != m_application)
            continue;
        const WorkItemTrigger &t = m_current->Trigger;
        auto *row = new QTreeWidgetItem(listView);
        row->setText(0, name);
        row->setIcon(0, icon);
        row->setText(1, KindText(t.TriggerType));
        row->setText(2, locale.toString(QTime(t.StartHour, t.StartMinute, 0), QLocale::LongFormat));
    }
}

QString ScheduledStarts::FreeWorkItemName(const QString &name) const
{
    QString free = name;
    for (int n = 2; m_agent.Exists(free); ++n)
        free = QStringLiteral("%1_%2").arg(name).arg(n);
    return free;
}
