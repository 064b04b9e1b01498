#pragma once
#include <QString>

// Where a listed file goes: its URL with the update folder's URL taken off the front, a
// name relative to the program folder. Empty when the file would not land inside the
// program folder: the URL lies outside the update folder, or the rest is empty, absolute,
// holds a backslash or a control character or an empty, "." or ".." step. An empty folderUrl refuses everything.
QString InstallNameOf(const QString &url, const QString &folderUrl);

// False when folder + relativeName would lie outside folder on disk, because a step of it
// that exists already is a link leading elsewhere.
bool StaysInFolder(const QString &folder, const QString &relativeName);
