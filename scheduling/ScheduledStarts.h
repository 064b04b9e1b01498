#pragma once
#include "platform/SchedulingAgent.h"

#include <QString>
#include <QTime>
#include <array>
#include <optional>

class QTreeWidget;
class QWidget;

// The program's scheduled starts: work items that run this executable with "-Scan" from its
// folder, made, listed and deleted through the scheduling agent. Failures the user can act
// on (the service manager cannot be reached, or refuses) are shown in a message box.
// Interface thread only.
class ScheduledStarts {
public:
    // messageParent: parent of the message boxes (not owned). application: the executable
    // whose items are made and listed, the running one unless a test says otherwise.
    explicit ScheduledStarts(QWidget *messageParent, const QString &systemctl = QStringLiteral("systemctl"),
                             const QString &application = {});

    // Days of a weekly item made next, Monday first and Sunday last.
    std::array<bool, 7> WorkItemDays{};

    // Makes the named item current; shows why when it cannot be read.
    bool OpenWorkItem(const QString &name);
    const std::optional<WorkItem> &CurrentWorkItem() const { return m_current; }

    // kind 0 daily every count days, 1 weekly every count weeks on WorkItemDays (Monday
    // alone when none is set), 2 monthly on day count; begins today at start's hour and minute.
    bool CreateWorkItem(const QString &name, int kind, int count, const QTime &start);
    // 0 when deleted; otherwise the item is as it was and the reason was shown, or, when
    // error is given, put there for the caller to show.
    int DeleteWorkItem(const QString &name, QString *error = nullptr);
    // Fills the report view (columns: name, kind, start time) with this executable's items;
    // items of any other program, and items whose files cannot be read, are left out.
    void ListWorkItems(QTreeWidget *listView);

    // name, or name + "_2", "_3", ... when name is taken: no item is overwritten.
    QString FreeWorkItemName(const QString &name) const;

    static QString KindText(int triggerType);

    // The message box of a failed operation ("NewWorkItem", "Delete", ...): a sentence for a
    // person, the service manager's own words under "Details".
    void ShowError(const QString &operation, const QString &error) const;
    static QString ErrorText(const QString &operation, const QString &error);

private:

    QWidget *m_parent;
    QString m_application;
    SchedulingAgent m_agent;
    std::optional<WorkItem> m_current;
};
