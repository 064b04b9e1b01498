#pragma once
#include <QDate>
#include <QString>
#include <cstdint>

// One trigger of a scheduled work item, laid out as the scheduler's trigger record.
struct WorkItemTrigger {
    enum Type { Daily = 1, Weekly = 2, MonthlyDate = 3 };

    int TriggerType = 0;
    QDate BeginDate;
    int StartHour = 0;
    int StartMinute = 0;
    int DaysInterval = 0;         // Daily: every n days, counted from BeginDate
    int WeeksInterval = 0;        // Weekly: every n weeks, counted from BeginDate's week
    uint16_t DaysOfTheWeek = 0;   // Weekly: Sunday 0x01, Monday 0x02 ... Saturday 0x40
    uint32_t DaysOfMonth = 0;     // MonthlyDate: bit 0 for day 1 ... bit 30 for day 31
    uint16_t Months = 0;          // MonthlyDate: bit 0 for January ... bit 11 for December
};

// A scheduled start of a program: what it runs and when.
struct WorkItem {
    QString ApplicationName;   // absolute path of the program
    QString WorkingDirectory;
    QString Parameters;        // one command-line text, split as a shell would
    QString Comment;
    WorkItemTrigger Trigger;
};
