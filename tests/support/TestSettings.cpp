#include "tests/support/TestSettings.h"

#include "app/ProductInfo.h"
#include "platform/Registry.h"

namespace TestSettings {

namespace {

bool Open(RegistryKey &key, bool create)
{
    return key.Open(RegistryHive::CurrentUser, QString::fromLatin1(ProductInfo::SettingsKey), create);
}

}  // namespace

bool WriteString(const QString &name, const QString &value)
{
    RegistryKey key;
    return Open(key, true) && key.WriteString(name, value);
}

bool WriteDword(const QString &name, uint32_t value)
{
    RegistryKey key;
    return Open(key, true) && key.WriteDword(name, value);
}

bool Remove(const QString &name)
{
    RegistryKey key;
    return Open(key, true) && key.DeleteValue(name);
}

std::optional<QString> ReadString(const QString &name)
{
    RegistryKey key;
    return Open(key, false) ? key.ReadString(name) : std::nullopt;
}

}  // namespace TestSettings
