#include "platform/FtpSession.h"

#include "platform/CertificateProbe.h"
#include "platform/FtpSessionPool.h"

#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>
#include <QUrl>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <type_traits>

namespace {

// A server that answers nothing for this long is taken as gone; transfers keep going as
// long as bytes move.
constexpr long ConnectTimeoutSeconds = 20;
constexpr long ResponseTimeoutSeconds = 60;
constexpr long StallSeconds = 60;
constexpr long QuitSeconds = 1;
// The longest a wait on the connections lasts before curl is asked again (its own timers
// shorten it): how soon a cancel is seen while a server is silent.
constexpr int PollMilliseconds = 100;

// Own codes for failures that happen on our side of a call.
constexpr int NotConnected = -3;
constexpr int UnsafePath = -4;

CURL *handle(void *p) { return static_cast<CURL *>(p); }

size_t discardData(char *, size_t size, size_t count, void *) { return size * count; }

size_t appendToBuffer(char *data, size_t size, size_t count, void *buffer)
{
    static_cast<QByteArray *>(buffer)->append(data, qsizetype(size * count));
    return size * count;
}

size_t writeToDevice(char *data, size_t size, size_t count, void *device)
{
    const qint64 n = qint64(size * count);
    return static_cast<QIODevice *>(device)->write(data, n) == n ? size * count : 0;
}

size_t readFromDevice(char *data, size_t size, size_t count, void *device)
{
    const qint64 n = static_cast<QIODevice *>(device)->read(data, qint64(size * count));
    return n < 0 ? size_t(CURL_READFUNC_ABORT) : size_t(n);
}

// Paths go into FTP command lines: a line break would smuggle in a second command.
bool safePath(const QString &path)
{
    return !path.contains(QLatin1Char('\r')) && !path.contains(QLatin1Char('\n'))
           && !path.contains(QChar(0));
}

QString absolute(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
}

struct SList {
    curl_slist *list = nullptr;
    ~SList() { curl_slist_free_all(list); }
    void append(const QByteArray &line) { list = curl_slist_append(list, line.constData()); }
};

}  // namespace

// What went over the control connection during one perform: libcurl does not fail on a
// refused "*"-prefixed QUOTE command, so its reply has to be read from here.
struct FtpSession::Transcript {
    QList<QByteArray> sent;
    struct Line {
        qsizetype afterSent;
        QByteArray text;
    };
    QList<Line> received;

    static int finalCode(const QByteArray &line)
    {
        if (line.size() < 3 || (line.size() > 3 && line[3] != ' '))
            return 0;
        bool ok = false;
        const int code = line.left(3).toInt(&ok);
        return ok && code >= 200 ? code : 0;
    }
    // The final reply to the last command sent with this verb; 0 when there was none.
    int replyTo(const QByteArray &verb, QList<QByteArray> *lines = nullptr) const
    {
        qsizetype index = -1;
        for (qsizetype i = sent.size() - 1; i >= 0 && index < 0; --i)
            if (sent[i] == verb || sent[i].startsWith(verb + ' '))
                index = i;
        if (index < 0)
            return 0;
        for (const Line &l : received) {
            if (l.afterSent != index)
                continue;
            if (lines)
                lines->append(l.text);
            if (const int code = finalCode(l.text))
                return code;
        }
        return 0;
    }
    bool sawClosing() const
    {
        for (const Line &l : received)
            if (finalCode(l.text) == 421)
                return true;
        return false;
    }
    QByteArray lastReply() const { return received.isEmpty() ? QByteArray() : received.last().text; }
};

namespace {

int recordLine(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT)
        return 0;
    auto *t = static_cast<FtpSession::Transcript *>(user);
    for (QByteArray line : QByteArray(data, qsizetype(size)).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (type == CURLINFO_HEADER_OUT)
            t->sent.append(line);
        else
            t->received.append({t->sent.size() - 1, line});
    }
    return 0;
}

