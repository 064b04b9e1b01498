#pragma once
#include <QString>
#include <QStringList>

struct JobSide;

// Real task list files for the tests.
namespace TaskListFiles {

// Writes a task list holding one job per name, in order. False when nothing was written.
bool Write(const QString &path, const QStringList &names);
// Writes a task list of one job "Job" from the local folder left to right, no filter
// bounds set. False when nothing was written.
bool WriteOneJob(const QString &path, const QString &left, const JobSide &right);
// The names of the jobs the file holds, as the program would read them.
QStringList Names(const QString &path);

}  // namespace TaskListFiles
