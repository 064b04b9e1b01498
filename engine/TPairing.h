#pragma once
#include <cstdint>

class TFileAttri;
class TSyncTask;
class TEngineListener;

// Pairs two listing trees by name, level by level, into result records with their actions
// and counts. Within a level each left entry takes the first unmatched right entry of the
// same trimmed name (case-sensitive); the order is left entries, then unpaired right ones.
// Names are looked up through a per-level index, so a level costs time linear in its size.
class TPairing {
public:
    TPairing(const TSyncTask &job, TEngineListener &listener) : m_job(job), m_listener(listener) {}

    // Fills target from the two levels. False when the job's cancel flag stopped it.
    bool PairLevel(TFileAttri &left, TFileAttri &right, TFileAttri &target);
    int32_t ComparedCount() const { return m_compared; }

private:
    bool AddLeftOnly(TFileAttri &entry, TFileAttri &target);
    bool AddRightOnly(TFileAttri &entry, TFileAttri &target);
    void CountInto(TFileAttri &target, int32_t action);

    const TSyncTask &m_job;
    TEngineListener &m_listener;
    int32_t m_compared = 0;
};
