#pragma once
#include "model/SyncTaskList.h"

#include <QString>

struct CliOptions;
class TConsoleSink;

// Carries out one corvane-cli command and gives its exit status.
class TCliRun {
public:
    static constexpr int ExitDone = 0;
    static constexpr int ExitCopyFailed = 1;
    static constexpr int ExitNotRun = 2;
    static constexpr int ExitUsage = 64;
    static constexpr int ExitInterrupted = 130;

    TCliRun(const CliOptions &options, TConsoleSink &sink) : m_options(options), m_sink(sink) {}
    int Execute();

private:
    int List();
    int Run();

    const CliOptions &m_options;
    TConsoleSink &m_sink;
    SyncTaskList m_taskList;
};
