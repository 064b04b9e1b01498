#pragma once
#include "model/Job.h"

#include <QString>
#include <memory>
#include <vector>

// The ordered job list; an entry's index is the job's number everywhere in the interface.
// Entries are only appended while the program runs (deleted jobs are marked), so indices
// and job pointers stay valid. The main program owns one; corvane-cli makes its own.
class JobList {
public:
    struct Entry {
        QString Text;  // the job's SyncID
        std::unique_ptr<Job> Task;
    };

    // Takes ownership; marks the job as added (ListState 2).
    void AddJob(std::unique_ptr<Job> task);
    void MarkJobDeleted(int index);
    Job *JobAt(int index) const;
    bool JobNameExists(const QString &name) const;
    int Count() const { return int(m_entries.size()); }
    const QString &TextAt(int index) const { return m_entries.at(size_t(index)).Text; }
    // Empties the list. The jobs are kept, not freed: pages and workers may still hold them.
    void Clear();

    enum class LoadResult {
        NoFile,      // nothing at path: the list is empty
        Complete,    // every job of the file was read
        PartlyRead,  // a faulty job stopped the reading; the jobs before it are in the list
        Unreadable,  // the file exists but is no XML document that can be read
    };
    // Replaces the content with the jobs of the file at path; stops silently at the first
    // faulty job, keeping those read before it.
    LoadResult LoadTaskList(const QString &path);
    // Writes to the program folder + "tasklist.tkl". False when nothing was written.
    bool SaveTaskList() const;
    // Writes to path, replacing it atomically; keeps an existing file's root and declaration.
    bool SaveTaskList(const QString &path) const;

private:
    void AppendLoaded(std::unique_ptr<Job> task);
    std::vector<Entry> m_entries;
    std::vector<std::unique_ptr<Job>> m_dropped;  // jobs of emptied entries
};
