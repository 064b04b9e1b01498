#include "app/DosDateTime.h"

#include <ctime>

namespace DosDateTime {

int32_t PackFields(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1980 || year > 2107 || month < 1 || month > 12 || day < 1 || day > 31
        || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return 0;
    const uint32_t date = (uint32_t(year - 1980) << 9) | (uint32_t(month) << 5) | uint32_t(day);
    const uint32_t time = (uint32_t(hour) << 11) | (uint32_t(minute) << 5) | uint32_t(second / 2);
    return int32_t((date << 16) | time);
}

int32_t Pack(const QDateTime &localTime)
{
    if (!localTime.isValid())
        return 0;
    const QDateTime t = localTime.toLocalTime();
    const QDate d = t.date();
    const QTime c = t.time();
    return PackFields(d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second());
}

QDateTime Unpack(int32_t packed)
{
    const uint32_t w = uint32_t(packed);
    const uint32_t date = w >> 16, time = w & 0xFFFF;
    const QDate d(int(date >> 9) + 1980, int((date >> 5) & 0xF), int(date & 0x1F));
    const QTime c(int(time >> 11), int((time >> 5) & 0x3F), int(time & 0x1F) * 2);
    if (!d.isValid() || !c.isValid())
        return {};
    return QDateTime(d, c, Qt::LocalTime);
}

int32_t FromEpochSeconds(int64_t secondsSinceEpoch)
{
    // localtime_r is much cheaper than QDateTime per file, which matters for big trees.
    const time_t t = time_t(secondsSinceEpoch);
    struct tm tmv {};
    if (!localtime_r(&t, &tmv))
        return 0;
    return PackFields(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min,
                      tmv.tm_sec > 59 ? 59 : tmv.tm_sec);
}

}  // namespace DosDateTime
