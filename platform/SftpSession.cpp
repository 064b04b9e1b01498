#include "platform/SftpSession.h"

#include "platform/KnownHosts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <chrono>
#include <fcntl.h>
#include <sys/socket.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <memory>

namespace {

// A server that answers nothing for this long is taken as gone.
constexpr long TimeoutSeconds = 20;
// Blocks of a transfer: a Cancel is seen between two of them.
constexpr qint64 BlockSize = 64 * 1024;
// OpenSSH's server takes at most this much in one write request.
constexpr qint64 WriteBlockSize = 32 * 1024;

ssh_session ssh(void *p) { return static_cast<ssh_session>(p); }
sftp_session sftp(void *p) { return static_cast<sftp_session>(p); }

struct AttributesFree {
    void operator()(sftp_attributes a) const { sftp_attributes_free(a); }
};
using Attributes = std::unique_ptr<sftp_attributes_struct, AttributesFree>;

struct FileClose {
    void operator()(sftp_file f) const { sftp_close(f); }
};
using RemoteFile = std::unique_ptr<sftp_file_struct, FileClose>;

QString sftpErrorText(int code)
{
    switch (code) {
    case SSH_FX_NO_SUCH_FILE:
        return QStringLiteral("no such file or folder");
    case SSH_FX_PERMISSION_DENIED:
        return QStringLiteral("permission denied");
    case SSH_FX_FILE_ALREADY_EXISTS:
        return QStringLiteral("it exists already");
    case SSH_FX_OP_UNSUPPORTED:
        return QStringLiteral("the server does not support it");
    default:
        return QStringLiteral("the server refused it (SFTP status %1)").arg(code);
    }
}

FtpEntry entryOf(const QString &name, sftp_attributes a)
{
    FtpEntry e;
    e.name = name;
    e.isFolder = a->type == SSH_FILEXFER_TYPE_DIRECTORY;
    if (a->flags & SSH_FILEXFER_ATTR_ACMODTIME)
        e.modified = QDateTime::fromSecsSinceEpoch(qint64(a->mtime), QTimeZone::utc());
    e.size = e.isFolder ? 0 : int64_t(a->size);
    e.sizeKnown = a->type == SSH_FILEXFER_TYPE_REGULAR;
    return e;
}

QString nameOf(const QString &path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

}  // namespace

// Around a call that waits on the server. cuttable: a transfer or a listing, which a cancel
// ends at once; any other call is given the settle time to finish.
class SftpSession::Waiting {
public:
    Waiting(SftpSession &session, bool cuttable) : m_session(session)
    {
        const std::lock_guard lock(session.m_waitMutex);
        session.m_cut = Cut::None;
        if (!session.m_cancel.load() || !session.m_ssh)
            return;
        if (!session.m_watcher.joinable())
            session.m_watcher = std::thread([&session] { session.watch(); });
        session.m_waitFd = ssh_get_fd(ssh(session.m_ssh));
        session.m_cuttable = cuttable;
    }
    ~Waiting()
    {
        const std::lock_guard lock(m_session.m_waitMutex);
        m_session.m_waitFd = -1;
    }
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;

private:
    SftpSession &m_session;
};

void SftpSession::watch()
{
    std::unique_lock lock(m_waitMutex);
    while (!m_stopWatching) {
        // A cancel is seen within a poll interval.
        m_waitChanged.wait_for(lock, std::chrono::milliseconds(50));
        RunCancel *cancel = m_cancel.load();
        if (!cancel || !cancel->Requested())
            continue;
        // Seen: the settle time runs from now, also when no call waits yet.
        const int64_t left = cancel->SettleLeft();
        const bool atOnce = cancel->EndsAtOnce(m_cuttable);
        if (m_waitFd < 0 || (!atOnce && left > 0))
            continue;
        // libssh waits in poll() on this socket: a shut-down socket ends the wait at once.
        ::shutdown(m_waitFd, SHUT_RDWR);
        m_cut = atOnce ? Cut::AtOnce : Cut::AfterSettle;
        m_waitFd = -1;
    }
}

void SftpSession::stopWatching()
{
    {
        const std::lock_guard lock(m_waitMutex);
        m_stopWatching = true;
    }
    m_waitChanged.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
}

SftpSession::~SftpSession()
{
    stopWatching();
    Close();
}

void SftpSession::Close()
{
    {
        // The socket is about to close: the watcher must not cut whatever reuses its number.
        const std::lock_guard lock(m_waitMutex);
        m_waitFd = -1;
    }
    if (m_sftp)
        sftp_free(sftp(m_sftp));
    if (m_ssh) {
        ssh_disconnect(ssh(m_ssh));
        ssh_free(ssh(m_ssh));
    }
    m_sftp = nullptr;
    m_ssh = nullptr;
}

bool SftpSession::fail(const QString &reason, bool lost)
{
    m_reason = reason;
    m_lost = lost;
    return false;
}

bool SftpSession::cancelled()
{
    RunCancel *cancel = m_cancel.load();
    if (!cancel || !cancel->EndsAtOnce(true))
        return false;
    m_missing = false;
    m_localFile = false;
    fail(QStringLiteral("cancelled"));
    return true;
}

bool SftpSession::failRemote(const QString &what, const QString &path)
{
    m_missing = false;
    m_localFile = false;
    Cut cut = Cut::None;
    {
        const std::lock_guard lock(m_waitMutex);
        cut = std::exchange(m_cut, Cut::None);
    }
    if (cut != Cut::None)
        return fail(cut == Cut::AtOnce ? QStringLiteral("cancelled") : RunCancel::SettleOverReason(), true);
    if (!m_ssh || !ssh_is_connected(ssh(m_ssh)))
        return fail(QStringLiteral("connection lost (%1)").arg(QString::fromUtf8(ssh_get_error(m_ssh))), true);
    const int code = sftp_get_error(sftp(m_sftp));
    m_missing = code == SSH_FX_NO_SUCH_FILE;
    return fail(QStringLiteral("cannot %1 %2: %3").arg(what, path, sftpErrorText(code)));
}

bool SftpSession::EnsureOpen(const Endpoint &endpoint)
{
    if (IsOpen() && m_endpoint == endpoint && ssh_is_connected(ssh(m_ssh)))
        return true;
    return Open(endpoint);
}

bool SftpSession::Open(const Endpoint &endpoint)
{
    Close();
    m_endpoint = endpoint;
    m_untrusted.reset();
    m_missing = m_localFile = m_needsPassphrase = false;
    m_ssh = ssh_new();
    if (!m_ssh)
        return fail(QStringLiteral("cannot create an SSH session"), true);
    ssh_session s = ssh(m_ssh);
    const QByteArray host = endpoint.host.toUtf8();
    const QByteArray user = endpoint.user.toUtf8();
    // The job says everything: no ~/.ssh/config redirects it, and known_hosts is the one
    // of the home folder the program runs with.
    const QByteArray sshFolder = QFile::encodeName(QDir::homePath() + QStringLiteral("/.ssh"));
    const QByteArray knownHosts = QFile::encodeName(KnownHosts::UserFile());
    const unsigned int port = unsigned(endpoint.port);
    // After a cancel, what is still to be sent gets what is left of the settle time, not a
    // silent server's.
    RunCancel *cancel = m_cancel.load();
    const bool cancelled = cancel && cancel->Requested();
    const int64_t settleLeft = cancelled ? cancel->SettleLeft() : 0;
    if (cancelled && settleLeft <= 0) {
        Close();
        return fail(RunCancel::SettleOverReason(), true);
    }
    const long timeout = cancelled ? long(settleLeft / 1000) : TimeoutSeconds;
    const long timeoutMicroseconds = cancelled ? long(settleLeft % 1000) * 1000 : 0;
    const bool processConfig = false;
    // Each block of a transfer waits for the server's reply: without this, Nagle's delay and
    // the peer's delayed ACK cost some 40 ms per block.
    const int noDelay = 1;
    ssh_options_set(s, SSH_OPTIONS_HOST, host.constData());
    ssh_options_set(s, SSH_OPTIONS_PORT, &port);
    if (!user.isEmpty())
        ssh_options_set(s, SSH_OPTIONS_USER, user.constData());
    ssh_options_set(s, SSH_OPTIONS_PROCESS_CONFIG, &processConfig);
    ssh_options_set(s, SSH_OPTIONS_SSH_DIR, sshFolder.constData());
    ssh_options_set(s, SSH_OPTIONS_KNOWNHOSTS, knownHosts.constData());
    ssh_options_set(s, SSH_OPTIONS_TIMEOUT, &timeout);
    ssh_options_set(s, SSH_OPTIONS_TIMEOUT_USEC, &timeoutMicroseconds);
    ssh_options_set(s, SSH_OPTIONS_NODELAY, &noDelay);
    if (ssh_connect(s) != SSH_OK) {
        const QString why = QString::fromUtf8(ssh_get_error(s));
        Close();
        return fail(QStringLiteral("cannot connect to %1: %2").arg(KnownHosts::HostName(endpoint.host, endpoint.port), why),
                    true);
    }
    const Waiting waiting(*this, false);
    if (!checkHostKey() || !logIn()) {
        Close();
        return false;
    }
    m_sftp = sftp_new(s);
    if (!m_sftp || sftp_init(sftp(m_sftp)) != SSH_OK) {
        const QString why = QString::fromUtf8(ssh_get_error(s));
        Close();
        return fail(QStringLiteral("the server offers no SFTP: %1").arg(why), true);
    }
    m_lost = false;
    return true;
}

bool SftpSession::checkHostKey()
{
    ssh_session s = ssh(m_ssh);
    const QString server = KnownHosts::HostName(m_endpoint.host, m_endpoint.port);
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(s, &key) != SSH_OK)
        return fail(QStringLiteral("%1 showed no host key").arg(server), true);
    unsigned char *hash = nullptr;
    size_t length = 0;
    QString fingerprint;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == SSH_OK) {
        char *text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length);
        fingerprint = QString::fromLatin1(text);
        ssh_string_free_char(text);
        ssh_clean_pubkey_hash(&hash);
    }
    const QString type = QString::fromLatin1(ssh_key_type_to_char(ssh_key_type(key)));
    ssh_key_free(key);
    const QString file = KnownHosts::UserFile();
    switch (ssh_session_is_known_server(s)) {
    case SSH_KNOWN_HOSTS_OK:
        return true;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER: {
        const int line = KnownHosts::LineFor(file, m_endpoint.host, m_endpoint.port);
        return fail(QStringLiteral("WARNING: the host key of %1 has changed (it now shows %2 key %3), it does not match "
                                   "%4 line %5; refused. Someone may be in the way; if the server's key was replaced, "
                                   "remove that line.")
                        .arg(server, type, fingerprint, file)
                        .arg(line),
                    true);
    }
    case SSH_KNOWN_HOSTS_UNKNOWN:
    case SSH_KNOWN_HOSTS_NOT_FOUND: {
        char *entry = nullptr;
        if (ssh_session_export_known_hosts_entry(s, &entry) != SSH_OK)
            return fail(QStringLiteral("the host key of %1 is unknown and cannot be read").arg(server), true);
        ServerTrust trust;
        trust.kind = ServerTrust::Kind::HostKey;
        trust.server = server;
        trust.fingerprint = fingerprint;
        trust.keyType = type;
        trust.record = QString::fromUtf8(entry).trimmed();
        ssh_string_free_char(entry);
        m_untrusted = trust;
        return fail(QStringLiteral("the host key of %1 is not known: %2 key fingerprint %3. To trust it, add this line "
                                   "to %4:\n%5")
                        .arg(server, type, fingerprint, file, trust.record),
                    true);
    }
    default:
        return fail(QStringLiteral("cannot check the host key of %1 against %2: %3")
                        .arg(server, file, QString::fromUtf8(ssh_get_error(s))),
                    true);
    }
}

