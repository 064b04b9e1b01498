#include "ui/workspace/PlaceholderPage.h"

#include "model/JobList.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderPage::PlaceholderPage(const JobList &jobs, QWidget *parent)
    : AbstractJobPage(parent), m_jobs(jobs), m_name(new QLabel(this))
{
    m_name->setObjectName(QStringLiteral("JobName"));
    m_name->setAlignment(Qt::AlignCenter);
    QFont f = m_name->font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    m_name->setFont(f);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_name);
}

void PlaceholderPage::SetJob(int index)
{
    const Job *task = m_jobs.JobAt(index);
    m_name->setText(task ? task->SyncName : QString());
}