bool droppedConnection(int rc, const FtpSession::Transcript &t)
{
    switch (rc) {
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_FTP_WEIRD_SERVER_REPLY:
    case CURLE_PARTIAL_FILE:
        return true;
    default:
        return t.sawClosing();
    }
}

}  // namespace

FtpSession::FtpSession()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

FtpSession::~FtpSession() { Close(); }

FtpSession &FtpSession::Global() { return FtpSessionPool::Global().Primary(); }

void FtpSession::Close()
{
    QMutexLocker lock(&m_mutex);
    // The connection lives in the multi handle's cache: cleaning that up logs out, with the
    // reply time-out of the handle added to it last. A server that stopped answering must
    // not hold up a Cancel or the program's end for the full time-out waiting for QUIT.
    if (m_multi && m_curl) {
        curl_easy_setopt(handle(m_curl), CURLOPT_FTP_RESPONSE_TIMEOUT, QuitSeconds);
        if (curl_multi_add_handle(static_cast<CURLM *>(m_multi), handle(m_curl)) == CURLM_OK)
            curl_multi_remove_handle(static_cast<CURLM *>(m_multi), handle(m_curl));
    }
    if (m_multi)
        curl_multi_cleanup(static_cast<CURLM *>(m_multi));
    if (m_curl)
        curl_easy_cleanup(handle(m_curl));
    m_multi = nullptr;
    m_curl = nullptr;
    m_open = false;
}

bool FtpSession::IsOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_open;
}

FtpSession::Endpoint FtpSession::CurrentEndpoint() const
{
    QMutexLocker lock(&m_mutex);
    return m_endpoint;
}

QString FtpSession::CurrentDirectory() const
{
    QMutexLocker lock(&m_mutex);
    return m_cwd;
}

int FtpSession::LastError() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastError;
}

QString FtpSession::LastErrorText() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastErrorText;
}

long FtpSession::LocalPort() const
{
    QMutexLocker lock(&m_mutex);
    return m_localPort;
}

bool FtpSession::UsesList() const
{
    QMutexLocker lock(&m_mutex);
    return m_mlsdRefused;
}

void FtpSession::fail(int code, const QString &text)
{
    m_lastError = code;
    m_lastErrorText = text;
    m_lastReply = code >= 400 && code < 600 ? code : 0;
    m_lastReason = text;
    m_lost = false;
}

int FtpSession::LastReplyCode() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastReply;
}

QString FtpSession::LastReason() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastReason;
}

std::optional<ServerTrust> FtpSession::UntrustedServer() const
{
    QMutexLocker lock(&m_mutex);
    return m_untrusted;
}

bool FtpSession::ConnectionLost() const
{
    QMutexLocker lock(&m_mutex);
    return m_lost;
}

// ---- cancel --------------------------------------------------------------------------------

FtpSession::CancelWatch::CancelWatch(FtpSession &session, const std::atomic<uint8_t> &flag) : m_session(session)
{
    m_session.m_cancelThread = std::this_thread::get_id();
    m_session.m_cancel.Watch(&flag);
}

FtpSession::CancelWatch::~CancelWatch()
{
    m_session.m_cancel.Watch(nullptr);
    m_session.m_cancelThread = std::thread::id();
}

void FtpSession::CancelWatch::Settle() { m_session.m_cancel.Settle(); }

RunCancel *FtpSession::WatchedCancel()
{
    return m_cancelThread.load() == std::this_thread::get_id() && m_cancel.Flag() ? &m_cancel : nullptr;
}

const std::atomic<uint8_t> *FtpSession::WatchedCancelFlag() const
{
    return m_cancelThread.load() == std::this_thread::get_id() ? m_cancel.Flag() : nullptr;
}

bool FtpSession::CancelRequested() const
{
    return m_cancelThread.load() == std::this_thread::get_id() && m_cancel.Requested();
}

static_assert(std::is_same_v<curl_off_t, int64_t>);

