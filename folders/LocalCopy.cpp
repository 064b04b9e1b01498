#include "folders/LocalCopy.h"

#include <QFile>
#include <QFileInfo>

namespace LocalCopy {

bool CopyContent(const QString &source, const QString &target, QString *why, bool *atTarget)
{
    const auto failed = [why, atTarget](bool writing, const QFile &file) {
        if (why)
            *why = QStringLiteral("cannot %1 %2: %3")
                       .arg(writing ? QStringLiteral("write") : QStringLiteral("read"), file.fileName(), file.errorString());
        if (atTarget)
            *atTarget = writing;
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failed(false, in);
    const QDateTime modified = QFileInfo(source).lastModified();
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed(true, out);
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
    if (!ok) {
        const bool reading = in.error() != QFileDevice::NoError;
        failed(!reading, reading ? in : out);
        out.remove();
    }
    return ok;
}

}  // namespace LocalCopy
