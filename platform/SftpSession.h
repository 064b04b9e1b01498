#pragma once
#include "platform/FtpListParser.h"
#include "platform/RunCancel.h"
#include "platform/ServerTrust.h"

#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

struct ssh_key_struct;

// One SFTP login on libssh: an SSH connection whose host key is checked against the user's
// known_hosts, and its SFTP channel. Paths are absolute on the server ("/home/me/a.txt"),
// UTF-8 on the wire. Entries are FtpEntry, as a listing of any remote folder gives them.
// Not thread-safe: one session serves the thread of one run.
class SftpSession {
public:
    struct Endpoint {
        QString host;
        int port = 22;
        QString user;
        QString password;
        QString keyFile;  // a private key file; empty for none
        QString passphrase;  // the key file's, when it is locked; never stored
        bool operator==(const Endpoint &) const = default;
    };

    SftpSession() = default;
    ~SftpSession();
    SftpSession(const SftpSession &) = delete;
    SftpSession &operator=(const SftpSession &) = delete;

    // Connects, checks the host key, logs in (the key file, the ssh-agent when it runs, the
    // password, in this order) and opens the SFTP channel. False with LastReason() set;
    // UntrustedServer() tells when the host key is merely unknown.
    bool Open(const Endpoint &endpoint);
    // Keeps the session when it is open for endpoint, else opens one.
    bool EnsureOpen(const Endpoint &endpoint);
    void Close();
    bool IsOpen() const { return m_sftp != nullptr; }

    // False when the folder cannot be read; Missing() then tells whether it is not there.
    bool List(const QString &folder, QList<FtpEntry> &entries);
    // The entry as its folder's listing gives it (links followed); nullopt when absent.
    std::optional<FtpEntry> Probe(const QString &path);
    // expectedSize >= 0: the size a listing gave; a transfer of another size fails.
    bool Download(const QString &remotePath, const QString &localPath, qint64 expectedSize = -1);
    bool Upload(const QString &localPath, const QString &remotePath);
    // Bytes transfers move are added to meter as they go (null: to none).
    void SetMeter(std::atomic<int64_t> *meter) { m_meter = meter; }
    // Fails when to exists (the server's own rename refuses to replace).
    bool Rename(const QString &from, const QString &to);
    bool Delete(const QString &path);
    bool MakeDirectory(const QString &path);
    bool RemoveDirectory(const QString &path);

    // Of the last failed call, in words a user can act on.
    QString LastReason() const { return m_reason; }
    // The last failure was "no such file or folder".
    bool Missing() const { return m_missing; }
    // The last failure was at the local file of a transfer.
    bool LocalFileFailed() const { return m_localFile; }
    // The connection is gone (dropped, refused, timed out, login refused).
    bool ConnectionLost() const { return m_lost; }
    // After Open failed because the key file is locked and no passphrase, or a wrong one, was given.
    bool NeedsPassphrase() const { return m_needsPassphrase; }
    // After Open failed for a host key that known_hosts does not hold yet.
    std::optional<ServerTrust> UntrustedServer() const { return m_untrusted; }

    // While set, the calls of this session follow the run's cancel as RunCancel says, also
    // while they wait on a server that stopped answering: a transfer or a listing cut off
    // fails with the reason "cancelled". cancel (not owned) outlives the session or is
    // replaced first; null: none.
    void WatchCancel(RunCancel *cancel) { m_cancel = cancel; }

private:
    class Waiting;
    // Cuts the connection under a call that a cancel ends (see WatchCancel); its own thread.
    void watch();
    void stopWatching();

    bool checkHostKey();
    bool logIn();
    // The key file's private key into *key, unlocked with the passphrase given.
    bool importKey(ssh_key_struct **key);
    bool fail(const QString &reason, bool lost = false);
    bool failRemote(const QString &what, const QString &path);
    bool cancelled();
    void meter(int64_t bytes)
    {
        if (std::atomic<int64_t> *m = m_meter.load())
            m->fetch_add(bytes, std::memory_order_relaxed);
    }
    std::atomic<std::atomic<int64_t> *> m_meter{nullptr};

    void *m_ssh = nullptr;   // ssh_session, owned
    void *m_sftp = nullptr;  // sftp_session, owned
    Endpoint m_endpoint;
    QString m_reason;
    bool m_missing = false;
    bool m_localFile = false;
    bool m_lost = false;
    bool m_needsPassphrase = false;
    std::optional<ServerTrust> m_untrusted;
    std::atomic<RunCancel *> m_cancel{nullptr};
    // What the watcher sees of the call under way, under m_waitMutex.
    std::mutex m_waitMutex;
    std::condition_variable m_waitChanged;
    int m_waitFd = -1;  // the connection's socket while a call waits on it
    bool m_cuttable = false;
    // How the watcher cut the connection under the last call, if it did.
    enum class Cut { None, AtOnce, AfterSettle };
    Cut m_cut = Cut::None;
    bool m_stopWatching = false;
    std::thread m_watcher;
};