// libcurl calls this at every poll, also while it waits for a connection or a reply, so a
// Cancel ends even a stalled call within a poll interval.
int FtpSession::progressCheck(void *session, int64_t, int64_t downloaded, int64_t, int64_t uploaded)
{
    auto *s = static_cast<FtpSession *>(session);
    if (std::atomic<int64_t> *meter = s->m_meter.load(); meter && downloaded + uploaded > s->m_metered) {
        meter->fetch_add(downloaded + uploaded - s->m_metered, std::memory_order_relaxed);
        s->m_metered = downloaded + uploaded;
    }
    if (!s->CancelRequested())
        return 0;
    const int64_t left = s->m_cancel.SettleLeft();
    if (s->m_cancel.EndsAtOnce(s->m_cuttable))
        return 1;
    if (left > 0)
        return 0;
    s->m_settleOver = true;
    return 1;
}

namespace {

QString lowerFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

}  // namespace

void FtpSession::watchCancel(void *curl)
{
    CURL *h = handle(curl);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, progressCheck);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
}

// Puts a failed exchange into words a user can act on, and tells whether the server is out
// of reach (what a run stops for) or merely refused this one command.
void FtpSession::noteTransportFailure(int rc, const Transcript &transcript)
{
    const QByteArray reply = transcript.lastReply();
    const int code = Transcript::finalCode(reply);
    m_lastReply = code >= 400 ? code : 0;
    m_lost = false;
    if (m_settleOver || (rc == CURLE_OPERATION_TIMEDOUT && CancelRequested())) {
        m_lastReply = 0;
        m_lost = true;
        m_lastReason = RunCancel::SettleOverReason();
        return;
    }
    if (rc == CURLE_ABORTED_BY_CALLBACK) {
        m_lastReply = 0;
        m_lastReason = QStringLiteral("cancelled");
        return;
    }
    const QString buffer = QString::fromUtf8(m_errorBuffer[0] ? QByteArray(m_errorBuffer)
                                                              : QByteArray(curl_easy_strerror(CURLcode(rc))));
    if (rc == CURLE_USE_SSL_FAILED) {
        m_lost = true;
        m_lastReason = QStringLiteral("the server does not offer TLS (%1); nothing was sent in clear")
                           .arg(m_lastReply ? QString::fromUtf8(reply).trimmed() : buffer);
        return;
    }
    if (m_lastReply) {
        m_lastReason = QString::fromUtf8(reply).trimmed();
        m_lost = code == 421 || code == 530 || rc == CURLE_LOGIN_DENIED;
        return;
    }
    m_lost = true;
    // Hung up on instead of an answer to AUTH: the socket's own error says nothing of why.
    if (m_endpoint.tls && !transcript.sent.isEmpty() && transcript.sent.last().startsWith("AUTH ")
        && transcript.replyTo("AUTH") == 0) {
        m_lastReason = QStringLiteral("the server closed the connection when asked for TLS (%1); nothing was sent in clear")
                           .arg(QString::fromUtf8(transcript.sent.last()));
        return;
    }
    switch (rc) {
    case CURLE_COULDNT_CONNECT: {
        long osError = 0;
        curl_easy_getinfo(handle(m_curl), CURLINFO_OS_ERRNO, &osError);
        m_lastReason = osError ? lowerFirst(QString::fromLocal8Bit(std::strerror(int(osError)))) : lowerFirst(buffer);
        break;
    }
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t micro = 0;
        curl_easy_getinfo(handle(m_curl), CURLINFO_TOTAL_TIME_T, &micro);
        m_lastReason = QStringLiteral("timed out after %1 s").arg(std::lround(double(micro) / 1e6));
        break;
    }
    case CURLE_COULDNT_RESOLVE_HOST:
        m_lastReason = QStringLiteral("host not found: ") + m_endpoint.host;
        break;
    case CURLE_LOGIN_DENIED:
        m_lastReason = QStringLiteral("login refused");
        break;
    case CURLE_SSL_CONNECT_ERROR:
        m_lastReason = QStringLiteral("TLS handshake failed (") + buffer + QLatin1Char(')');
        break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_FTP_WEIRD_SERVER_REPLY:
    case CURLE_PARTIAL_FILE:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_CANT_GET_HOST:
        m_lastReason = QStringLiteral("connection lost (") + buffer + QLatin1Char(')');
        break;
    default:
        m_lost = false;
        m_lastReason = buffer;
        break;
    }
}

