#pragma once
#include <QString>

// The state files and the folder of saved copies are named after the job, so a job name
// must be a plain file name: not empty, not "." or "..", none of \ / : * ? " < > |.
bool IsUsableJobName(const QString &name);
// The log line of a job refused for its name.
QString JobNameRefusedText(const QString &name);
