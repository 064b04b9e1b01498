#include "model/JobList.h"

void JobList::AddJob(std::unique_ptr<Job> task)
{
    task->ListState = 2;
    QString text = task->SyncID;
    m_entries.push_back({text, std::move(task)});
}

void JobList::AppendLoaded(std::unique_ptr<Job> task)
{
    task->ListState = 0;
    QString text = task->SyncID;
    m_entries.push_back({text, std::move(task)});
}

void JobList::Clear()
{
    for (Entry &e : m_entries)
        m_dropped.push_back(std::move(e.Task));
    m_entries.clear();
}

void JobList::MarkJobDeleted(int index)
{
    if (Job *t = JobAt(index))
        t->ListState = 1;
}

Job *JobList::JobAt(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_entries[size_t(index)].Task.get();
}

bool JobList::JobNameExists(const QString &name) const
{
    const QString wanted = name.trimmed();
    for (const Entry &e : m_entries)
        if (e.Task->SyncName.trimmed() == wanted)
            return true;
    return false;
}
