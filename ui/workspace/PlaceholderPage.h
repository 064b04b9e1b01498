#pragma once
#include "ui/workspace/AbstractJobPage.h"

class QLabel;
class JobList;

// The page of a job until the working job page exists: shows the job's name. It never runs
// anything, so there is nothing to cancel.
class PlaceholderPage : public AbstractJobPage {
    Q_OBJECT

public:
    PlaceholderPage(const JobList &jobs, QWidget *parent);

    void SetJob(int index) override;
    bool RunInProgress() const override { return false; }
    void CancelAndWait() override {}

private:
    const JobList &m_jobs;
    QLabel *m_name;
};
