#pragma once
#include <QString>

class QWidget;

// Makes a folder and its missing parents. On failure, why holds a sentence the user can act on.
bool MakeLocalFolder(const QString &path, QString &why);

// True when the folder at path exists, or did not and the user agreed to have it made and it
// was; otherwise the user declined or heard why it could not be made. what names the folder
// in the question ("The left folder").
bool EnsureLocalFolder(QWidget *parent, const QString &path, const QString &what);
