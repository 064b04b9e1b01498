#include "tests/support/TaskListFiles.h"

#include "model/JobList.h"

bool TaskListFiles::Write(const QString &path, const QStringList &names)
{
    JobList list;
    for (const QString &name : names) {
        auto task = std::make_unique<Job>();
        task->SyncName = name;
        task->SyncID = name;
        task->LFolder.DeviceType = 1;
        task->RFolder.DeviceType = 3;
        task->RFolder.FolerAllName = QStringLiteral("ftp://127.0.0.1/") + name;
        list.AddJob(std::move(task));
    }
    return list.SaveTaskList(path);
}

bool TaskListFiles::WriteOneJob(const QString &path, const QString &left, const JobSide &right)
{
    JobList list;
    auto job = std::make_unique<Job>();
    job->SyncName = job->SyncID = QStringLiteral("Job");
    job->LFolder.DeviceType = 1;
    job->LFolder.FolerAllName = left;
    job->RFolder = right;
    job->IncludeFilter = job->ExcludeFilter = FilterBounds();
    list.AddJob(std::move(job));
    return list.SaveTaskList(path);
}

QStringList TaskListFiles::Names(const QString &path)
{
    JobList list;
    list.LoadTaskList(path);
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.JobAt(i)->SyncName;
    return names;
}
