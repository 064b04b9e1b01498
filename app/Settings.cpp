#include "app/Settings.h"

#include "app/ProductInfo.h"
#include "platform/Registry.h"

namespace {

// A value of the wrong type is the user's own data: it is used as the default but kept.
uint32_t DwordOrDefault(RegistryKey &key, const QString &name, uint32_t fallback)
{
    if (!key.ValueExists(name)) {
        key.WriteDword(name, fallback);
        return fallback;
    }
    return key.ReadDword(name).value_or(fallback);
}

QString StringOrDefault(RegistryKey &key, const QString &name, const QString &fallback)
{
    if (!key.ValueExists(name)) {
        key.WriteString(name, fallback);
        return fallback;
    }
    return key.ReadString(name).value_or(fallback);
}

constexpr uint32_t DefaultFtpConnections = 4;
const QString FtpConnectionsName = QStringLiteral("FtpConnections");
const QString RunEndNoticeName = QStringLiteral("RunEndNotice");

}  // namespace

void LoadSettings(Settings &info)
{
    RegistryKey key;
    if (!key.Open(RegistryHive::CurrentUser, QString::fromLatin1(ProductInfo::SettingsKey), true))
        return;
    info.CheckUpdate = DwordOrDefault(key, QStringLiteral("CheckUpdate"), 0) != 0;
    info.HelpURL = StringOrDefault(key, QStringLiteral("HelpURL"),
                                   QString::fromLatin1(ProductInfo::DefaultHelpURL));
    info.HomePage = StringOrDefault(key, QStringLiteral("HomePage"),
                                    QString::fromLatin1(ProductInfo::DefaultHomePage));
    info.len_up = int32_t(DwordOrDefault(key, QStringLiteral("len_up"), 1));
    info.len_down = int32_t(DwordOrDefault(key, QStringLiteral("len_down"), 6));
    info.FtpConnections = int32_t(DwordOrDefault(key, FtpConnectionsName, DefaultFtpConnections));
}

int32_t ReadFtpConnections()
{
    RegistryKey key;
    if (!key.Open(RegistryHive::CurrentUser, QString::fromLatin1(ProductInfo::SettingsKey), false))
        return int32_t(DefaultFtpConnections);
    return int32_t(key.ReadDword(FtpConnectionsName).value_or(DefaultFtpConnections));
}

RunEndNotice ReadRunEndNotice()
{
    RegistryKey key;
    if (!key.Open(RegistryHive::CurrentUser, QString::fromLatin1(ProductInfo::SettingsKey), false))
        return RunEndNotice::Always;
    const uint32_t stored = key.ReadDword(RunEndNoticeName).value_or(0);
    return stored <= uint32_t(RunEndNotice::Off) ? RunEndNotice(stored) : RunEndNotice::Always;
}

bool WriteRunEndNotice(RunEndNotice choice)
{
    RegistryKey key;
    return key.Open(RegistryHive::CurrentUser, QString::fromLatin1(ProductInfo::SettingsKey), true)
           && key.WriteDword(RunEndNoticeName, uint32_t(choice));
}
