#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

// Real files for engine tests.
namespace TestFiles {

// Writes content to path (creating its folders); with epochSeconds >= 0 sets its mtime.
bool Write(const QString &path, const QByteArray &content, int64_t epochSeconds = -1);
bool SetTime(const QString &path, int64_t epochSeconds);
QByteArray Read(const QString &path);
// Every file below folder, as sorted paths relative to it ("docs/a.txt").
QStringList FilesBelow(const QString &folder);
// The files below folder that a copy under way gives its new content (temporary names).
QStringList TemporaryFiles(const QString &folder);
// The user's files below folder: what the state files and the run keep there is left out.
QStringList UserFiles(const QString &folder);

}  // namespace TestFiles