bool SftpSession::logIn()
{
    ssh_session s = ssh(m_ssh);
    if (ssh_userauth_none(s, nullptr) == SSH_AUTH_SUCCESS)
        return true;
    QString refused;
    if (!m_endpoint.keyFile.isEmpty()) {
        const QFileInfo info(m_endpoint.keyFile);
        if (!info.isFile() || !info.isReadable())
            return fail(QStringLiteral("cannot read the key file %1").arg(m_endpoint.keyFile), true);
        ssh_key key = nullptr;
        if (!importKey(&key))
            return false;
        const int rc = ssh_userauth_publickey(s, nullptr, key);
        ssh_key_free(key);
        if (rc == SSH_AUTH_SUCCESS)
            return true;
        refused = QStringLiteral("the server refused the key in %1").arg(m_endpoint.keyFile);
    }
    if (!qEnvironmentVariableIsEmpty("SSH_AUTH_SOCK") && ssh_userauth_agent(s, nullptr) == SSH_AUTH_SUCCESS)
        return true;
    if (!m_endpoint.password.isEmpty()) {
        if (ssh_userauth_password(s, nullptr, m_endpoint.password.toUtf8().constData()) == SSH_AUTH_SUCCESS)
            return true;
        refused = QStringLiteral("login refused: wrong user name or password");
    }
    if (refused.isEmpty())
        refused = QStringLiteral("login refused: no key file, agent key or password the server accepts");
    return fail(refused, true);
}

