#include "platform/KnownHosts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>

namespace {

// One name field of a line: comma-separated patterns, or one hashed name.
bool namesHost(const QByteArray &names, const QByteArray &hostName)
{
    if (names.startsWith("|1|")) {
        const QList<QByteArray> parts = names.split('|');
        if (parts.size() != 4)
            return false;
        const QByteArray salt = QByteArray::fromBase64(parts[2]);
        return QMessageAuthenticationCode::hash(hostName, salt, QCryptographicHash::Sha1)
               == QByteArray::fromBase64(parts[3]);
    }
    for (const QByteArray &pattern : names.split(','))
        if (pattern == hostName)
            return true;
    return false;
}

}  // namespace

QString KnownHosts::UserFile() { return QDir::homePath() + QStringLiteral("/.ssh/known_hosts"); }

QString KnownHosts::HostName(const QString &host, int port)
{
    return port == 22 ? host : QStringLiteral("[%1]:%2").arg(host).arg(port);
}

int KnownHosts::LineFor(const QString &file, const QString &host, int port)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray name = HostName(host, port).toUtf8();
    int number = 0;
    while (!f.atEnd()) {
        ++number;
        QByteArray line = f.readLine().trimmed();
        if (line.startsWith('@'))  // "@cert-authority", "@revoked": a marker before the names
            line = line.mid(line.indexOf(' ') + 1).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (namesHost(line.left(line.indexOf(' ')), name))
            return number;
    }
    return 0;
}

bool KnownHosts::Add(const QString &file, const QString &line)
{
    const QString folder = QFileInfo(file).path();
    if (!QDir(folder).exists()) {
        if (!QDir().mkpath(folder))
            return false;
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QFile f(file);
    const bool existed = f.exists();
    if (!f.open(QIODevice::Append))
        return false;
    if (!existed)
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A file that does not end its last line would glue the new one to it.
    QByteArray text = line.toUtf8() + '\n';
    if (existed && f.size() > 0) {
        QFile reader(file);
        if (reader.open(QIODevice::ReadOnly) && reader.seek(reader.size() - 1) && reader.read(1) != "\n")
            text.prepend('\n');
    }
    return f.write(text) == text.size() && f.flush();
}
