#pragma once

class Job;
class EngineListener;
class TransferJournal;
struct SidePair;

// The start of every analysis and synchronisation of a job: what the job's journal names
// from an interrupted run is finished or undone, one log line per file.
namespace Recovery {

// Reads the job's journal into journal (which the run then goes on writing) and recovers
// what it names on the two sides. Sides that cannot be reached now keep their entries.
void Run(const Job &job, SidePair &sides, EngineListener &listener, TransferJournal &journal);
// The same with a journal of its own.
void Run(const Job &job, SidePair &sides, EngineListener &listener);

}  // namespace Recovery
