#pragma once
#include "scheduling/ScheduledStarts.h"
#include "ui/widgets/SkinnedWindow.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QTreeWidget;
class ImageButton;
struct Settings;

// The program-wide options: start at logon, the automatic update check (page "General
// Settings") and the program's scheduled starts (page "Scheduling"). Apply stores the
// general settings (with the notice of background runs) and closes; schedules change at once.
class OptionsDialog : public SkinnedWindow {
    Q_OBJECT
public:
    // settings: the program's settings record, whose CheckUpdate Apply updates (not owned).
    // checkUpdateNow: run by "check update now"; may be empty. systemctl: the service
    // manager's command (tests give a stand-in).
    OptionsDialog(QWidget *parent, Settings &settings, std::function<void()> checkUpdateNow,
                  const QString &systemctl = QStringLiteral("systemctl"));

    void LoadOptions();
    void WriteRunAtLogon(bool on);
    void WriteCheckUpdate();

    // Controls, named as the form names them.
    QCheckBox *ChkRun;
    QCheckBox *cbCheckUpdate;
    // Always, failures only, off: the word a run that started on its own gives when it ends.
    QComboBox *cbRunEndNotice;
    QLabel *LabelVer;
    QTreeWidget *ScheduleListView;
    ImageButton *GeneralPageBtn;
    ImageButton *SchedulePageBtn;
    ImageButton *CheckUpdateBtn;
    ImageButton *ApplyBtn;
    ImageButton *AddScheduleBtn;
    ImageButton *RemoveScheduleBtn;
    ImageButton *ClearAllBtn;
    ImageButton *SMCLoseBtn;

private:
    void ShowGeneralSettings();
    void ShowScheduling();
    void ApplyBtnClick();
    void AddScheduleBtnClick();
    void RemoveScheduleBtnClick();
    void ClearAllBtnClick();

    Settings &m_settings;
    std::function<void()> m_checkUpdateNow;
    ScheduledStarts m_schedule;
    QWidget *m_generalPage;
    QWidget *m_schedulingPage;
};
