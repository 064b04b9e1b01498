#include "engine/TRecovery.h"

#include "engine/TEngineListener.h"
#include "engine/TJobSides.h"
#include "engine/TSidePaths.h"
#include "folders/TSafeCopy.h"
#include "folders/TTransferJournal.h"
#include "model/TSyncTask.h"

namespace TRecovery {

void Run(const TSyncTask &job, TJobSides &sides, TEngineListener &listener, TTransferJournal &journal)
{
    journal = TTransferJournal(TSidePaths::JournalFile(job));
    // A journal that cannot be read is left as it is: nothing is touched on its word.
    if (!journal.Load() || journal.Entries().isEmpty() || !sides.Left || !sides.Right)
        return;
    // Probes of a side that cannot be reached would read as "nothing there".
    if (sides.Left->Reach() != 0 || sides.Right->Reach() != 0)
        return;
    TSafeCopy::Recover(journal, *sides.Left, job.LFolder.FolerAllName, *sides.Right, job.RFolder.FolerAllName,
                       [&](const QString &line) { listener.CopyRecovered(line); });
}

void Run(const TSyncTask &job, TJobSides &sides, TEngineListener &listener)
{
    TTransferJournal journal;
    Run(job, sides, listener, journal);
}

}  // namespace TRecovery
