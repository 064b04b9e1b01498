#include "ui/config/FilterBoundText.h"

#include "app/DosDateTime.h"
#include "app/SharedFunctions.h"

#include <QDateTime>

namespace FilterBoundText {

namespace {

const QString TimeFormat = QStringLiteral("MM-dd-yyyy HH:mm");

}  // namespace

SizeShown ShowSize(int64_t bytes)
{
    int64_t v = bytes;
    if (v <= 1024)
        return {QString::number(v), UnitB};
    v /= 1024;
    if (v <= 1024)
        return {QString::number(v), UnitKB};
    return {QString::number(v / 1024), UnitMB};
}

std::optional<int64_t> SizeFromText(const QString &value, int unit)
{
    const QString t = value.trimmed();
    if (t.isEmpty() || t.size() > 9)
        return std::nullopt;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const int64_t n = t.toLongLong();
    switch (unit) {
    case UnitKB:
        return n * 1024;
    case UnitMB:
        return n * 1048576;
    default:
        return n;
    }
}

QString InitialTimeText()
{
    return QStringLiteral("01-01-1980 00:00");
}

QString ShowTime(int32_t packed)
{
    const QDateTime t = DosDateTime::Unpack(packed);
    return t.isValid() ? t.toString(TimeFormat) : InitialTimeText();
}

std::optional<int32_t> TimeFromText(const QString &text)
{
    const QDateTime t = ParseDateTimeText(text);
    if (!t.isValid())
        return std::nullopt;
    return DosDateTime::Pack(t);
}

}  // namespace FilterBoundText