void FtpSession::setTls(void *curl)
{
    CURL *h = handle(curl);
    curl_easy_setopt(h, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    // AUTH TLS first, as servers expect today (libcurl asks AUTH SSL first unless told).
    curl_easy_setopt(h, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS));
    // A pinned key stands in for the trust store: checked in the handshake, before the
    // password goes out.
    if (!m_endpoint.pinnedKey.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(h, CURLOPT_PINNEDPUBLICKEY, m_endpoint.pinnedKey.toLatin1().constData());
    }
}

void FtpSession::noteCertificateFailure(int rc)
{
    const QString host = m_endpoint.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_endpoint.host + QLatin1Char(']')
                                                                   : m_endpoint.host;
    const QString server = host + QLatin1Char(':') + QString::number(m_endpoint.port);
    std::optional<ServerTrust> shown = CertificateProbe::Inspect(serverUrl(), server);
    m_lost = true;
    if (rc == CURLE_SSL_PINNEDPUBKEYNOTMATCH) {
        m_lastReason = QStringLiteral("the TLS certificate of %1 is not the one accepted for it%2; refused")
                           .arg(server, shown ? QStringLiteral(" (it now shows SHA256 fingerprint ") + shown->fingerprint
                                                    + QLatin1Char(')')
                                              : QString());
        return;
    }
    m_untrusted = shown;
    m_lastReason = shown ? QStringLiteral("the TLS certificate of %1 is not trusted (SHA256 fingerprint %2, subject %3, "
                                          "expires %4); accept it in the Corvane window to use it")
                               .arg(server, shown->fingerprint, shown->subject, shown->expiry)
                         : QStringLiteral("the TLS certificate of %1 is not trusted").arg(server);
}

QByteArray FtpSession::serverUrl() const
{
    QString host = m_endpoint.host;
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return "ftp://" + host.toUtf8() + ':' + QByteArray::number(m_endpoint.port) + '/';
}

QByteArray FtpSession::urlFor(const QString &path, bool folder) const
{
    // "%2F" makes the path absolute; without it libcurl starts from the login folder.
    QByteArray url = serverUrl() + "%2F";
    QByteArrayList segments;
    for (const QString &s : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        segments.append(QUrl::toPercentEncoding(s));
    url += segments.join('/');
    if (folder)
        url += '/';
    return url;
}

int FtpSession::perform(const std::function<void(Transcript &)> &setup, Transcript &transcript)
{
    CURL *h = handle(m_curl);
    transcript = Transcript();
    m_errorBuffer[0] = 0;
    curl_easy_reset(h);
    const QByteArray user = m_endpoint.user.toUtf8();
    const QByteArray password = m_endpoint.password.toUtf8();
    curl_easy_setopt(h, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_FTP_RESPONSE_TIMEOUT, ResponseTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, StallSeconds);
    // Absolute paths in the commands themselves ("RETR /pub/a.txt", "MLSD /pub"): no CWD
    // round trips, and no folder state on the connection to keep track of.
    curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    // One cached connection: a replaced one is closed rather than kept aside.
    curl_easy_setopt(h, CURLOPT_MAXCONNECTS, 1L);
    curl_easy_setopt(h, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discardData);
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, recordLine);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &transcript);
    if (m_endpoint.tls)
        setTls(h);
    watchCancel(h);
    m_cuttable = true;
    m_settleOver = false;
    m_metered = 0;
    setup(transcript);
    // What a cancel does not cut off still ends by the settle time.
    bool settleOver = false;
    if (CancelRequested() && !m_cancel.EndsAtOnce(m_cuttable)) {
        const int64_t left = m_cancel.SettleLeft();
        settleOver = left <= 0;
        if (!settleOver)
            curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(left));
    }
    m_settleOver = settleOver;
    const int rc = settleOver ? int(CURLE_ABORTED_BY_CALLBACK) : run(h);
    long port = 0;
    if (curl_easy_getinfo(h, CURLINFO_LOCAL_PORT, &port) == CURLE_OK && port > 0)
        m_localPort = port;
    if (rc != CURLE_OK) {
        const QByteArray reply = transcript.lastReply();
        fail(rc, QString::fromUtf8(m_errorBuffer[0] ? QByteArray(m_errorBuffer)
                                                    : QByteArray(curl_easy_strerror(CURLcode(rc))))
                     + (reply.isEmpty() ? QString() : QStringLiteral(" (") + QString::fromUtf8(reply)
                                                          + QLatin1Char(')')));
        noteTransportFailure(rc, transcript);
    } else {
        m_lost = false;
    }
    return rc;
}

