#pragma once
#include "ui/widgets/SkinnedWindow.h"

#include <QTime>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSpinBox;
class QTimeEdit;

// Asks for one schedule: its kind, start time, interval or day, and the days of a weekly
// schedule, describing it in words while it is edited. The caller reads the result after
// ShowModal() returned true.
class ScheduleDialog : public SkinnedWindow {
    Q_OBJECT
public:
    explicit ScheduleDialog(QWidget *parent = nullptr);

    int Kind() const;  // 0 daily, 1 weekly, 2 monthly
    QTime StartTime() const;
    int DailyCount() const;
    int WeeklyCount() const;
    int MonthlyDay() const;
    std::array<bool, 7> WeekDays() const;  // Monday first
    QString Description() const;

    // Controls, named as the form names them, so callers and tests can reach them.
    QLabel *abScheduleTaskName;
    QComboBox *comScheduleTask;
    QTimeEdit *dtpStartTime;
    QGroupBox *GroupDaily;
    QGroupBox *GroupWeekly;
    QGroupBox *GroupMonthly;
    QSpinBox *seEveryOfDaily;
    QSpinBox *seEveryOfWeekly;
    QSpinBox *seEveryOfMonthly;
    std::array<QCheckBox *, 7> CheckBoxDays;  // CheckBoxMon ... CheckBoxSun

private:
    void comScheduleTaskChange();
    void UpdateDescription();
    QSpinBox *CountEdit(QWidget *parent, int minimum, int maximum);
};
