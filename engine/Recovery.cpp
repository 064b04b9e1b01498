#include "engine/Recovery.h"

#include "engine/EngineListener.h"
#include "engine/SidePair.h"
#include "engine/SidePaths.h"
#include "folders/SafeCopy.h"
#include "folders/TransferJournal.h"
#include "model/Job.h"

namespace Recovery {

void Run(const Job &job, SidePair &sides, EngineListener &listener, TransferJournal &journal)
{
    journal = TransferJournal(SidePaths::JournalFile(job));
    // A journal that cannot be read is left as it is: nothing is touched on its word.
    if (!journal.Load() || journal.Entries().isEmpty() || !sides.Left || !sides.Right)
        return;
    // Probes of a side that cannot be reached would read as "nothing there".
    if (sides.Left->Reach() != 0 || sides.Right->Reach() != 0)
        return;
    SafeCopy::Recover(journal, *sides.Left, job.LFolder.FolerAllName, *sides.Right, job.RFolder.FolerAllName,
                       [&](const QString &line) { listener.CopyRecovered(line); });
}

void Run(const Job &job, SidePair &sides, EngineListener &listener)
{
    TransferJournal journal;
    Run(job, sides, listener, journal);
    journal.Close();
}

}  // namespace Recovery
