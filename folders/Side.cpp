#include "folders/Side.h"

#include "folders/FtpSide.h"
#include "folders/KeepAside.h"
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

QString Side::FreeAsideName(const QString &path)
{
    return KeepAside::FirstFreeName(path, [this](const QString &name) { return Taken(name); },
                                    m_local ? 0 : KeepAside::LastRemoteNumber);
}

QString Side::FreeTemporaryName(const QString &path)
{
    // Random names: a second try is for the rare side that cannot tell at the first.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QString candidate = KeepAside::TemporaryCandidate(path);
        if (!Taken(candidate))
            return candidate;
    }
    return {};
}
