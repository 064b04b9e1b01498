#pragma once
#include <QByteArray>
#include <QString>

class FileEntry;

// The state file of a side (local or FTP): a header "Title::count", then one line per entry
// in pre-order, six ":"-separated fields, CR LF line ends. Recorded paths use "/".
namespace StateFile {

QByteArray Serialize(const FileEntry &root);
// False for a malformed text; root is then left empty with an empty Title.
bool Parse(const QByteArray &text, FileEntry &root);
// A missing, empty or malformed file leaves root empty with an empty Title.
void ReadFile(const QString &path, FileEntry &root);
// Replaces path atomically; false (and the old file untouched) on failure.
// why (when given) says why a write failed, with the system's reason.
bool WriteFile(const QString &path, const FileEntry &root, QString *why = nullptr);
// The file entry for relativePath ("/a/b.txt"), found or added with the folders along it.
FileEntry *FindEntry(const QString &relativePath, FileEntry &root);
// The file entry recorded for relativePath, or nullptr; nothing is added.
const FileEntry *RecordedEntry(const QString &relativePath, const FileEntry &root);
// The path an entry of a state tree records. A tree read from a file keeps no path that its
// place in the tree gives: a file's is the tree's prefix (the root's FilePath, learnt from
// the first file) and the names down to it, a folder's the names of the folders above it,
// each between "/".
QString RecordedPath(const FileEntry &entry);

}  // namespace StateFile