// curl_easy_perform of libcurl 7.88 sits out its whole 1 s wait whenever the reply to EPSV
// is read in the same pass that sent the command (a quick server, and no CWD or TYPE before
// it): the data connection is set up but not begun, so curl waits on nothing at all. Driven
// here, curl is called again at once when it has nothing to wait for.
int FtpSession::run(void *easy)
{
    CURLM *multi = static_cast<CURLM *>(m_multi);
    CURL *h = handle(easy);
    if (curl_multi_add_handle(multi, h) != CURLM_OK)
        return CURLE_FAILED_INIT;
    int result = CURLE_OK;
    bool calledAgain = false;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (!running) {
            int left = 0;
            while (CURLMsg *msg = curl_multi_info_read(multi, &left))
                if (msg->msg == CURLMSG_DONE && msg->easy_handle == h)
                    result = msg->data.result;
            break;
        }
        fd_set readSet, writeSet, errorSet;
        FD_ZERO(&readSet);
        FD_ZERO(&writeSet);
        FD_ZERO(&errorSet);
        int maxFd = -1;
        curl_multi_fdset(multi, &readSet, &writeSet, &errorSet, &maxFd);
        long timeout = -1;
        curl_multi_timeout(multi, &timeout);
        // Once only: a socket numbered past FD_SETSIZE is not shown by fdset either.
        if (maxFd < 0 && timeout != 0 && !calledAgain) {
            calledAgain = true;
            continue;
        }
        calledAgain = false;
        if (curl_multi_poll(multi, nullptr, 0, PollMilliseconds, nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, h);
    return result;
}

// Runs one exchange; when the server turns out to have dropped the control connection
// (idle time-out, restart), runs it once more on a fresh one.
int FtpSession::performRetrying(const std::function<bool(Transcript &)> &prepare,
                                const std::function<void(Transcript &)> &setup, Transcript &transcript)
{
    int rc = CURLE_OK;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!prepare(transcript))
            return LocalFileError;
        rc = perform(
            [&](Transcript &t) {
                if (attempt > 0)
                    curl_easy_setopt(handle(m_curl), CURLOPT_FRESH_CONNECT, 1L);
                setup(t);
            },
            transcript);
        if (!droppedConnection(rc, transcript))
            break;
    }
    return rc;
}

