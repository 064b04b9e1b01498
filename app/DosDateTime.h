#pragma once
#include <QDateTime>
#include <cstdint>

// Packed DOS date-times of local time: date in the high word (bits 9-15 year - 1980,
// 5-8 month, 0-4 day), time in the low word (11-15 hours, 5-10 minutes, 0-4 seconds / 2).
// Shared by the filter bounds, the listings, the state files and the job editor.
namespace DosDateTime {

// 0 for an invalid date-time or a year outside 1980..2107 (the packed format's range).
int32_t Pack(const QDateTime &localTime);
// Seconds are rounded down to an even number, as the format keeps them.
int32_t PackFields(int year, int month, int day, int hour, int minute, int second);
// An invalid QDateTime when the word holds no valid date and time.
QDateTime Unpack(int32_t packed);
// Seconds since the epoch (UTC) of a file's last-write time, packed in local time.
int32_t FromEpochSeconds(int64_t secondsSinceEpoch);

}  // namespace DosDateTime
