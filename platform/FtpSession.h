#pragma once
#include "platform/FtpListParser.h"
#include "platform/RunCancel.h"
#include "platform/ServerTrust.h"

#include <QByteArray>
#include <QList>
#include <QRecursiveMutex>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <thread>

// One FTP login: one libcurl easy handle, i.e. one control connection reused for every
// command, in passive mode. Remote paths are absolute on the server ("/pub/a.txt") and go
// out as UTF-8. Every call locks the session; a caller that needs several commands in a
// row without another thread's commands in between holds Mutex() around them.
class FtpSession {
public:
    struct Endpoint {
        QString host;
        int port = 21;
        QString user;
        QString password;
        // FTP over TLS: AUTH TLS, and TLS on every data connection, or no session at all.
        bool tls = false;
        // A certificate the user accepted for this server ("sha256//BASE64" of its public
        // key): used instead of the system's trust store.
        QString pinnedKey;
        bool operator==(const Endpoint &) const = default;
    };

    FtpSession();
    ~FtpSession();
    FtpSession(const FtpSession &) = delete;
    FtpSession &operator=(const FtpSession &) = delete;

    // The process-wide session (FtpSessionPool's primary). Created on first use, lives until
    // the program ends.
    static FtpSession &Global();
    QRecursiveMutex &Mutex() { return m_mutex; }

    // Drops any connection and logs in afresh: 0, or the libcurl error code (-1 when no
    // handle can be created).
    int Open(const Endpoint &endpoint);
    // Keeps the connection when it is open for endpoint, else opens one. True when usable.
    bool EnsureOpen(const Endpoint &endpoint);
    void Close();
    bool IsOpen() const;
    Endpoint CurrentEndpoint() const;

    // False (current directory unchanged) when the server refuses to enter path.
    bool SetCurrentDirectory(const QString &path);
    QString CurrentDirectory() const;
    // MLSD, or LIST once the server has refused MLSD. False when the folder cannot be
    // entered or enumerated; "." and ".." are not filtered here.
    bool List(const QString &folder, QList<FtpEntry> &entries);
    // The entry exactly as the listing of its folder gives it; nullopt when absent.
    std::optional<FtpEntry> Probe(const QString &path);
    // Replace: streams to a temporary file beside localPath that replaces it only when
    // complete. Direct: writes localPath itself (a caller's own temporary name).
    // expectedSize >= 0: the size a listing gave; a transfer of another size fails.
    enum class Write { Replace, Direct };
    bool Download(const QString &remotePath, const QString &localPath, Write mode = Write::Replace,
                  qint64 expectedSize = -1);
    bool Upload(const QString &localPath, const QString &remotePath);
    bool Rename(const QString &from, const QString &to);
    bool Delete(const QString &path);
    bool MakeDirectory(const QString &path);
    // Servers refuse to remove a folder that is not empty.
    bool RemoveDirectory(const QString &path);

    // Of the last failed call: the libcurl code, the FTP reply code of a refused command, or
    // SizeDiffers when a download's size was not the size expected.
    int LastError() const;
    static constexpr int SizeDiffers = -5;
    // A local file of a transfer could not be opened, read or written.
    static constexpr int LocalFileError = -2;
    QString LastErrorText() const;
    // Of the last failed call: the server's final reply code when it refused (>= 400), 0
    // when the failure was no reply (a lost connection, a time-out, a local file).
    int LastReplyCode() const;
    // Of the last failed call, in words for the user: the server's reply ("530 Login
    // incorrect."), or the transport error ("connection refused", "timed out after 20 s").
    QString LastReason() const;
    // After Open failed for a TLS certificate that neither the system nor a pin vouches for:
    // what the certificate shows, for the user to accept or refuse.
    std::optional<ServerTrust> UntrustedServer() const;
    // True while the server cannot be reached: the last call failed for want of a working
    // connection (lost, refused, timed out, login refused) after its one retry.
    bool ConnectionLost() const;

