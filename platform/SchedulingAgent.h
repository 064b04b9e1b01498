#pragma once
#include "platform/WorkItem.h"

#include <QString>
#include <QStringList>
#include <optional>

// Scheduled work items as systemd user timers. A work item NAME is the pair NAME.timer +
// NAME.service in the user's unit folder ($XDG_CONFIG_HOME/systemd/user); the timer's
// X-Corvane-* keys hold the whole item, so it lists back exactly. The service starts only
// inside a running graphical session (the window must be able to show) and its process is
// not killed with the program's children when it ends (the updater outlives it).
//
// The service manager is driven through the systemctl program given to the constructor;
// tests give a recording stand-in so the user's own manager is never touched.
// Calls block until systemctl answers. Interface thread only.
class SchedulingAgent {
public:
    explicit SchedulingAgent(QString systemctlProgram = QStringLiteral("systemctl"));

    static QString UnitFolder();

    // Names of the work items in the unit folder (timers that carry an item), sorted.
    QStringList Enum() const;
    // True when either unit file of that name exists, the item's or anyone else's.
    bool Exists(const QString &name) const;
    // The item as its files hold it; none, with the reason in error, when they cannot be read.
    std::optional<WorkItem> Activate(const QString &name, QString *error = nullptr) const;
    // Writes the unit files, reloads the manager and enables and starts the timer. An
    // existing name is refused. On any failure nothing of the item is left behind and error
    // holds the manager's own text.
    bool NewWorkItem(const QString &name, const WorkItem &item, QString *error = nullptr);
    // Stops and disables the timer, then removes both files. When the manager cannot do
    // that the item stays as it was.
    bool Delete(const QString &name, QString *error = nullptr);

    // The OnCalendar= expression of a trigger; intervals above one are checked by the
    // service's start condition instead, since a calendar cannot count from a start date.
    static QString CalendarOf(const WorkItemTrigger &trigger);
    static bool ValidName(const QString &name);

private:
    bool RunSystemctl(const QStringList &arguments, QString *error) const;
    void RemoveFiles(const QString &name) const;

    QString m_systemctl;
};
