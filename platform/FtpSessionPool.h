#pragma once
#include "platform/FtpSession.h"

#include <QList>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// The FTP sessions of the process: the primary one that every FTP call goes through, and the
// extra ones a run borrows to work on the same server over several control connections at
// once. Whoever holds the primary session's mutex may use the extra ones; each extra session
// is used by one thread at a time.
class FtpSessionPool {
public:
    static FtpSessionPool &Global();
    ~FtpSessionPool();

    FtpSession &Primary() { return m_primary; }
    // Control connections a run may use at once, the primary's included; at least 1.
    void SetConnections(int count);
    int Connections() const { return m_connections; }
    // Connections() - 1 sessions beside the primary, not necessarily open; a caller opens each
    // for its server, so that a session left open for another server is replaced. A session
    // may still be logging in from OpenExtraAhead: JoinOpening(session) before using it.
    QList<FtpSession *> Extra();
    // Logs the extra sessions in to endpoint on threads of their own while the primary
    // session goes on, so that they are ready when a listing needs them; a Cancel of the flag
    // ends the logins. Only for a server that has just accepted the primary's login.
    void OpenExtraAhead(const FtpSession::Endpoint &endpoint, const std::atomic<uint8_t> *cancel);
    // Returns once those logins have ended; before the cancel flag they watch goes.
    void JoinOpening();
    // Returns once session's login from OpenExtraAhead has ended, so that one listing can
    // start on the connections already in while the others still log in.
    void JoinOpening(FtpSession &session);
    // Every session's transfers, also of sessions added later, count their bytes in meter
    // (see FtpSession::SetMeter); null stops it.
    void SetMeter(std::atomic<int64_t> *meter);

private:
    FtpSession m_primary;
    std::vector<std::unique_ptr<FtpSession>> m_extra;
    std::atomic<int> m_connections{4};
    std::atomic<int64_t> *m_meter = nullptr;  // under the primary's mutex
    std::mutex m_openingLock;  // m_opening
    std::vector<std::pair<FtpSession *, std::thread>> m_opening;
};
