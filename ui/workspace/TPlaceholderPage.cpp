#include "ui/workspace/TPlaceholderPage.h"

#include "model/SyncTaskList.h"

#include <QLabel>
#include <QVBoxLayout>

TPlaceholderPage::TPlaceholderPage(const SyncTaskList &tasks, QWidget *parent)
    : TJobPage(parent), m_tasks(tasks), m_name(new QLabel(this))
{
    m_name->setObjectName(QStringLiteral("JobName"));
    m_name->setAlignment(Qt::AlignCenter);
    QFont f = m_name->font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    m_name->setFont(f);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_name);
}

void TPlaceholderPage::SetJob(int index)
{
    const TSyncTask *task = m_tasks.TaskAt(index);
    m_name->setText(task ? task->SyncName : QString());
}
