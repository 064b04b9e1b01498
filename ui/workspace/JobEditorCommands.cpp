#include "ui/workspace/JobEditorCommands.h"

#include "model/SyncTaskList.h"
#include "ui/config/UCreatTaskForm.h"
#include "ui/workspace/UMirelleFom.h"

void UseJobEditor(TMirelleFom &window, const SyncTaskList &tasks)
{
    window.SetJobEditor(
        [&tasks](QWidget *parent) -> std::unique_ptr<TSyncTask> {
            TCreatTaskForm form(tasks, parent);
            form.SetJobIndex(-1);
            form.exec();
            return form.TakeNewJob();
        },
        [&window, &tasks](QWidget *parent, int index) {
            TCreatTaskForm form(tasks, parent);
            form.SetJobIndex(index);
            form.SetRunCheck([&window, index] { return window.JobRunInProgress(index); });
            form.exec();
            return form.Result();
        });
}