    // While one exists, the calls that the creating thread runs on the session follow flag
    // (a job's Cancel) as RunCancel says: a transfer or a listing ends within a tenth of a
    // second and fails with the reason "cancelled". Other threads' calls are not affected.
    class CancelWatch {
    public:
        CancelWatch(FtpSession &session, const std::atomic<uint8_t> &flag);
        ~CancelWatch();
        CancelWatch(const CancelWatch &) = delete;
        CancelWatch &operator=(const CancelWatch &) = delete;
        // From now on a cancel cuts nothing off at once: what a cancelled run still has to
        // write (the state of the files it copied) goes ahead within the settle time, on
        // this session and on an SFTP session that follows the same watch.
        void Settle();

    private:
        FtpSession &m_session;
    };
    // Whether the calling thread's watched cancel flag is set.
    bool CancelRequested() const;
    // The cancel a CancelWatch of the calling thread watches on this session, or null: an
    // SFTP side's session of the same run follows it too.
    RunCancel *WatchedCancel();
    // Its flag, or null: work handed to other sessions on other threads watches the same flag.
    const std::atomic<uint8_t> *WatchedCancelFlag() const;
    // Bytes every transfer moves over the data connection are added to meter as they go
    // (null: to none), so that a run's speed shows also while a big file is under way.
    void SetMeter(std::atomic<int64_t> *meter) { m_meter = meter; }
    // Local port of the control connection used last (the same port: the same connection).
    long LocalPort() const;
    // True once the server has refused MLSD in this login.
    bool UsesList() const;

    // The commands and replies of one exchange (defined with the implementation).
    struct Transcript;

private:
    QByteArray serverUrl() const;
    QByteArray urlFor(const QString &path, bool folder) const;
    int perform(const std::function<void(Transcript &)> &setup, Transcript &transcript);
    int run(void *easy);
    int performRetrying(const std::function<bool(Transcript &)> &prepare,
                        const std::function<void(Transcript &)> &setup, Transcript &transcript);
    bool command(const QList<QByteArray> &lines, Transcript &transcript);
    // One command on path ("DELE /a.txt"); refusal: the failure text when it cannot be sent.
    bool pathCommand(const QByteArray &verb, const QString &path, const QString &refusal);
    bool listOnce(const QString &folder, bool mlsd, QList<FtpEntry> &entries, Transcript &t);
    std::optional<FtpEntry> probeByListing(const QString &path);
    void fail(int code, const QString &text);
    // libcurl's progress callback: a set cancel flag of the watching thread ends the call.
    void watchCancel(void *curl);
    static int progressCheck(void *session, int64_t, int64_t, int64_t, int64_t);
    void noteTransportFailure(int rc, const Transcript &transcript);
    void setTls(void *curl);
    void noteCertificateFailure(int rc);

    mutable QRecursiveMutex m_mutex;
    void *m_curl = nullptr;   // CURL*, owned
    void *m_multi = nullptr;  // CURLM*, owned; holds the connection between exchanges
    Endpoint m_endpoint;
    bool m_open = false;
    QString m_cwd;
    bool m_mlsdRefused = false;
    bool m_mlstRefused = false;
    int m_lastError = 0;
    QString m_lastErrorText;
    int m_lastReply = 0;
    QString m_lastReason;
    bool m_lost = false;
    std::optional<ServerTrust> m_untrusted;
    RunCancel m_cancel;
    std::atomic<std::thread::id> m_cancelThread{};
    // Of the exchange under way: whether a cancel ends it at once, and whether it ran out
    // of the settle time.
    bool m_cuttable = true;
    std::atomic<std::atomic<int64_t> *> m_meter{nullptr};
    int64_t m_metered = 0;  // of the transfer under way
    bool m_settleOver = false;
    long m_localPort = 0;
    char m_errorBuffer[256] = {};
};
