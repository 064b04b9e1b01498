#pragma once
#include "scheduling/ScheduleTaskUnit.h"
#include "ui/widgets/TSkinForm.h"

#include <functional>

class QCheckBox;
class QLabel;
class QTreeWidget;
class TImageExButton;
struct TMyRegistryInfo;

// The program-wide options: start at logon, the automatic update check (page "General
// Settings") and the program's scheduled starts (page "Scheduling"). Apply stores the
// general settings and closes; schedules change at once.
class TOptionFrm : public TSkinForm {
    Q_OBJECT
public:
    // settings: the program's settings record, whose CheckUpdate Apply updates (not owned).
    // checkUpdateNow: run by "check update now"; may be empty. systemctl: the service
    // manager's command (tests give a stand-in).
    TOptionFrm(QWidget *parent, TMyRegistryInfo &settings, std::function<void()> checkUpdateNow,
               const QString &systemctl = QStringLiteral("systemctl"));

    void LoadOptions();
    void WriteRunAtLogon(bool on);
    void WriteCheckUpdate();

    // Controls, named as the form names them.
    QCheckBox *ChkRun;
    QCheckBox *cbCheckUpdate;
    QLabel *LabelVer;
    QTreeWidget *ScheduleListView;
    TImageExButton *GeneralPageBtn;
    TImageExButton *SchedulePageBtn;
    TImageExButton *CheckUpdateBtn;
    TImageExButton *ApplyBtn;
    TImageExButton *AddScheduleBtn;
    TImageExButton *RemoveScheduleBtn;
    TImageExButton *ClearAllBtn;
    TImageExButton *SMCLoseBtn;

private:
    void ShowGeneralSettings();
    void ShowScheduling();
    void ApplyBtnClick();
    void AddScheduleBtnClick();
    void RemoveScheduleBtnClick();
    void ClearAllBtnClick();

    TMyRegistryInfo &m_settings;
    std::function<void()> m_checkUpdateNow;
    TScheduleTask m_schedule;
    QWidget *m_generalPage;
    QWidget *m_schedulingPage;
};
