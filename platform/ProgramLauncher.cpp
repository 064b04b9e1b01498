#include "platform/ProgramLauncher.h"

#include <QProcess>

bool StartProgram(const QString &program)
{
    return QProcess::startDetached(program, {});
}
