#include "update/VersionCompare.h"

#include <QStringList>
#include <optional>

namespace {

// Components without leading zeros, so that numbers of any length compare as digit texts.
std::optional<QStringList> Components(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    QStringList parts = t.split(QLatin1Char('.'));
    for (QString &p : parts) {
        if (p.isEmpty())
            return std::nullopt;
        for (const QChar c : p)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        while (p.size() > 1 && p.startsWith(QLatin1Char('0')))
            p.remove(0, 1);
    }
    return parts;
}

int CompareNumber(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

}  // namespace

bool IsNewerVersion(const QString &published, const QString &installed)
{
    const std::optional<QStringList> pub = Components(published);
    if (!pub)
        return false;
    const std::optional<QStringList> inst = Components(installed);
    if (!inst)
        return true;
    const qsizetype n = std::max(pub->size(), inst->size());
    const QString zero = QStringLiteral("0");
    for (qsizetype i = 0; i < n; ++i) {
        const int c = CompareNumber(i < pub->size() ? pub->at(i) : zero,
                                    i < inst->size() ? inst->at(i) : zero);
        if (c != 0)
            return c > 0;
    }
    return false;
}
