#pragma once
#include <QString>
#include <cstdint>

class Job;

// A job's file filter. Reads the job's fields at every call; copies nothing.
class FileFilter {
public:
    explicit FileFilter(const Job &job) : m_job(job) {}

    static constexpr int32_t HiddenAttribute = 2;
    static constexpr int32_t SystemAttribute = 4;

    bool IsExcluded(const QString &name, int32_t time, int64_t size, int32_t attr) const;
    bool IsIncluded(const QString &name, int32_t time, int64_t size) const;
    // Exclude rules first; the include rules only for a file they let through.
    bool Passes(const QString &name, int32_t time, int64_t size, int32_t attr) const
    {
        return !IsExcluded(name, time, size, attr) && IsIncluded(name, time, size);
    }

private:
    const Job &m_job;
};
