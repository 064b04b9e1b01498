#pragma once
#include <QString>

// Makes a folder and its missing parents. On failure, why holds a sentence the user can act on.
bool MakeLocalFolder(const QString &path, QString &why);
