#pragma once
#include <cstdint>

class FileEntry;
class ResultEntry;
class Job;
class EngineListener;

// Pairs two listing trees by name, level by level, into result records with their actions
// and counts. Within a level each left entry takes the first unmatched right entry of the
// same trimmed name (case-sensitive); the order is left entries, then unpaired right ones.
// Names are looked up through a per-level index, so a level costs time linear in its size.
class Pairing {
public:
    Pairing(const Job &job, EngineListener &listener) : m_job(job), m_listener(listener) {}

    // Fills target from the two levels. False when the job's cancel flag stopped it.
    bool PairLevel(FileEntry &left, FileEntry &right, ResultEntry &target);
    int32_t ComparedCount() const { return m_compared; }

private:
    bool AddOneSided(FileEntry &entry, bool left, ResultEntry &target);
    void CountInto(ResultEntry &target, int32_t action);

    const Job &m_job;
    EngineListener &m_listener;
    int32_t m_compared = 0;
};
