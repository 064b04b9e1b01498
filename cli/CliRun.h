#pragma once
#include "model/JobList.h"

#include <QString>

struct CliOptions;
class ConsoleSink;

// Carries out one corvane-cli command and gives its exit status.
class CliRun {
public:
    static constexpr int ExitDone = 0;
    static constexpr int ExitCopyFailed = 1;
    static constexpr int ExitNotRun = 2;
    static constexpr int ExitUsage = 64;
    static constexpr int ExitInterrupted = 130;

    CliRun(const CliOptions &options, ConsoleSink &sink) : m_options(options), m_sink(sink) {}
    int Execute();

private:
    int List();
    int Run();

    const CliOptions &m_options;
    ConsoleSink &m_sink;
    JobList m_jobs;
};
