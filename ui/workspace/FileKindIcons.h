#pragma once
#include <QIcon>
#include <QString>

// The program's own small icons for the common kinds of file, for a desktop without an icon
// theme (otherwise every file would show the same document picture). Interface thread only.
namespace FileKindIcons {

enum class Kind { Unknown, Text, Image, Audio, Video, Archive, Document, Code, Executable };

// The kind of files with this extension (".txt", or a whole name such as "Makefile").
Kind KindOf(const QString &extension);
// The kind's 16 x 16 icon; a null icon for Unknown.
QIcon IconOf(Kind kind);

}  // namespace FileKindIcons
