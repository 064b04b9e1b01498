#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>

// One entry of a remote folder as the server reports it.
struct FtpEntry {
    QString name;
    bool isFolder = false;
    QDateTime modified;  // UTC; invalid when the server gave no time
    int64_t size = 0;
    // True when size is the size of the file's content (not of a link or a folder).
    bool sizeKnown = false;
    // MLSD/MLST "unique" fact: the same for every path that leads to one folder (links
    // included); empty when the server gives none.
    QByteArray unique;
};

// Reads the lines of MLSD/MLST replies and of LIST replies (Unix "ls -l" and DOS/IIS).
namespace FtpListParser {

// One MLSD line or MLST fact line ("facts; name"). False for "cdir"/"pdir" entries and
// lines that carry no name.
bool ParseMlsdLine(const QByteArray &line, FtpEntry &entry);
// One LIST line. LIST carries no time zone; its times are taken as UTC, as MLSD's are.
// nowUtc resolves the year of Unix entries that show a time instead of a year.
bool ParseListLine(const QByteArray &line, const QDateTime &nowUtc, FtpEntry &entry);
// A whole listing, CR LF or LF line ends, in the server's order. Entries whose name is
// empty, ".", ".." or holds a "/" or NUL are left out.
QList<FtpEntry> ParseListing(const QByteArray &data, bool mlsd, const QDateTime &nowUtc);

}  // namespace FtpListParser
