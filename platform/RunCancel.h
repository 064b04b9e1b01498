#pragma once
#include <QString>

#include <atomic>
#include <cstdint>

// A run's Cancel as the sessions that work for it see it, FTP and SFTP alike: a transfer or
// a listing ends at once; any other call (putting back a copy cut short), and every call once
// the run settles (writing the state of the files it copied), gets SettleMilliseconds from
// the moment the cancel was first seen, so that a server that stopped answering cannot hold
// up the end of a run. Read from any thread.
class RunCancel {
public:
    // Closing a window must end the program within two seconds of the click, a cancel
    // taking up to a poll interval to be seen.
    static constexpr int SettleMilliseconds = 1500;

    // From now on flag is watched (not owned; null: none), with the settle time not started.
    void Watch(const std::atomic<uint8_t> *flag);
    // What is still sent goes ahead within the settle time; nothing is cut off at once.
    void Settle() { m_settling = true; }
    const std::atomic<uint8_t> *Flag() const { return m_flag.load(); }
    bool Requested() const;
    // Whether a call ends at once now; cuttable: a transfer or a listing.
    bool EndsAtOnce(bool cuttable) const { return cuttable && !m_settling && Requested(); }
    // Milliseconds left of the settle time; the first call after the cancel starts it.
    int64_t SettleLeft();
    // Why a call failed that the settle time ran out on.
    static QString SettleOverReason();

private:
    std::atomic<const std::atomic<uint8_t> *> m_flag{nullptr};
    std::atomic<int64_t> m_seen{0};  // steady clock, ms; 0 until a cancel was seen
    std::atomic<bool> m_settling{false};
};
