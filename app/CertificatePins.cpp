#include "app/CertificatePins.h"

#include "app/ProductInfo.h"
#include "platform/Registry.h"

namespace {

QString pinsKey() { return QString::fromLatin1(ProductInfo::SettingsKey) + QStringLiteral("\\CertificatePins"); }

}  // namespace

QString CertificatePins::Pin(const QString &hostPort)
{
    RegistryKey key;
    if (!key.Open(RegistryHive::CurrentUser, pinsKey(), false))
        return {};
    return key.ReadString(hostPort).value_or(QString());
}

bool CertificatePins::Store(const QString &hostPort, const QString &pin)
{
    RegistryKey key;
    return key.Open(RegistryHive::CurrentUser, pinsKey(), true) && key.WriteString(hostPort, pin);
}
