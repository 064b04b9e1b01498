#include "tests/support/SshServerFixture.h"

#include "platform/KnownHosts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <csignal>
#include <unistd.h>

namespace {

const QString TestUser = QStringLiteral("corvane-sftp-test");

bool run(const QString &program, const QStringList &args, QByteArray *out = nullptr, const QByteArray &input = {})
{
    QProcess p;
    p.start(program, args);
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

bool makeKey(const QString &path, const QString &passphrase = {})
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".pub"));
    return run(QStringLiteral("ssh-keygen"), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                                              QStringLiteral("-N"), passphrase, QStringLiteral("-f"), path});
}

}  // namespace

SshServerFixture::SshServerFixture()
{
    m_oldHome = qgetenv("HOME");
    qputenv("HOME", m_home.path().toUtf8());
    // A dedicated login user goes through it to its files.
    QFile::setPermissions(m_root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                             | QFileDevice::ReadOther | QFileDevice::ExeOther);
    makeKey(userKey());
    makeKey(strangerKey());
    makeKey(lockedKey(), lockedKeyPassphrase());
    QFile authorized(m_work.filePath(QStringLiteral("authorized_keys")));
    for (const QString &key : {userKey(), lockedKey()}) {
        QFile pub(key + QStringLiteral(".pub"));
        if (pub.open(QIODevice::ReadOnly) && authorized.open(QIODevice::Append))
            authorized.write(pub.readAll());
        authorized.close();
    }
    newHostKey();
}

SshServerFixture::~SshServerFixture()
{
    stop();
    if (!m_passwordUser.isEmpty())
        run(QStringLiteral("userdel"), {m_passwordUser});
    qputenv("HOME", m_oldHome);
}

void SshServerFixture::stop()
{
    silenceConnections(false);
    m_server.stop();
}

void SshServerFixture::silenceConnections(bool silent)
{
    QFile pidFile(m_work.filePath(QStringLiteral("sshd.pid")));
    if (!pidFile.open(QIODevice::ReadOnly))
        return;
    const qint64 listener = pidFile.readAll().trimmed().toLongLong();
    QSet<qint64> tree{listener};
    // Parents are listed before their children often enough; repeat until nothing is added.
    for (qsizetype before = 0; before != tree.size();) {
        before = tree.size();
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            // "pid (name) state ppid ...": the name may hold blanks, the rest follows its ")".
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && tree.contains(fields[1].toLongLong()))
                tree.insert(entry.toLongLong());
        }
    }
    tree.remove(listener);
    for (const qint64 pid : tree)
        ::kill(pid_t(pid), silent ? SIGSTOP : SIGCONT);
}

bool SshServerFixture::newHostKey() { return makeKey(m_work.filePath(QStringLiteral("hostkey"))); }

bool SshServerFixture::start()
{
    stop();
    // A restart keeps the port: the same server as far as a client can tell.
    const int port = m_port;
    m_port = m_server.start(QStringLiteral("sshserver.py"),
                            {QStringLiteral("--work"), m_work.path(), QStringLiteral("--host-key"),
                             m_work.filePath(QStringLiteral("hostkey")), QStringLiteral("--authorized-keys"),
                             m_work.filePath(QStringLiteral("authorized_keys")), QStringLiteral("--port"),
                             QString::number(port)});
    return m_port > 0;
}

QString SshServerFixture::url(const QString &path) const
{
    return QStringLiteral("sftp://127.0.0.1:%1").arg(m_port) + root() + path;
}

JobSide SshServerFixture::keySource(const QString &path) const
{
    JobSide side;
    side.DeviceType = 3;
    side.FolerAllName = url(path);
    side.UserName = QString::fromLocal8Bit(qgetenv("USER"));
    if (side.UserName.isEmpty())
        side.UserName = getuid() == 0 ? QStringLiteral("root") : QString();
    side.PrivateKey = userKey();
    return side;
}

QString SshServerFixture::hostKeyFingerprint() const
{
    QByteArray out;
    if (!run(QStringLiteral("ssh-keygen"), {QStringLiteral("-l"), QStringLiteral("-E"), QStringLiteral("sha256"),
                                            QStringLiteral("-f"), m_work.filePath(QStringLiteral("hostkey.pub"))},
             &out))
        return {};
    // "256 SHA256:... comment (ED25519)"
    const QList<QByteArray> parts = out.trimmed().split(' ');
    return parts.size() >= 2 ? QString::fromLatin1(parts[1]) : QString();
}

bool SshServerFixture::trustHostKey(bool hashed)
{
    QFile pub(m_work.filePath(QStringLiteral("hostkey.pub")));
    if (!pub.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> key = pub.readAll().trimmed().split(' ');
    const QString line = KnownHosts::HostName(QStringLiteral("127.0.0.1"), m_port) + QLatin1Char(' ')
                         + QString::fromLatin1(key.value(0) + ' ' + key.value(1));
    const QString file = KnownHosts::UserFile();
    if (!KnownHosts::Add(file, line))
        return false;
    return !hashed || run(QStringLiteral("ssh-keygen"), {QStringLiteral("-H"), QStringLiteral("-f"), file});
}

QString SshServerFixture::passwordUser()
{
    if (!m_passwordUser.isEmpty() || getuid() != 0)
        return m_passwordUser;
    // Left over by a test that was killed: used again.
    run(QStringLiteral("useradd"), {QStringLiteral("-M"), QStringLiteral("-d"), root(), QStringLiteral("-s"),
                                    QStringLiteral("/bin/sh"), TestUser});
    if (run(QStringLiteral("chpasswd"), {}, nullptr, (TestUser + QLatin1Char(':') + password() + QLatin1Char('\n')).toUtf8()))
        m_passwordUser = TestUser;
    return m_passwordUser;
}

JobSide SshServerFixture::passwordSource(const QString &path)
{
    JobSide side;
    side.DeviceType = 3;
    side.FolerAllName = url(path);
    side.UserName = passwordUser();
    side.PWD = password();
    if (!side.UserName.isEmpty())
        run(QStringLiteral("chown"), {QStringLiteral("-R"), side.UserName, root()});
    return side;
}
