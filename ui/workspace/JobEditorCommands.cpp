#include "ui/workspace/JobEditorCommands.h"

#include "model/JobList.h"
#include "ui/config/JobEditor.h"
#include "ui/workspace/MainWindow.h"

void UseJobEditor(MainWindow &window, const JobList &tasks)
{
    window.SetJobEditor(
        [&tasks](QWidget *parent) -> std::unique_ptr<Job> {
            JobEditor form(tasks, parent);
            form.SetJobIndex(-1);
            form.exec();
            return form.TakeNewJob();
        },
        [&window, &tasks](QWidget *parent, int index) {
            JobEditor form(tasks, parent);
            form.SetJobIndex(index);
            form.SetRunCheck([&window, index] { return window.JobRunInProgress(index); });
            form.exec();
            return form.Result();
        });
}
