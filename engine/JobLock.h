#pragma once
#include <QString>

class Job;

// One analysis or synchronisation of a job at a time across processes (the window program
// and corvane-cli, or two corvane-cli): a lock file beside the job's journal, held for the
// whole run. A lock left by a killed process is taken over.
class JobLock {
public:
    explicit JobLock(const Job &job);
    ~JobLock();
    JobLock(const JobLock &) = delete;
    JobLock &operator=(const JobLock &) = delete;

    // False only when another run holds the job. A lock that cannot be made at all (no left
    // folder yet, a read-only one) does not stop the run: the run reports that side itself.
    bool Acquire();

    // The line a refused run shows.
    static QString RefusedText(const QString &jobName);

private:
    QString m_path;
    int m_fd = -1;
};
