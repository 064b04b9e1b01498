#pragma once
#include <QByteArray>
#include <QString>

// One check per parser, shared by the fuzz targets and the corpus replay test: each feeds
// one input to the real parser and returns what went wrong, or an empty text when every
// property that must hold for any input held. A crash or a sanitizer report is a fault too.
namespace ParserChecks {

// The parsers that read files take a path; they write the input to a file in folder, an
// empty folder without links where install names are also tried on disk.
QString TaskList(const QByteArray &input, const QString &folder);
QString StateFile(const QByteArray &input);
QString MlsdLine(const QByteArray &input);
QString ListLine(const QByteArray &input);
QString TransferJournal(const QByteArray &input, const QString &folder);
QString UpdateIni(const QByteArray &input, const QString &folder);
// The first line is the update folder's URL, the rest the listed file's URL; with no line
// break the whole input is the file's URL under a fixed folder URL.
QString InstallName(const QByteArray &input, const QString &folder);

// The check for a corpus folder's name (the fuzz target's name without "fuzz_"); null when
// the name is none of them.
using Check = QString (*)(const QByteArray &input, const QString &folder);
Check ForTarget(const QString &name);

}  // namespace ParserChecks
