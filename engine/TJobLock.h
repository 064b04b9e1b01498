#pragma once
#include <QString>
#include <memory>

class QLockFile;
class TSyncTask;

// One analysis or synchronisation of a job at a time across processes (the window program
// and corvane-cli, or two corvane-cli): a lock file beside the job's journal, held for the
// whole run. A lock left by a killed process is taken over.
class TJobLock {
public:
    explicit TJobLock(const TSyncTask &job);
    ~TJobLock();
    TJobLock(const TJobLock &) = delete;
    TJobLock &operator=(const TJobLock &) = delete;

    // False only when another run holds the job. A lock that cannot be made at all (no left
    // folder yet, a read-only one) does not stop the run: the run reports that side itself.
    bool Acquire();

    // The line a refused run shows.
    static QString RefusedText(const QString &jobName);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
