#include "app/UpdateSettings.h"

#include "app/ProductInfo.h"
#include "platform/Registry.h"

namespace {

const QString VersionValue = QStringLiteral("Version");

bool OpenSettingsKey(RegistryKey &key)
{
    return key.Open(RegistryHive::CurrentUser, QString::fromLatin1(ProductInfo::SettingsKey), true);
}

}  // namespace

std::optional<QString> ReadInstalledVersion()
{
    RegistryKey key;
    if (!OpenSettingsKey(key))
        return std::nullopt;
    return key.ReadString(VersionValue).value_or(QString());
}

bool WriteInstalledVersion(const QString &version)
{
    RegistryKey key;
    return OpenSettingsKey(key) && key.WriteString(VersionValue, version);
}

QString ReadUpdateFolderURL()
{
    RegistryKey key;
    if (!key.Open(RegistryHive::CurrentUser, QString::fromLatin1(ProductInfo::SettingsKey), false))
        return {};
    QString url = key.ReadString(QStringLiteral("UpdateURL")).value_or(QString()).trimmed();
    if (!url.isEmpty() && !url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}
