#include "app/SharedFunctions.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

QString GetCurrentUserName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    struct passwd pw {};
    struct passwd *found = nullptr;
    if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return {};
}

namespace {

// -1 unless text[from, from + count) exists and is all ASCII digits.
int DigitsAt(const QString &text, int from, int count)
{
    if (text.size() < from + count)
        return -1;
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

}  // namespace

QDateTime ParseDateTimeText(const QString &text)
{
    const int month = DigitsAt(text, 0, 2);
    const int day = DigitsAt(text, 3, 2);
    const int year = DigitsAt(text, 6, 4);
    const int hour = DigitsAt(text, 11, 2);
    const int minute = DigitsAt(text, 14, 2);
    if (month < 0 || day < 0 || year < 0 || hour < 0 || minute < 0)
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, 0, 0);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::LocalTime);
}

bool IsValidFolderName(const QString &name)
{
    static const QString forbidden = QStringLiteral("\\/:*?><|");
    for (const QChar c : name)
        if (forbidden.contains(c))
            return false;
    return true;
}
