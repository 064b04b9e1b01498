#include "platform/FtpListParser.h"

#include <QRegularExpression>

namespace FtpListParser {

namespace {

bool allDigits(const QByteArray &s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int monthNumber(const QByteArray &token)
{
    static const char *const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    const QByteArray t = token.toLower();
    for (int i = 0; i < 12; ++i)
        if (t == names[i])
            return i + 1;
    return 0;
}

QDateTime parseMlsdTime(const QByteArray &value)
{
    // YYYYMMDDHHMMSS, optionally followed by ".fraction" which the packed times cannot keep.
    if (value.size() < 14 || !allDigits(value.left(14)))
        return {};
    const QDate d(value.mid(0, 4).toInt(), value.mid(4, 2).toInt(), value.mid(6, 2).toInt());
    const QTime t(value.mid(8, 2).toInt(), value.mid(10, 2).toInt(), value.mid(12, 2).toInt());
    if (!d.isValid() || !t.isValid())
        return {};
    return QDateTime(d, t, Qt::UTC);
}

// A listed entry is one step inside the listed folder (MLST alone names a whole path): a
// "/" or NUL would lead elsewhere or cut the name short; "." and ".." are no entries.
bool isEntryName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(u'/') && !name.contains(QChar(0));
}

// Digits only, within 64 bits: a size beyond them is a damaged line, not a size of 0.
bool parseSize(const QByteArray &text, int64_t &size)
{
    bool ok = false;
    size = text.toLongLong(&ok);
    return ok && allDigits(text);
}

struct Token {
    QByteArray text;
    qsizetype end;  // index just past the token in the line
};

// The first `count` blank-separated tokens of line, with where each ends.
QList<Token> leadingTokens(const QByteArray &line, int count)
{
    QList<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (tokens.size() < count) {
        while (i < n && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= n)
            break;
        const qsizetype start = i;
        while (i < n && line[i] != ' ' && line[i] != '\t')
            ++i;
        tokens.append({line.mid(start, i - start), i});
    }
    return tokens;
}

bool parseUnixLine(const QByteArray &line, const QDateTime &nowUtc, FtpEntry &entry)
{
    if (line.isEmpty() || !QByteArray("-dlbcps").contains(line[0]))
        return false;
    // Owner and group may be missing or contain digits: find "size month day time|year".
    const QList<Token> tok = leadingTokens(line, 9);
    for (qsizetype m = 2; m + 2 < tok.size(); ++m) {
        const int month = monthNumber(tok[m].text);
        if (month == 0 || !allDigits(tok[m - 1].text) || !allDigits(tok[m + 1].text)
            || tok[m + 1].text.size() > 2)
            continue;
        const int day = tok[m + 1].text.toInt();
        const QByteArray &yt = tok[m + 2].text;
        QDateTime when;
        if (allDigits(yt) && yt.size() == 4) {
            when = QDateTime(QDate(yt.toInt(), month, day), QTime(0, 0), Qt::UTC);
        } else {
            static const QRegularExpression hm(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
            const auto mt = hm.match(QString::fromLatin1(yt));
            if (!mt.hasMatch())
                continue;
            const QTime time(mt.captured(1).toInt(), mt.captured(2).toInt());
            // A time instead of a year means "within the last six months or so": the
            // latest such date that is not in the future (a day's slack for clock skew).
            const QDateTime limit = nowUtc.addDays(1);
            int year = nowUtc.date().year();
            when = QDateTime(QDate(year, month, day), time, Qt::UTC);
            if (!when.isValid() || when > limit) {
                when = QDateTime(QDate(year - 1, month, day), time, Qt::UTC);
                // 29 February of a year that has none: go back to the last leap year.
                for (int back = 2; !when.isValid() && back <= 8; ++back)
                    when = QDateTime(QDate(year - back, month, day), time, Qt::UTC);
            }
        }
        if (!when.isValid())
            continue;
        // ls puts exactly one blank between the time and the name; more belong to the name.
        const qsizetype nameStart = tok[m + 2].end + 1;
        if (nameStart >= line.size())
            return false;
        QByteArray name = line.mid(nameStart);
        if (line[0] == 'l') {
            const qsizetype arrow = name.indexOf(" -> ");
            if (arrow > 0)
                name.truncate(arrow);
        }
        entry.name = QString::fromUtf8(name);
        entry.isFolder = line[0] == 'd';
        entry.modified = when;
        entry.sizeKnown = line[0] == '-';
        return parseSize(tok[m - 1].text, entry.size);
    }
    return false;
}

bool parseDosLine(const QByteArray &line, FtpEntry &entry)
{
    // 12-09-26  04:56AM       <DIR>          name
    // 12-09-2026  16:56              100000 name
    // Possessive blanks and digits: a megabyte of blanks must not cost the square of its
    // length in backtracking.
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{2})-(\\d{2})-(\\d{2}|\\d{4})\\s+(\\d{1,2}):(\\d{2})(?:\\s*([AaPp][Mm]))?\\s++"
        "(?:(<DIR>)\\s++|(\\d++) )(.+)$"));
    const auto m = re.match(QString::fromUtf8(line));
    if (!m.hasMatch())
        return false;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 70 ? 2000 : 1900;
    int hour = m.captured(4).toInt();
    const QString ampm = m.captured(6).toUpper();
    if (!ampm.isEmpty()) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (ampm == QLatin1String("PM") ? 12 : 0);
    }
    const QDateTime when(QDate(year, m.captured(1).toInt(), m.captured(2).toInt()),
                         QTime(hour, m.captured(5).toInt()), Qt::UTC);
    if (!when.isValid())
        return false;
    entry.isFolder = !m.captured(7).isEmpty();
    if (!entry.isFolder && !parseSize(m.captured(8).toLatin1(), entry.size))
        return false;
    entry.sizeKnown = !entry.isFolder;
    entry.modified = when;
    entry.name = m.captured(9);
    return true;
}

}  // namespace

