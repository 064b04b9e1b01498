#pragma once
#include <QFile>
#include <QString>

#include <csignal>

// Whether the process catches SIGTERM: a window program has set up once it does.
inline bool CatchesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}
