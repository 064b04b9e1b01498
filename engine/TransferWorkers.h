#pragma once
#include "engine/FileTransfer.h"

#include <QList>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class FtpSession;
class Side;

// Copies file rows on several connections at once: one thread per session given, each with
// its own siblings of the run's two sides and its own FileTransfer. The first session is
// taken as open; a thread whose session the server refuses takes no work. Outcomes come
// back to the run's thread in the order the copies end. Each thread's session ends its
// transfer within about a second once cancel is set, and no copy starts after that.
class TransferWorkers {
public:
    struct Done {
        FileTransfer::Task Task;
        FileTransfer::Outcome Outcome;
    };
    // Makes the FileTransfer a thread uses between its two sibling sides.
    using MakeTransfer = std::function<std::unique_ptr<FileTransfer>(Side &left, Side &right)>;

    TransferWorkers(Side &left, Side &right, const QList<FtpSession *> &sessions, const std::atomic<uint8_t> &cancel,
                    MakeTransfer make);
    // Drops what has not begun and waits for the copies under way.
    ~TransferWorkers();

    void Add(FileTransfer::Task task);
    // The next copy that ended; nullopt once none is queued or under way (or none can start:
    // a cancel, a Drop, or no thread left).
    std::optional<Done> Next();
    // Copies not yet begun are not made.
    void Drop();
    // Once no copy is queued or under way: runs chore on every thread's sides at once, and
    // returns when each has run it.
    void OnEveryConnection(const std::function<void(Side &left, Side &right)> &chore);

private:
    struct Sides {
        FtpSession *Session;
        std::unique_ptr<Side> Left, Right;
    };
    void work(size_t index, Sides &sides);
    bool idle() const;

    Side &m_left;
    Side &m_right;
    const std::atomic<uint8_t> &m_cancel;
    MakeTransfer m_make;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<FileTransfer::Task> m_queue;
    std::deque<Done> m_done;
    int m_busy = 0;
    int m_working = 0;  // threads that can take work
    bool m_quit = false;
    std::function<void(Side &, Side &)> m_chore;
    uint64_t m_choreNumber = 0;
    int m_choresRunning = 0;
    std::vector<Sides> m_sides;
    std::vector<std::thread> m_threads;
};