bool ParseMlsdLine(const QByteArray &line, FtpEntry &entry)
{
    const qsizetype blank = line.indexOf(' ');
    if (blank <= 0 || blank + 1 >= line.size())
        return false;
    entry = FtpEntry();
    entry.name = QString::fromUtf8(line.mid(blank + 1));
    bool haveSize = false;
    bool plainFile = false;
    for (const QByteArray &fact : line.left(blank).split(';')) {
        const qsizetype eq = fact.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = fact.left(eq).toLower();
        const QByteArray value = fact.mid(eq + 1);
        if (key == "type") {
            const QByteArray type = value.toLower();
            if (type == "cdir" || type == "pdir")
                return false;
            entry.isFolder = type == "dir";
            plainFile = type == "file";
        } else if (key == "modify") {
            entry.modified = parseMlsdTime(value);
        } else if (key == "unique") {
            entry.unique = value;
        } else if (key == "size" || (key == "sizd" && !haveSize)) {
            if (!parseSize(value, entry.size))
                return false;
            haveSize = key == "size";
        }
    }
    entry.sizeKnown = haveSize && plainFile;
    return true;
}

bool ParseListLine(const QByteArray &line, const QDateTime &nowUtc, FtpEntry &entry)
{
    entry = FtpEntry();
    if (line.isEmpty())
        return false;
    if (line[0] >= '0' && line[0] <= '9')
        return parseDosLine(line, entry);
    return parseUnixLine(line, nowUtc, entry);
}

QList<FtpEntry> ParseListing(const QByteArray &data, bool mlsd, const QDateTime &nowUtc)
{
    QList<FtpEntry> entries;
    for (QByteArray line : data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        FtpEntry e;
        if ((mlsd ? ParseMlsdLine(line, e) : ParseListLine(line, nowUtc, e)) && isEntryName(e.name))
            entries.append(e);
    }
    return entries;
}

}  // namespace FtpListParser
