#include "update/UpdateIni.h"

#include <QFile>

std::optional<UpdateIni> UpdateIni::Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return Parse(text);
}

UpdateIni UpdateIni::Parse(const QByteArray &text)
{
    UpdateIni ini;
    QString section;
    bool haveVer = false;
    QString all = QString::fromUtf8(text);
    if (all.startsWith(QChar(0xFEFF)))
        all.remove(0, 1);
    for (const QString &raw : all.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (section.compare(QLatin1String("HTTP"), Qt::CaseInsensitive) == 0) {
            ini.HttpLines.append(line);
        } else if (!haveVer && section.compare(QLatin1String("Version"), Qt::CaseInsensitive) == 0
                   && line.left(eq).trimmed().compare(QLatin1String("Ver"), Qt::CaseInsensitive) == 0) {
            ini.Ver = line.mid(eq + 1).trimmed();
            haveVer = true;
        }
    }
    return ini;
}

QString UrlOfHttpLine(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.mid(eq + 1).trimmed();
}
