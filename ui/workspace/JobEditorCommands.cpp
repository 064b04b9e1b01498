#include "ui/workspace/JobEditorCommands.h"

#include "model/JobList.h"
#include "ui/config/JobEditor.h"
#include "ui/workspace/MainWindow.h"

void UseJobEditor(MainWindow &window, const JobList &jobs)
{
    window.SetJobEditor(
        [&jobs](QWidget *parent) -> std::unique_ptr<Job> {
            JobEditor form(jobs, parent);
            form.SetJobIndex(-1);
            form.exec();
            return form.TakeNewJob();
        },
        [&window, &jobs](QWidget *parent, int index) {
            JobEditor form(jobs, parent);
            form.SetJobIndex(index);
            form.SetRunCheck([&window, index] { return window.JobRunInProgress(index); });
            form.exec();
            return form.Result();
        });
}
