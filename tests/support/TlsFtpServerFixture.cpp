#include "tests/support/TlsFtpServerFixture.h"

#include <QFile>
#include <QProcess>

namespace {

bool runOpenssl(const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

}  // namespace

TlsFtpServerFixture::TlsFtpServerFixture() : FtpServerBase(QStringLiteral("ftps"))
{
    // The server's own user reaches its home through these.
    QFile::setPermissions(m_root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                             | QFileDevice::ReadOther | QFileDevice::ExeOther);
    newCertificate();
}

bool TlsFtpServerFixture::newCertificate()
{
    const QString cert = m_work.filePath(QStringLiteral("cert.pem"));
    const QString key = m_work.filePath(QStringLiteral("key.pem"));
    QByteArray out;
    if (!runOpenssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                     QStringLiteral("-nodes"), QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert,
                     QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")})
        || !runOpenssl({QStringLiteral("x509"), QStringLiteral("-in"), cert, QStringLiteral("-noout"),
                        QStringLiteral("-fingerprint"), QStringLiteral("-sha256")},
                       &out))
        return false;
    m_fingerprint = QString::fromLatin1(out.mid(out.indexOf('=') + 1).trimmed());
    return true;
}

bool TlsFtpServerFixture::start(bool tls)
{
    stop();
    // A restart keeps the port: the same server as far as a client can tell.
    const int port = m_port;
    QStringList args{QStringLiteral("--root"), root(), QStringLiteral("--user"), user(),
                     QStringLiteral("--password"), password(), QStringLiteral("--work"), m_work.path(),
                     QStringLiteral("--cert"), m_work.filePath(QStringLiteral("cert.pem")),
                     QStringLiteral("--key"), m_work.filePath(QStringLiteral("key.pem"))};
    if (!tls)
        args << QStringLiteral("--no-tls");
    args << QStringLiteral("--port") << QString::number(port);
    m_port = m_server.start(QStringLiteral("tlsftpserver.py"), args);
    return m_port > 0;
}