int FtpSession::Open(const Endpoint &endpoint)
{
    QMutexLocker lock(&m_mutex);
    Close();
    m_endpoint = endpoint;
    m_untrusted.reset();
    m_mlsdRefused = false;
    m_mlstRefused = false;
    m_cwd.clear();
    m_curl = curl_easy_init();
    m_multi = curl_multi_init();
    if (m_multi)
        curl_multi_setopt(static_cast<CURLM *>(m_multi), CURLMOPT_MAXCONNECTS, 1L);
    if (!m_curl || !m_multi) {
        Close();
        fail(-1, QStringLiteral("cannot create a libcurl handle"));
        return -1;
    }
    Transcript t;
    // Logs in without a transfer, so that a wrong password or a closed port shows here.
    const QByteArray url = serverUrl();
    const int rc = perform(
        [&](Transcript &) {
            curl_easy_setopt(handle(m_curl), CURLOPT_URL, url.constData());
            curl_easy_setopt(handle(m_curl), CURLOPT_NOBODY, 1L);
        },
        t);
    if (rc != CURLE_OK) {
        if (m_endpoint.tls && (rc == CURLE_PEER_FAILED_VERIFICATION || rc == CURLE_SSL_PINNEDPUBKEYNOTMATCH))
            noteCertificateFailure(rc);
        Close();
        return rc;
    }
    char *entry = nullptr;
    curl_easy_getinfo(handle(m_curl), CURLINFO_FTP_ENTRY_PATH, &entry);
    m_cwd = entry ? QString::fromUtf8(entry) : QStringLiteral("/");
    m_open = true;
    return 0;
}

bool FtpSession::EnsureOpen(const Endpoint &endpoint)
{
    QMutexLocker lock(&m_mutex);
    if (m_open && m_endpoint == endpoint)
        return true;
    return Open(endpoint) == 0;
}

bool FtpSession::SetCurrentDirectory(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || !safePath(path)) {
        fail(m_open ? UnsafePath : NotConnected, QStringLiteral("cannot enter %1").arg(path));
        return false;
    }
    const QByteArray url = urlFor(path, true);
    Transcript t;
    const int rc = performRetrying([](Transcript &) { return true; },
                                   [&](Transcript &) {
                                       curl_easy_setopt(handle(m_curl), CURLOPT_URL, url.constData());
                                       curl_easy_setopt(handle(m_curl), CURLOPT_NOBODY, 1L);
                                       curl_easy_setopt(handle(m_curl), CURLOPT_FTP_FILEMETHOD,
                                                        long(CURLFTPMETHOD_SINGLECWD));
                                   },
                                   t);
    if (rc != CURLE_OK)
        return false;
    m_cwd = absolute(path);
    return true;
}

bool FtpSession::listOnce(const QString &folder, bool mlsd, QList<FtpEntry> &entries, Transcript &t)
{
    const QByteArray url = urlFor(folder, true);
    QByteArray data;
    const int rc = performRetrying(
        [&](Transcript &) {
            data.clear();
            return true;
        },
        [&](Transcript &) {
            CURL *h = handle(m_curl);
            curl_easy_setopt(h, CURLOPT_URL, url.constData());
            if (mlsd)
                curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "MLSD");
            else  // some servers take a LIST argument as options or a pattern: CWD there first
                curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendToBuffer);
            curl_easy_setopt(h, CURLOPT_WRITEDATA, &data);
        },
        t);
    if (rc != CURLE_OK)
        return false;
    entries = FtpListParser::ParseListing(data, mlsd, QDateTime::currentDateTimeUtc());
    if (!mlsd)
        m_cwd = absolute(folder);
    return true;
}

bool FtpSession::List(const QString &folder, QList<FtpEntry> &entries)
{
    QMutexLocker lock(&m_mutex);
    entries.clear();
    if (!m_open || !safePath(folder)) {
        fail(m_open ? UnsafePath : NotConnected, QStringLiteral("cannot list %1").arg(folder));
        return false;
    }
    Transcript t;
    if (!m_mlsdRefused) {
        if (listOnce(folder, true, entries, t))
            return true;
        const int code = t.replyTo("MLSD");
        if (code != 500 && code != 502 && code != 504)
            return false;
        m_mlsdRefused = true;
    }
    return listOnce(folder, false, entries, t);
}

