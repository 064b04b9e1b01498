#pragma once
#include <QString>

// Drops leading and trailing blanks and control characters (code points up to U+0020),
// the trimming that pairing and the folder pre-check compare names with. Unlike
// QString::trimmed it keeps non-breaking and other Unicode spaces, which are part of a name.
inline QString TrimmedName(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return (begin == 0 && end == text.size()) ? text : text.mid(begin, end - begin);
}
