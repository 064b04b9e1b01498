#include "folders/TSideAccess.h"

#include "folders/TFtpSide.h"
#include "folders/TLocalSide.h"
#include "model/TFolderSource.h"

std::unique_ptr<TSideAccess> TSideAccess::For(const TFolderSource &side, bool keepsStateFile)
{
    switch (side.DeviceType) {
    case 1:
        return std::make_unique<TLocalSide>(side.FolerAllName, keepsStateFile);
    case 3:
        return std::make_unique<TFtpSide>(side);
    default:
        return nullptr;
    }
}
