#include "engine/JobNameCheck.h"

#include "app/SharedFunctions.h"

bool IsUsableJobName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return IsValidFolderName(name) && !name.contains(QLatin1Char('"'));
}

QString JobNameRefusedText(const QString &name)
{
    return QStringLiteral("The job name \"%1\" cannot be used as a file name; rename the job.").arg(name);
}
