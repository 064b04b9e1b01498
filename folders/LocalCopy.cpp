#include "folders/LocalCopy.h"

#include <QFile>
#include <QFileInfo>

namespace LocalCopy {

bool CopyContent(const QString &source, const QString &target)
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

}  // namespace LocalCopy
