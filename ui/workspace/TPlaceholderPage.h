#pragma once
#include "ui/workspace/TJobPage.h"

class QLabel;
class SyncTaskList;

// The page of a job until the working job page exists: shows the job's name. It never runs
// anything, so there is nothing to cancel.
class TPlaceholderPage : public TJobPage {
    Q_OBJECT

public:
    TPlaceholderPage(const SyncTaskList &tasks, QWidget *parent);

    void SetJob(int index) override;
    bool RunInProgress() const override { return false; }
    void CancelAndWait() override {}

private:
    const SyncTaskList &m_tasks;
    QLabel *m_name;
};
