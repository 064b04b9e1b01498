#include "tests/support/FtpServerBase.h"

QString FtpServerBase::url(const QString &path) const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(m_scheme).arg(m_port) + path;
}

JobSide FtpServerBase::source(const QString &path) const
{
    JobSide side;
    side.DeviceType = 3;
    side.FolerAllName = url(path);
    side.UserName = user();
    side.PWD = password();
    return side;
}
