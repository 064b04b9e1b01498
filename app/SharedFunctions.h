#pragma once
#include <QDateTime>
#include <QString>

// Name of the user this process runs as; empty when it cannot be found.
QString GetCurrentUserName();

// Reads "MM-DD-YYYY hh:mm" by character positions (separators are not checked) as a local
// date-time with zero seconds. Any other text gives an invalid QDateTime.
QDateTime ParseDateTimeText(const QString &text);

// False when name holds any of \ / : * ? > < |  (an empty name is valid).
bool IsValidFolderName(const QString &name);
