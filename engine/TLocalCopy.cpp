#include "engine/TLocalCopy.h"

#include "folders/KeepAside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool TLocalCopy::CopyContent(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QDateTime modified = QFileInfo(source).lastModified();
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    bool ok = true;
    QByteArray block;
    while (ok && !in.atEnd()) {
        block = in.read(1 << 20);
        ok = block.size() > 0 || in.atEnd();
        if (ok && !block.isEmpty())
            ok = out.write(block) == block.size();
    }
    ok = ok && in.error() == QFileDevice::NoError && out.flush();
    ok = ok && out.setFileTime(modified, QFileDevice::FileModificationTime);
    out.close();
    ok = ok && out.error() == QFileDevice::NoError;
    if (!ok)
        out.remove();
    return ok;
}

bool TLocalCopy::CopyReplacing(const QString &source, const QString &target)
{
    if (!QFileInfo(source).isFile())
        return false;
    QString aside;
    const QFileInfo existing(target);
    if (existing.exists() || existing.isSymLink()) {
        if (existing.isDir())
            return false;
        aside = KeepAside::FreeLocalName(target);
        if (!QFile::rename(target, aside))
            return false;
    }
    const bool ok = CopyContent(source, target);
    if (!aside.isEmpty()) {
        if (ok)
            QFile::remove(aside);
        else
            QFile::rename(aside, target);
    }
    return ok;
}

bool TLocalCopy::SaveCopy(const QString &source, const QString &target)
{
    if (!QFileInfo(source).isFile())
        return false;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    return CopyContent(source, target);
}
