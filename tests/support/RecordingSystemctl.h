#pragma once
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A stand-in for systemctl that records each call's arguments, one line per call, and
// fails with a given text while failing is set. Tests use it so they never reach the
// user's own service manager.
class RecordingSystemctl {
public:
    RecordingSystemctl()
    {
        QFile script(program());
        script.open(QIODevice::WriteOnly);
        script.write(QStringLiteral("#!/bin/sh\n"
                                    "echo \"$*\" >> '%1'\n"
                                    "if [ -f '%2' ]; then cat '%2' >&2; exit 1; fi\n")
                         .arg(m_dir.filePath(QStringLiteral("calls")), m_dir.filePath(QStringLiteral("fail")))
                         .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString program() const { return m_dir.filePath(QStringLiteral("systemctl")); }

    // Every later call fails with this text on stderr; an empty text makes calls succeed again.
    void setFailure(const QString &text)
    {
        QFile f(m_dir.filePath(QStringLiteral("fail")));
        if (text.isEmpty()) {
            f.remove();
            return;
        }
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
    }

    QStringList calls() const
    {
        QFile f(m_dir.filePath(QStringLiteral("calls")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    void clearCalls() { QFile::remove(m_dir.filePath(QStringLiteral("calls"))); }

private:
    QTemporaryDir m_dir;
};
