#include "folders/Side.h"

#include "folders/FtpSide.h"
#include "folders/LocalSide.h"
#include "folders/SftpSide.h"
#include "model/JobSide.h"
#include "model/RemoteAddress.h"

std::unique_ptr<Side> Side::For(const JobSide &side, bool keepsStateFile)
{
    switch (side.DeviceType) {
    case 1:
        return std::make_unique<LocalSide>(side.FolerAllName, keepsStateFile);
    case 3:
        if (RemoteAddress::Parse(side.FolerAllName).scheme == RemoteAddress::Scheme::Sftp)
            return std::make_unique<SftpSide>(side);
        return std::make_unique<FtpSide>(side);
    default:
        return nullptr;
    }
}
