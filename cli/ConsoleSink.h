#pragma once
#include "engine/RunLog.h"

#include <chrono>
#include <mutex>

// Where corvane-cli's run texts go: log lines to stdout, and, only when stderr is a
// terminal, the status and progress as one line rewritten in place on stderr.
// Called from the main thread and from the engine worker.
class ConsoleSink : public RunLogSink {
public:
    explicit ConsoleSink(bool showProgress) : m_showProgress(showProgress) {}
    ~ConsoleSink() override;

    void Status(const QString &text) override;
    void Log(const QString &line, bool error) override;
    void ProgressRange(int32_t maximum) override;
    void ProgressPosition(int32_t position) override;

    // Writes a line to stdout outside the run log (list output, ROW lines).
    void Print(const QString &line);

private:
    // Redraws at most every 100 ms unless forced: a terminal that is rewritten for each of
    // 100,000 files slows the run down.
    void DrawProgress(bool force = false);
    void ClearProgress();

    const bool m_showProgress;
    std::mutex m_mutex;
    QString m_status;
    int32_t m_maximum = 0;
    int32_t m_position = 0;
    bool m_progressShown = false;
    std::chrono::steady_clock::time_point m_lastDraw;
};