std::optional<FtpEntry> FtpSession::probeByListing(const QString &path)
{
    const QString abs = absolute(path);
    const qsizetype slash = abs.lastIndexOf(QLatin1Char('/'));
    const QString name = abs.mid(slash + 1);
    if (name.isEmpty())
        return std::nullopt;
    QList<FtpEntry> entries;
    if (!List(abs.left(slash), entries))
        return std::nullopt;
    for (const FtpEntry &e : entries)
        if (e.name == name)
            return e;
    return std::nullopt;
}

std::optional<FtpEntry> FtpSession::Probe(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || !safePath(path)) {
        fail(m_open ? UnsafePath : NotConnected, QStringLiteral("cannot probe %1").arg(path));
        return std::nullopt;
    }
    // MLST gives the very facts MLSD gives; with LIST the folder's own listing is the
    // only way to get the same minutes-only time it shows.
    if (m_mlsdRefused || m_mlstRefused)
        return probeByListing(path);
    const QString abs = absolute(path);
    Transcript t;
    if (!command({"MLST " + abs.toUtf8()}, t))
        return std::nullopt;
    QList<QByteArray> lines;
    const int code = t.replyTo("MLST", &lines);
    if (code == 500 || code == 502 || code == 504) {
        m_mlstRefused = true;
        return probeByListing(path);
    }
    if (code / 100 != 2) {
        fail(code, QString::fromUtf8(t.lastReply()));
        return std::nullopt;
    }
    for (const QByteArray &line : lines) {
        FtpEntry e;
        if (line.startsWith(' ') && FtpListParser::ParseMlsdLine(line.mid(1), e)) {
            e.name = abs.mid(abs.lastIndexOf(QLatin1Char('/')) + 1);
            return e;
        }
    }
    return std::nullopt;
}

bool FtpSession::Download(const QString &remotePath, const QString &localPath, Write mode, qint64 expectedSize)
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || !safePath(remotePath)) {
        fail(m_open ? UnsafePath : NotConnected, QStringLiteral("cannot download %1").arg(remotePath));
        return false;
    }
    const QByteArray url = urlFor(remotePath, false);
    std::unique_ptr<QFileDevice> file;
    Transcript t;
    const int rc = performRetrying(
        [&](Transcript &) {
            if (mode == Write::Replace)
                file = std::make_unique<QSaveFile>(localPath);
            else
                file = std::make_unique<QFile>(localPath);
            if (file->open(QIODevice::WriteOnly | QIODevice::Truncate))
                return true;
            fail(LocalFileError, QStringLiteral("cannot write %1: %2").arg(localPath, file->errorString()));
            return false;
        },
        [&](Transcript &) {
            CURL *h = handle(m_curl);
            curl_easy_setopt(h, CURLOPT_URL, url.constData());
            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToDevice);
            curl_easy_setopt(h, CURLOPT_WRITEDATA, static_cast<QIODevice *>(file.get()));
            // The size is known from a listing: no SIZE round trip, the check is ours.
            if (expectedSize >= 0)
                curl_easy_setopt(h, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        },
        t);
    auto *saveFile = dynamic_cast<QSaveFile *>(file.get());
    if (rc == CURLE_OK && expectedSize >= 0 && file->size() != expectedSize) {
        fail(SizeDiffers, QStringLiteral("%1: %2 bytes read, %3 listed")
                                     .arg(remotePath).arg(file->size()).arg(expectedSize));
        if (saveFile)
            saveFile->cancelWriting();
        return false;
    }
    if (rc != CURLE_OK) {
        if (rc == CURLE_WRITE_ERROR)
            fail(LocalFileError, QStringLiteral("cannot write %1: %2").arg(localPath, file->errorString()));
        if (saveFile)
            saveFile->cancelWriting();
        return false;
    }
    if (saveFile ? !saveFile->commit() : !file->flush()) {
        fail(LocalFileError, QStringLiteral("cannot write %1: %2").arg(localPath, file->errorString()));
        return false;
    }
    return true;
}