namespace {

// libssh asks for a passphrase only when the key is locked: noting the question tells a
// locked key from a file that holds no key.
int notePassphraseAsked(const char *, char *, size_t, int, int, void *asked)
{
    *static_cast<bool *>(asked) = true;
    return SSH_ERROR;
}

}  // namespace

bool SftpSession::importKey(ssh_key_struct **key)
{
    const QByteArray file = QFile::encodeName(m_endpoint.keyFile);
    bool locked = false;
    if (ssh_pki_import_privkey_file(file.constData(), nullptr, notePassphraseAsked, &locked, key) == SSH_OK)
        return true;
    if (!locked)
        return fail(QStringLiteral("cannot use the key file %1: it holds no private key").arg(m_endpoint.keyFile), true);
    m_needsPassphrase = true;
    if (m_endpoint.passphrase.isEmpty())
        return fail(QStringLiteral("the key file %1 needs a passphrase, and none was given").arg(m_endpoint.keyFile),
                    true);
    if (ssh_pki_import_privkey_file(file.constData(), m_endpoint.passphrase.toUtf8().constData(), nullptr, nullptr, key)
        != SSH_OK)
        return fail(QStringLiteral("the passphrase given for the key file %1 is wrong").arg(m_endpoint.keyFile), true);
    m_needsPassphrase = false;
    return true;
}

