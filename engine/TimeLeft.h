#pragma once
#include <QString>
#include <cstdint>
#include <deque>

// What a synchronisation has done and how long the rest will take. A small file over FTP
// costs round trips rather than bytes, so the time left comes from the measured cost per file
// and per byte so far (a least-squares fit over the progress seen), not from bytes alone. The
// time a run spends once before its first file (connecting, logging in on every connection)
// is left out of that cost.
// The throughput shown is a rolling average over the last few seconds. Fed by the caller's
// clock, so it can be tested without waiting.
class TimeLeft {
public:
    void Start(int32_t totalFiles, int64_t totalBytes);
    // Progress at elapsedMs since Start: files finished (copied or failed) and their bytes.
    void Update(int32_t filesDone, int64_t bytesDone, int64_t elapsedMs);
    // Bytes moved so far over the wire, of files under way too, at elapsedMs: once known,
    // the speed is measured from these, so that it shows while a big file is copied.
    void Moved(int64_t bytes, int64_t elapsedMs);

    // -1 until enough is known (a file finished). At nowMs (since Start) the time since the
    // last finished file is taken off: with several connections files finish in bursts, and
    // the time left must not stand still between them.
    int64_t RemainingMs(int64_t nowMs = -1) const;
    // Bytes moved per second over the last RollingMs up to nowMs, from Moved when it was
    // told of bytes, else of finished files (up to the last finished file by default); 0
    // before anything was measured. Measured from the last progress before
    // the window, so that files finishing together on several connections are not taken for
    // a burst of speed.
    double BytesPerSecond(int64_t nowMs = -1) const;
    // "12 of 40 files · 3.1 MB of 10.4 MB · 1.2 MB/s · about 0:42 left", at nowMs.
    QString Text(int64_t nowMs = -1) const;

    static constexpr int64_t RollingMs = 5000;

private:
    struct Sample {
        int32_t Files;
        int64_t Bytes;
        int64_t Ms;
    };
    int32_t m_totalFiles = 0;
    int64_t m_totalBytes = 0;
    struct Cost {
        double PerFile = 0, PerByte = 0;
    };
    // Sums of the least-squares fit of time = start + perFile * files + perByte * bytes.
    struct Sums {
        double n = 0, f = 0, b = 0, t = 0, ff = 0, fb = 0, bb = 0, ft = 0, bt = 0;
        // The sums of the progress less its means: a fit that need not pass through the start.
        Sums Centred() const;
        // The costs of a fit through the start of the run; negative costs when there is no
        // fit where both are at least 0.
        Cost Fit() const;
    };
    // The cost per file and per byte so far.
    Cost Measured() const;

    Sample m_last{0, 0, 0};
    std::deque<Sample> m_recent;
    static double Rate(const std::deque<Sample> &samples, int64_t nowMs);
    // From Moved: Files unused. Empty until bytes moved.
    std::deque<Sample> m_moved;
    int64_t m_stillMs = 0;  // the last time nothing had moved yet
    Sums m_sums;
};
