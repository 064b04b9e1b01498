#pragma once
#include <QString>
#include <QStringList>

// Real task list files for the window tests.
namespace TaskListFiles {

// Writes a task list holding one job per name, in order. False when nothing was written.
bool Write(const QString &path, const QStringList &names);
// The names of the jobs the file holds, as the program would read them.
QStringList Names(const QString &path);

}  // namespace TaskListFiles