bool SftpSession::List(const QString &folder, QList<FtpEntry> &entries)
{
    entries.clear();
    if (!IsOpen())
        return fail(QStringLiteral("not connected"), true);
    if (cancelled())
        return false;
    const Waiting waiting(*this, true);
    const QByteArray path = folder.toUtf8();
    sftp_dir dir = sftp_opendir(sftp(m_sftp), path.constData());
    if (!dir)
        return failRemote(QStringLiteral("list"), folder);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    while (Attributes a{sftp_readdir(sftp(m_sftp), dir)}) {
        const QString name = QString::fromUtf8(a->name);
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/')))
            continue;
        if (a->type == SSH_FILEXFER_TYPE_SYMLINK) {
            // What the link leads to, as a probe of it shows; a dangling link is left out.
            if (Attributes target{sftp_stat(sftp(m_sftp), (prefix + name).toUtf8().constData())})
                entries.append(entryOf(name, target.get()));
            continue;
        }
        entries.append(entryOf(name, a.get()));
    }
    const bool complete = sftp_dir_eof(dir);
    sftp_closedir(dir);
    return complete || failRemote(QStringLiteral("list"), folder);
}

std::optional<FtpEntry> SftpSession::Probe(const QString &path)
{
    if (!IsOpen()) {
        fail(QStringLiteral("not connected"), true);
        return std::nullopt;
    }
    const Waiting waiting(*this, false);
    Attributes a{sftp_stat(sftp(m_sftp), path.toUtf8().constData())};
    if (!a) {
        failRemote(QStringLiteral("read"), path);
        return std::nullopt;
    }
    return entryOf(nameOf(path), a.get());
}

