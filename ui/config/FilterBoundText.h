#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// How the job editor shows and reads the filter's size and time bounds.
namespace FilterBoundText {

// Items of a size bound's unit box, in this order.
enum SizeUnit { UnitB = 0, UnitKB = 1, UnitMB = 2 };

struct SizeShown {
    QString value;
    int unit = UnitB;
};

// bytes >= 0: at most 1024 of the largest unit that keeps it so, truncating.
SizeShown ShowSize(int64_t bytes);
// nullopt when value is not a whole number of digits.
std::optional<int64_t> SizeFromText(const QString &value, int unit);

// What a time edit shows before a value is loaded, and for a stored value that is no date.
QString InitialTimeText();
// "MM-DD-YYYY hh:mm" of a packed DOS date-time.
QString ShowTime(int32_t packed);
// The packed DOS date-time of an edit's text (0 outside the years 1980 to 2107);
// nullopt when the text is no date and time.
std::optional<int32_t> TimeFromText(const QString &text);

}  // namespace FilterBoundText