bool FtpSession::Upload(const QString &localPath, const QString &remotePath)
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || !safePath(remotePath)) {
        fail(m_open ? UnsafePath : NotConnected, QStringLiteral("cannot upload %1").arg(remotePath));
        return false;
    }
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(LocalFileError, QStringLiteral("cannot read %1: %2").arg(localPath, file.errorString()));
        return false;
    }
    const QByteArray url = urlFor(remotePath, false);
    Transcript t;
    const int rc = performRetrying([&](Transcript &) { return file.seek(0); },
                                   [&](Transcript &) {
                                       CURL *h = handle(m_curl);
                                       curl_easy_setopt(h, CURLOPT_URL, url.constData());
                                       curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
                                       curl_easy_setopt(h, CURLOPT_READFUNCTION, readFromDevice);
                                       curl_easy_setopt(h, CURLOPT_READDATA,
                                                        static_cast<QIODevice *>(&file));
                                       curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE,
                                                        curl_off_t(file.size()));
                                   },
                                   t);
    return rc == CURLE_OK;
}

bool FtpSession::command(const QList<QByteArray> &lines, Transcript &transcript)
{
    for (const QByteArray &line : lines)
        if (line.contains('\r') || line.contains('\n') || line.contains('\0')) {
            fail(UnsafePath, QStringLiteral("refused to send a command with a line break"));
            return false;
        }
    const QByteArray url = urlFor(QStringLiteral("/"), true);
    SList quote;
    for (const QByteArray &line : lines)
        quote.append('*' + line);  // "*": a refusal must not make libcurl drop the connection
    const int rc = performRetrying([](Transcript &) { return true; },
                                   [&](Transcript &) {
                                       CURL *h = handle(m_curl);
                                       curl_easy_setopt(h, CURLOPT_URL, url.constData());
                                       curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
                                       curl_easy_setopt(h, CURLOPT_QUOTE, quote.list);
                                       // Short, and what puts a file back after a cancelled
                                       // copy: a Cancel does not cut it off at once.
                                       m_cuttable = false;
                                   },
                                   transcript);
    return rc == CURLE_OK;
}

bool FtpSession::Rename(const QString &from, const QString &to)
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || !safePath(from) || !safePath(to)) {
        fail(m_open ? UnsafePath : NotConnected, QStringLiteral("cannot rename %1").arg(from));
        return false;
    }
    Transcript t;
    if (!command({"RNFR " + absolute(from).toUtf8(), "RNTO " + absolute(to).toUtf8()}, t))
        return false;
    const int fromReply = t.replyTo("RNFR"), toReply = t.replyTo("RNTO");
    if (fromReply == 350 && toReply / 100 == 2)
        return true;
    fail(fromReply == 350 ? toReply : fromReply, QString::fromUtf8(t.lastReply()));
    return false;
}

bool FtpSession::pathCommand(const QByteArray &verb, const QString &path, const QString &refusal)
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || !safePath(path)) {
        fail(m_open ? UnsafePath : NotConnected, refusal.arg(path));
        return false;
    }
    Transcript t;
    if (!command({verb + ' ' + absolute(path).toUtf8()}, t))
        return false;
    const int code = t.replyTo(verb);
    if (code / 100 == 2)
        return true;
    fail(code, QString::fromUtf8(t.lastReply()));
    return false;
}

bool FtpSession::Delete(const QString &path) { return pathCommand("DELE", path, QStringLiteral("cannot delete %1")); }

bool FtpSession::MakeDirectory(const QString &path)
{
    return pathCommand("MKD", path, QStringLiteral("cannot create %1"));
}

bool FtpSession::RemoveDirectory(const QString &path)
{
    return pathCommand("RMD", path, QStringLiteral("cannot remove %1"));
}
