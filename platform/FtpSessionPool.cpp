#include "platform/FtpSessionPool.h"

#include <QMutexLocker>
#include <algorithm>
#include <optional>
#include <thread>

namespace {
// More would only queue at the server: most limit a client to a handful.
constexpr int MostConnections = 16;
}

FtpSessionPool &FtpSessionPool::Global()
{
    static FtpSessionPool pool;
    return pool;
}

FtpSessionPool::~FtpSessionPool()
{
    JoinOpening();
    // Each log-out may wait a moment for the server's reply: all at once, not one by one.
    std::vector<std::thread> closing;
    for (const auto &s : m_extra)
        closing.emplace_back([session = s.get()] { session->Close(); });
    m_primary.Close();
    for (std::thread &t : closing)
        t.join();
}

void FtpSessionPool::SetConnections(int count)
{
    m_connections = std::clamp(count, 1, MostConnections);
}

QList<FtpSession *> FtpSessionPool::Extra()
{
    const size_t wanted = size_t(m_connections - 1);
    // Only sessions that no login uses may come or go.
    if (m_extra.size() != wanted)
        JoinOpening();
    QMutexLocker lock(&m_primary.Mutex());
    while (m_extra.size() < wanted) {
        m_extra.push_back(std::make_unique<FtpSession>());
        m_extra.back()->SetMeter(m_meter);
    }
    // Fewer wanted than before: the surplus logs out.
    m_extra.resize(wanted);
    QList<FtpSession *> sessions;
    for (const auto &s : m_extra)
        sessions.append(s.get());
    return sessions;
}

void FtpSessionPool::OpenExtraAhead(const FtpSession::Endpoint &endpoint, const std::atomic<uint8_t> *cancel)
{
    const QList<FtpSession *> sessions = Extra();
    std::lock_guard lock(m_openingLock);
    for (FtpSession *session : sessions)
        m_opening.emplace_back(session, [session, endpoint, cancel] {
            std::optional<FtpSession::CancelWatch> watch;
            if (cancel)
                watch.emplace(*session, *cancel);
            session->EnsureOpen(endpoint);
        });
}

void FtpSessionPool::JoinOpening()
{
    std::lock_guard lock(m_openingLock);
    for (auto &[session, login] : m_opening)
        login.join();
    m_opening.clear();
}

void FtpSessionPool::JoinOpening(FtpSession &session)
{
    std::thread login;
    {
        std::lock_guard lock(m_openingLock);
        const auto it = std::find_if(m_opening.begin(), m_opening.end(),
                                     [&session](const auto &opening) { return opening.first == &session; });
        if (it == m_opening.end())
            return;
        login = std::move(it->second);
        m_opening.erase(it);
    }
    // Not under the lock: the other connections' walkers wait each for their own login only.
    login.join();
}

void FtpSessionPool::SetMeter(std::atomic<int64_t> *meter)
{
    QMutexLocker lock(&m_primary.Mutex());
    m_meter = meter;
    m_primary.SetMeter(meter);
    for (const auto &s : m_extra)
        s->SetMeter(meter);
}
