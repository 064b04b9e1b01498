#include "engine/TransferWorkers.h"

#include "folders/Side.h"
#include "platform/FtpSession.h"

#include <chrono>

namespace {
// How often a waiting run looks at the cancel flag, which nobody notifies.
constexpr std::chrono::milliseconds CancelPoll{100};
}  // namespace

TransferWorkers::TransferWorkers(Side &left, Side &right, const QList<FtpSession *> &sessions,
                                 const std::atomic<uint8_t> &cancel, MakeTransfer make)
    : m_left(left), m_right(right), m_cancel(cancel), m_make(std::move(make))
{
    m_working = int(sessions.size());
    // Made here, before any copy holds the run's own connection: making a sibling waits for it.
    for (FtpSession *session : sessions)
        m_sides.push_back({session, m_left.Sibling(*session), m_right.Sibling(*session)});
    for (size_t i = 0; i < m_sides.size(); ++i)
        m_threads.emplace_back([this, i] { work(i, m_sides[i]); });
}

TransferWorkers::~TransferWorkers()
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
        m_quit = true;
    }
    m_changed.notify_all();
    for (std::thread &t : m_threads)
        t.join();
}

void TransferWorkers::Add(FileTransfer::Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(task));
    }
    m_changed.notify_all();
}

void TransferWorkers::Drop()
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
    }
    m_changed.notify_all();
}

bool TransferWorkers::idle() const
{
    return m_busy == 0 && (m_queue.empty() || m_working == 0 || m_cancel.load() != 0);
}

std::optional<TransferWorkers::Done> TransferWorkers::Next()
{
    std::unique_lock lock(m_mutex);
    while (m_done.empty() && !idle())
        m_changed.wait_for(lock, CancelPoll);
    if (m_done.empty())
        return std::nullopt;
    Done done = std::move(m_done.front());
    m_done.pop_front();
    return done;
}

void TransferWorkers::OnEveryConnection(const std::function<void(Side &left, Side &right)> &chore)
{
    std::unique_lock lock(m_mutex);
    m_chore = chore;
    ++m_choreNumber;
    m_choresRunning = m_working;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_choresRunning <= 0; });
    m_chore = nullptr;
}

void TransferWorkers::work(size_t index, Sides &sides)
{
    const FtpSession::CancelWatch watch(*sides.Session, m_cancel);
    const std::unique_ptr<Side> &left = sides.Left, &right = sides.Right;
    uint64_t choreSeen = 0;
    // The first connection is the run's own, open already; a refused extra one is not used.
    if (!left || !right || (index > 0 && right->Reach() != 0)) {
        {
            std::lock_guard lock(m_mutex);
            --m_working;
            // A chore given meanwhile counted this thread.
            if (m_choreNumber != 0)
                --m_choresRunning;
        }
        m_changed.notify_all();
        return;
    }
    const std::unique_ptr<FileTransfer> transfer = m_make(*left, *right);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_quit || !m_queue.empty() || m_choreNumber != choreSeen; });
        if (m_quit)
            return;
        if (m_choreNumber != choreSeen) {
            choreSeen = m_choreNumber;
            const std::function<void(Side &, Side &)> chore = m_chore;
            lock.unlock();
            chore(*left, *right);
            lock.lock();
            --m_choresRunning;
            m_changed.notify_all();
            continue;
        }
        if (m_cancel.load() != 0) {
            // Nothing starts after a Cancel; the run drops the rest.
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_quit || m_queue.empty(); });
            continue;
        }
        FileTransfer::Task task = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_busy;
        lock.unlock();
        FileTransfer::Outcome outcome = transfer->Run(task);
        lock.lock();
        --m_busy;
        // A lost connection stops the run: no copy starts after it, and the rest stay not
        // done, not failed one after another before the run's thread hears of it.
        if (outcome.Lost)
            m_queue.clear();
        m_done.push_back({std::move(task), std::move(outcome)});
        m_changed.notify_all();
    }
}