bool SftpSession::Download(const QString &remotePath, const QString &localPath, qint64 expectedSize)
{
    if (!IsOpen())
        return fail(QStringLiteral("not connected"), true);
    const Waiting waiting(*this, true);
    RemoteFile in{sftp_open(sftp(m_sftp), remotePath.toUtf8().constData(), O_RDONLY, 0)};
    if (!in)
        return failRemote(QStringLiteral("read"), remotePath);
    QFile out(localPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_localFile = true;
        return fail(QStringLiteral("cannot write %1: %2").arg(localPath, out.errorString()));
    }
    QByteArray block(BlockSize, Qt::Uninitialized);
    for (;;) {
        if (cancelled())
            return false;
        const ssize_t n = sftp_read(in.get(), block.data(), size_t(block.size()));
        if (n < 0)
            return failRemote(QStringLiteral("read"), remotePath);
        if (n == 0)
            break;
        meter(n);
        if (out.write(block.constData(), n) != n) {
            m_localFile = true;
            return fail(QStringLiteral("cannot write %1: %2").arg(localPath, out.errorString()));
        }
    }
    if (!out.flush()) {
        m_localFile = true;
        return fail(QStringLiteral("cannot write %1: %2").arg(localPath, out.errorString()));
    }
    if (expectedSize >= 0 && out.size() != expectedSize) {
        m_localFile = false;
        return fail(QStringLiteral("%1: %2 bytes read, %3 listed").arg(remotePath).arg(out.size()).arg(expectedSize));
    }
    return true;
}

bool SftpSession::Upload(const QString &localPath, const QString &remotePath)
{
    if (!IsOpen())
        return fail(QStringLiteral("not connected"), true);
    const Waiting waiting(*this, true);
    QFile in(localPath);
    if (!in.open(QIODevice::ReadOnly)) {
        m_localFile = true;
        return fail(QStringLiteral("cannot read %1: %2").arg(localPath, in.errorString()));
    }
    RemoteFile out{sftp_open(sftp(m_sftp), remotePath.toUtf8().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
    if (!out)
        return failRemote(QStringLiteral("write"), remotePath);
    QByteArray block(WriteBlockSize, Qt::Uninitialized);
    for (;;) {
        if (cancelled())
            return false;
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0) {
            m_localFile = true;
            return fail(QStringLiteral("cannot read %1: %2").arg(localPath, in.errorString()));
        }
        if (n == 0)
            break;
        if (sftp_write(out.get(), block.constData(), size_t(n)) != n)
            return failRemote(QStringLiteral("write"), remotePath);
        meter(n);
    }
    // The server's reply to the close says whether the last blocks landed.
    if (sftp_close(out.release()) != SSH_NO_ERROR)
        return failRemote(QStringLiteral("write"), remotePath);
    return true;
}

bool SftpSession::Rename(const QString &from, const QString &to)
{
    if (!IsOpen())
        return fail(QStringLiteral("not connected"), true);
    const Waiting waiting(*this, false);
    return sftp_rename(sftp(m_sftp), from.toUtf8().constData(), to.toUtf8().constData()) == 0
           || failRemote(QStringLiteral("rename %1 to").arg(from), to);
}

bool SftpSession::Delete(const QString &path)
{
    if (!IsOpen())
        return fail(QStringLiteral("not connected"), true);
    const Waiting waiting(*this, false);
    return sftp_unlink(sftp(m_sftp), path.toUtf8().constData()) == 0 || failRemote(QStringLiteral("delete"), path);
}

bool SftpSession::MakeDirectory(const QString &path)
{
    if (!IsOpen())
        return fail(QStringLiteral("not connected"), true);
    const Waiting waiting(*this, false);
    return sftp_mkdir(sftp(m_sftp), path.toUtf8().constData(), 0755) == 0 || failRemote(QStringLiteral("create"), path);
}

bool SftpSession::RemoveDirectory(const QString &path)
{
    if (!IsOpen())
        return fail(QStringLiteral("not connected"), true);
    const Waiting waiting(*this, false);
    return sftp_rmdir(sftp(m_sftp), path.toUtf8().constData()) == 0 || failRemote(QStringLiteral("remove"), path);
}
